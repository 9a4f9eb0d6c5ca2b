#include "sound/SoundStream.h"

#include <algorithm>
#include <cmath>

#include <cstdio>

#include "core/Log.h"
#include "platform/Bass.h"
#include "platform/MessageBox.h"

namespace {

constexpr DWORD kRequiredVersion = 0x00050001;
constexpr DWORD kOutputRate = 44100;
constexpr DWORD kLevelMask = 0xFFFF;

}  // namespace

SoundStream::SoundStream() : handle(0), playing(false) {}

bool SoundStream::InitAudio(void* window) {
    if (BASS_GetVersion() != kRequiredVersion) {
        MessageBoxA(nullptr, "No se carg\363 BASS version 1.5", "Version de BASS.DLL incorrecta", MB_OK);
        return false;
    }
    if (!BASS_Init(-1, kOutputRate, 0, window)) {
        MessageBoxA(nullptr, "ERROR!", "No se pudo inicializar el sistema de sonido.", MB_OK);
        return false;
    }
    return BASS_Start() != FALSE;
}

bool SoundStream::Open(const char* file) {
    fileName = file != nullptr ? file : "";
    handle = BASS_StreamCreateFile(FALSE, file, 0, 0, BASS_MP3_SETPOS);
    if (handle == 0) {
        // The box says that it failed; the log says why.
        Log::Format("-> No se pudo cargar la musica [ %s ]: %s\n", fileName.c_str(), Platform::MusicError());
        MessageBoxA(nullptr, "ERROR!", "No se pudo cargar el fichero de musica.", MB_OK);
        // The box names no file; the author learns which one, and that the
        // show goes on without sound on the library's silent clock.
        std::fprintf(stderr, "halvenor: no se pudo cargar el fichero de musica [ %s ]: el show sigue sin sonido\n",
                     fileName.c_str());
        Log::Format("]> ** ERROR ** No se pudo cargar el fichero de musica [ %s ]: el show sigue sin sonido. **\n",
                    fileName.c_str());
        return false;
    }
    return true;
}

bool SoundStream::Play() {
    const BOOL result = BASS_StreamPlay(handle, FALSE, BASS_SAMPLE_LOOP);
    playing = true;
    return result != FALSE;
}

bool SoundStream::Pause() {
    const BOOL result = BASS_ChannelPause(handle);
    playing = false;
    return result != FALSE;
}

bool SoundStream::Resume() {
    const BOOL result = BASS_ChannelResume(handle);
    playing = true;
    return result != FALSE;
}

int SoundStream::Level() const {
    const DWORD level = BASS_ChannelGetLevel(handle);
    if (!playing) {
        return 0;
    }
    return static_cast<int>(((level & kLevelMask) + (level >> 16)) / 2);
}

float SoundStream::Position() const { return BASS_ChannelBytes2Seconds(handle, BASS_ChannelGetPosition(handle)); }

float SoundStream::Length() const { return BASS_ChannelBytes2Seconds(handle, BASS_StreamGetLength(handle)); }

bool SoundStream::SeekBack(float seconds) {
    const QWORD position = BASS_ChannelGetPosition(handle);
    const QWORD distance = BASS_ChannelSeconds2Bytes(handle, seconds);
    // Stepping back further than the start lands on the start rather than
    // wrapping round to a position past the end, which the library refuses.
    const QWORD target = distance < position ? position - distance : 0;
    return BASS_ChannelSetPosition(handle, target) != FALSE;
}

bool SoundStream::SeekForward(float seconds) {
    const QWORD position = BASS_ChannelGetPosition(handle);
    return BASS_ChannelSetPosition(handle, position + BASS_ChannelSeconds2Bytes(handle, seconds)) != FALSE;
}

uint64_t SoundStream::BytePosition() const { return BASS_ChannelGetPosition(handle); }

bool SoundStream::SetBytePosition(uint64_t position) { return BASS_ChannelSetPosition(handle, position) != FALSE; }

bool SoundStream::SetPosition(double seconds) {
    const double rate = static_cast<double>(BASS_ChannelSeconds2Bytes(handle, 1.0f)) / 4.0;
    const auto frame = static_cast<QWORD>(std::llround(std::max(seconds, 0.0) * rate));
    return BASS_ChannelSetPosition(handle, frame * 4) != FALSE;
}

bool SoundStream::SetSpeed(double speed) {
    // The library speaks in bytes: a second of it is the stream's own rate.
    const double rate = static_cast<double>(BASS_ChannelSeconds2Bytes(handle, 1.0f)) / 4.0;
    const float frequency = speed == 1.0 ? 0.0f : static_cast<float>(rate * speed);
    return BASS_ChannelSetAttribute(handle, BASS_ATTRIB_FREQ, frequency) != FALSE;
}

std::string SoundStream::ModulePositionText() const {
    int order = 0;
    int row = 0;
    if (!Platform::ModulePosition(handle, &order, &row)) {
        return std::string();
    }
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d", order, row);
    return text;
}

void SoundStream::Release() {
    BASS_Stop();
    BASS_StreamFree(handle);
    BASS_Free();
}
