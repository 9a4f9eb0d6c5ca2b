// The music library stand-in: libsndfile decodes, SDL's audio output plays,
// and a mixer on SDL's audio thread counts what the output has consumed.
//
// Locking: every stream field is touched under mixer.lock, by the main thread
// and by the audio callback. SDL audio calls (open, close, pause) are never
// made while holding it, because SDL waits for a running callback, which may
// itself be waiting for the lock.
#include "platform/Bass.h"

#include <SDL/SDL.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/FileMemoryBudget.h"
#include "platform/Clock.h"
#include "platform/FileDescriptor.h"
#include "platform/FileSystem.h"
#include "platform/ModuleMusic.h"

namespace {

DWORD reportedVersion = 0x00050001;
bool silentOutput = false;
// Read by the audio thread; switched only while no stream plays.
bool clockPosition = false;
constexpr double kHeadDriftSeconds = 0.1;
// Why the last stream could not be created; empty after a success. Never
// destroyed, as the mixer: the registry's release at exit runs among the
// static destructors, in an order between files that nothing fixes.
std::string& musicError = *new std::string;
constexpr QWORD kBytesPerFrame = 4;
constexpr uint32_t kDefaultRate = 44100;
constexpr uint32_t kMinRate = 1000;
constexpr uint32_t kMaxRate = 384000;
// Music-length files only: whole files are decoded into memory.
constexpr double kMaxSeconds = 30.0 * 60.0;
constexpr uint64_t kMaxFrames = 30ULL * 60ULL * 48000ULL;
constexpr Uint16 kDeviceFrames = 1024;
constexpr int kMixChunkFrames = 256;
constexpr int kDecodeChunkFrames = 4096;
// The handle a failed open leaves. Played, it becomes a stream without sound
// or length that keeps time on the clock (a day of it), so a show whose music
// is missing still fires its events and ends at its stop.
constexpr DWORD kSilentClockHandle = 0;
constexpr uint64_t kSilentClockFrames = 24ULL * 3600ULL * kDefaultRate;

enum class StreamState { Stopped, Playing, Paused };

struct Stream {
    std::vector<int16_t> samples;  // interleaved left, right
    uint32_t rate = 0;
    uint64_t frames = 0;
    double position = 0.0;  // in frames; fractional while resampling
    double playRate = 0.0;  // frames a second the output consumes; 0: rate
    double head = 0.0;      // what the output plays while the position follows the clock
    StreamState state = StreamState::Stopped;
    bool loop = false;
    double clockSeconds = 0.0;  // when the monotonic clock last moved position
    uint32_t peakLeft = 0;
    uint32_t peakRight = 0;
    std::vector<ModuleMusic::RowMark> rows;  // a module's rows, by frame; empty for other music
};

struct Mixer {
    std::mutex lock;
    std::map<DWORD, std::unique_ptr<Stream>> streams;
    DWORD lastHandle = 0;
    bool deviceOpen = false;
    bool silentOpen = false;  // initialised without a device
    uint32_t deviceRate = kDefaultRate;
};

// Never destroyed: SDL's audio thread may still run a callback while static
// objects are torn down at process exit.
Mixer& TheMixer() {
    static Mixer* mixer = new Mixer();
    return *mixer;
}

double NowSeconds() {
    int64_t frequency = 0;
    int64_t counter = 0;
    if (QueryPerformanceFrequency(&frequency) && frequency > 0 && QueryPerformanceCounter(&counter)) {
        return static_cast<double>(counter) / static_cast<double>(frequency);
    }
    return GetTickCount() / 1000.0;
}

Stream* FindStream(Mixer& mixer, DWORD handle) {
    const auto found = mixer.streams.find(handle);
    return found == mixer.streams.end() ? nullptr : found->second.get();
}

// Called when a play position has reached or passed the end. A play head
// that only follows the position never stops the stream.
void WrapAtEnd(Stream& stream, double& at, bool stops) {
    const double length = static_cast<double>(stream.frames);
    if (at < length) {
        return;
    }
    if (stream.loop) {
        at = std::fmod(at, length);
    } else {
        at = length;
        if (stops) {
            stream.state = StreamState::Stopped;
        }
    }
}

// Without an output device nothing consumes the stream, so a playing stream
// follows the monotonic clock. With a device only the callback moves it,
// unless the position keeps time on the clock.
void AdvanceByClock(const Mixer& mixer, Stream& stream, double now) {
    if (stream.state == StreamState::Playing && (!mixer.deviceOpen || clockPosition || stream.samples.empty())) {
        stream.position += (now - stream.clockSeconds) * stream.rate;
        WrapAtEnd(stream, stream.position, true);
    }
    stream.clockSeconds = now;
}

void AdvanceAllByClock(Mixer& mixer) {
    const double now = NowSeconds();
    for (auto& entry : mixer.streams) {
        AdvanceByClock(mixer, *entry.second, now);
    }
}

int16_t SampleAt(const Stream& stream, uint64_t frame, int side) {
    return stream.samples[frame * 2 + side];
}

// Adds the stream into the accumulator at the output rate with linear
// interpolation, and records its peaks.
void MixStream(Stream& stream, int32_t* accumulator, int frameCount, uint32_t deviceRate) {
    const double rate = stream.playRate > 0.0 ? stream.playRate : static_cast<double>(stream.rate);
    const double step = rate / deviceRate;
    double& at = clockPosition ? stream.head : stream.position;
    if (clockPosition && std::fabs(stream.head - stream.position) > kHeadDriftSeconds * stream.rate) {
        stream.head = stream.position;
    }
    for (int i = 0; i < frameCount && stream.state == StreamState::Playing; ++i) {
        const uint64_t frame = static_cast<uint64_t>(at);
        const double fraction = at - static_cast<double>(frame);
        uint64_t next = frame + 1;
        if (next >= stream.frames) {
            next = stream.loop ? 0 : frame;
        }
        for (int side = 0; side < 2; ++side) {
            const double value = SampleAt(stream, frame, side) * (1.0 - fraction) + SampleAt(stream, next, side) * fraction;
            const int32_t sample = static_cast<int32_t>(std::lround(value));
            accumulator[i * 2 + side] += sample;
            uint32_t& peak = side == 0 ? stream.peakLeft : stream.peakRight;
            peak = std::max(peak, static_cast<uint32_t>(std::abs(sample)));
        }
        at += step;
        WrapAtEnd(stream, at, !clockPosition);
    }
}

void MixChunk(Mixer& mixer, int16_t* out, int frameCount) {
    int32_t accumulator[kMixChunkFrames * 2] = {};
    for (auto& entry : mixer.streams) {
        Stream& stream = *entry.second;
        if (stream.state == StreamState::Playing && !stream.samples.empty()) {
            MixStream(stream, accumulator, frameCount, mixer.deviceRate);
        }
    }
    for (int i = 0; i < frameCount * 2; ++i) {
        out[i] = static_cast<int16_t>(std::clamp(accumulator[i], -32768, 32767));
    }
}

void SDLCALL AudioCallback(void* /*userdata*/, Uint8* buffer, int length) {
    Mixer& mixer = TheMixer();
    std::memset(buffer, 0, static_cast<size_t>(length));
    auto* out = reinterpret_cast<int16_t*>(buffer);
    int remaining = length / static_cast<int>(kBytesPerFrame);
    std::lock_guard<std::mutex> guard(mixer.lock);
    for (auto& entry : mixer.streams) {
        if (entry.second->state == StreamState::Playing) {
            entry.second->peakLeft = 0;
            entry.second->peakRight = 0;
        }
    }
    while (remaining > 0) {
        const int count = std::min(remaining, kMixChunkFrames);
        MixChunk(mixer, out, count);
        out += count * 2;
        remaining -= count;
    }
}

bool DeviceOpen() {
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> guard(mixer.lock);
    return mixer.deviceOpen;
}

bool SilentOpen() {
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> guard(mixer.lock);
    return mixer.silentOpen;
}

// Without a device the streams already follow the clock; only the state says
// the library is initialised.
BOOL InitSilent() {
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> guard(mixer.lock);
    AdvanceAllByClock(mixer);
    mixer.silentOpen = true;
    return TRUE;
}

// Appends the first two channels of each frame (mono twice).
void AppendStereo(std::vector<int16_t>& samples, const short* chunk, sf_count_t frameCount, int channels) {
    for (sf_count_t i = 0; i < frameCount; ++i) {
        const short* frame = chunk + i * channels;
        samples.push_back(frame[0]);
        samples.push_back(channels > 1 ? frame[1] : frame[0]);
    }
}

bool ReadAllFrames(SNDFILE* file, const SF_INFO& info, uint64_t maxFrames, std::vector<int16_t>& samples) {
    if (info.frames > 0 && static_cast<uint64_t>(info.frames) <= maxFrames) {
        samples.reserve(static_cast<size_t>(info.frames) * 2);
    }
    std::vector<short> chunk(static_cast<size_t>(kDecodeChunkFrames) * info.channels);
    for (;;) {
        const sf_count_t read = sf_readf_short(file, chunk.data(), kDecodeChunkFrames);
        if (read <= 0) {
            return true;
        }
        if (samples.size() / 2 + static_cast<uint64_t>(read) > maxFrames) {
            return false;
        }
        AppendStereo(samples, chunk.data(), read, info.channels);
    }
}

// Frames a file of this size may decode to: music-length files only, and no
// more memory than 64 MB plus 48 times the file, so that a small file that
// claims (or really holds, highly compressed) hours of sound cannot take
// gigabytes.
uint64_t FrameBudget(uint64_t fileBytes, int rate) {
    const uint64_t byLength = std::min(kMaxFrames, static_cast<uint64_t>(kMaxSeconds * rate));
    const uint64_t byMemory = FileMemoryBudget::For(fileBytes) / kBytesPerFrame;
    return std::min(byLength, byMemory);
}

// An ID3v2 tag (which MP3 files may carry anywhere, and which the MPEG
// decoder reads whole into memory as soon as it meets its header) that claims
// more bytes than the file still holds cannot be real: ten bytes of it would
// make the decoder allocate up to 256 MB.
bool HasImpossibleId3Tag(const std::string& contents) {
    for (size_t at = contents.find("ID3"); at != std::string::npos; at = contents.find("ID3", at + 1)) {
        if (at + 10 > contents.size()) {
            break;
        }
        const auto byte = [&](size_t i) { return static_cast<uint8_t>(contents[at + i]); };
        const bool header = byte(3) >= 2 && byte(3) <= 4 && byte(4) != 0xFF && byte(6) < 0x80 && byte(7) < 0x80 &&
                            byte(8) < 0x80 && byte(9) < 0x80;
        const uint64_t size = uint64_t(byte(6)) << 21 | uint64_t(byte(7)) << 14 | uint64_t(byte(8)) << 7 | byte(9);
        if (header && size > contents.size() - at - 10) {
            return true;
        }
    }
    return false;
}

// A WAV chunk other than the sound data that claims more bytes than the file
// still holds cannot be real, and the decoder may walk such a chunk for ever.
// (The data chunk of a file whose writer never finished may claim more.)
bool HasImpossibleWaveChunk(const std::string& contents) {
    if (contents.size() < 12 || contents.compare(0, 4, "RIFF") != 0 || contents.compare(8, 4, "WAVE") != 0) {
        return false;
    }
    size_t at = 12;
    while (at + 8 <= contents.size()) {
        uint64_t size = 0;
        for (int i = 3; i >= 0; --i) {
            size = size << 8 | static_cast<uint8_t>(contents[at + 4 + i]);
        }
        const uint64_t left = contents.size() - at - 8;
        if (contents.compare(at, 4, "data") == 0) {
            return false;
        }
        if (size > left) {
            return true;
        }
        at += 8 + static_cast<size_t>(size) + (size & 1);
    }
    return false;
}

// A module is rendered whole at load, so that it plays, loops and seeks as
// any stream does. While it renders, the file's bytes and what libopenmpt
// made of them (at least as much again as a guess, whatever was measured)
// are held; the rendering and its row marks get the rest of the file's
// memory budget.
constexpr uint64_t kModuleHoldPerFileByte = 16;

uint64_t ModuleFrameBudget(uint64_t fileBytes, uint64_t moduleBytes) {
    const uint64_t held = std::max(kModuleHoldPerFileByte * fileBytes, fileBytes + moduleBytes);
    const uint64_t budget = FileMemoryBudget::For(fileBytes);
    // Each run of kRowMarkFrames frames may add one row mark.
    const uint64_t perRun = kBytesPerFrame * ModuleMusic::kRowMarkFrames + sizeof(ModuleMusic::RowMark);
    const uint64_t byMemory = budget > held ? (budget - held) / perRun * ModuleMusic::kRowMarkFrames : 0;
    return std::min(FrameBudget(fileBytes, ModuleMusic::kRate), byMemory);
}

std::unique_ptr<Stream> DecodeModule(const std::string& contents) {
    std::unique_ptr<ModuleMusic> module = ModuleMusic::Load(contents, &musicError);
    if (!module) {
        return nullptr;
    }
    auto stream = std::make_unique<Stream>();
    const uint64_t frameBudget = ModuleFrameBudget(contents.size(), module->HeldBytes());
    if (!module->RenderAll(frameBudget, stream->samples, stream->rows, &musicError)) {
        return nullptr;
    }
    stream->rate = ModuleMusic::kRate;
    stream->frames = stream->samples.size() / 2;
    return stream;
}

std::unique_ptr<Stream> DecodeFile(const char* name) {
    // The library gets a descriptor, never a name: it would read standard
    // input for "-", and a device or a FIFO could block the show for good.
    const int descriptor = Platform::OpenRegularFile(name);
    if (descriptor < 0) {
        musicError = "no se puede abrir el fichero";
        return nullptr;
    }
    const uint64_t fileBytes = Platform::DescriptorFileBytes(descriptor);
    const std::string contents = Platform::ReadFromDescriptor(descriptor, fileBytes);
    if (ModuleMusic::Probe(contents)) {
        Platform::CloseFileDescriptor(descriptor);
        return DecodeModule(contents);
    }
    if (HasImpossibleId3Tag(contents) || HasImpossibleWaveChunk(contents)) {
        Platform::CloseFileDescriptor(descriptor);
        musicError = "el fichero esta danado: una cabecera dice tener mas datos que el fichero";
        return nullptr;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open_fd(descriptor, SFM_READ, &info, SF_TRUE);
    if (file == nullptr) {
        Platform::CloseFileDescriptor(descriptor);
        musicError = "no es un sonido (WAV, FLAC, Ogg, MP3) ni un modulo (MOD, XM, S3M, IT...) que se pueda leer";
        return nullptr;
    }
    const bool usable = info.channels >= 1 && info.samplerate >= static_cast<int>(kMinRate) &&
                        info.samplerate <= static_cast<int>(kMaxRate);
    auto stream = std::make_unique<Stream>();
    bool decoded = false;
    if (usable) {
        decoded = ReadAllFrames(file, info, FrameBudget(fileBytes, info.samplerate), stream->samples);
    }
    sf_close(file);
    if (!decoded || stream->samples.empty()) {
        musicError = !usable          ? "el sonido tiene un formato que no se puede reproducir"
                     : decoded        ? "el sonido esta vacio"
                                      : "el sonido dura mas de 30 minutos o no cabe en memoria";
        return nullptr;
    }
    stream->rate = static_cast<uint32_t>(info.samplerate);
    stream->frames = stream->samples.size() / 2;
    return stream;
}

Stream* StartSilentClock(Mixer& mixer) {
    auto clock = std::make_unique<Stream>();
    clock->rate = kDefaultRate;
    clock->frames = kSilentClockFrames;
    clock->clockSeconds = NowSeconds();
    Stream* started = clock.get();
    mixer.streams[kSilentClockHandle] = std::move(clock);
    return started;
}

DWORD NextFreeHandle(Mixer& mixer) {
    // Handles are not reused, so a stale handle kept by a caller after its
    // stream was freed stays harmless.
    do {
        ++mixer.lastHandle;
    } while (mixer.lastHandle == 0 || mixer.streams.count(mixer.lastHandle) != 0);
    return mixer.lastHandle;
}

}  // namespace

DWORD BASS_GetVersion() { return reportedVersion; }

BOOL BASS_Init(int device, DWORD freq, DWORD /*flags*/, void* /*win*/) {
    if (device != -1 || DeviceOpen() || SilentOpen()) {
        return FALSE;
    }
    if (silentOutput) {
        return InitSilent();
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) {
        return FALSE;
    }
    const uint32_t rate = (freq >= kMinRate && freq <= kMaxRate) ? freq : kDefaultRate;
    SDL_AudioSpec desired{};
    desired.freq = static_cast<int>(rate);
    desired.format = AUDIO_S16SYS;
    desired.channels = 2;
    desired.samples = kDeviceFrames;
    desired.callback = AudioCallback;
    // The output starts paused; BASS_Start lets it run. Without an obtained
    // spec SDL converts whatever the hardware wants from exactly this format.
    if (SDL_OpenAudio(&desired, nullptr) < 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return FALSE;
    }
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> guard(mixer.lock);
    AdvanceAllByClock(mixer);
    mixer.deviceOpen = true;
    mixer.deviceRate = rate;
    return TRUE;
}

BOOL BASS_Start() {
    if (SilentOpen()) {
        return TRUE;
    }
    if (!DeviceOpen()) {
        return FALSE;
    }
    SDL_PauseAudio(0);
    return TRUE;
}

BOOL BASS_Stop() {
    if (SilentOpen()) {
        return TRUE;
    }
    if (!DeviceOpen()) {
        return FALSE;
    }
    SDL_PauseAudio(1);
    return TRUE;
}

void BASS_Free() {
    // Someone may have shut SDL down already (the player quits SDL before it
    // releases the music); then the device is gone and only our state remains.
    if (DeviceOpen() && SDL_WasInit(SDL_INIT_AUDIO) != 0) {
        SDL_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    std::map<DWORD, std::unique_ptr<Stream>> freed;
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> guard(mixer.lock);
    mixer.deviceOpen = false;
    mixer.silentOpen = false;
    freed.swap(mixer.streams);
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD /*flags*/) {
    // Only whole files by name; every position is exact, so the pre-scan flag
    // needs nothing.
    musicError.clear();
    if (mem || file == nullptr || offset != 0 || length != 0) {
        musicError = "solo se abren ficheros enteros por su nombre";
        return 0;
    }
    std::unique_ptr<Stream> stream = DecodeFile(static_cast<const char*>(file));
    if (!stream) {
        return 0;
    }
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> guard(mixer.lock);
    const DWORD handle = NextFreeHandle(mixer);
    mixer.streams[handle] = std::move(stream);
    return handle;
}

BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags) {
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> guard(mixer.lock);
    Stream* stream = FindStream(mixer, handle);
    if (stream == nullptr && handle == kSilentClockHandle) {
        stream = StartSilentClock(mixer);
    }
    if (stream == nullptr) {
        return FALSE;
    }
    AdvanceByClock(mixer, *stream, NowSeconds());
    if (flush || stream->position >= static_cast<double>(stream->frames)) {
        stream->position = 0.0;
    }
    stream->loop = (flags & BASS_SAMPLE_LOOP) != 0;
    stream->state = StreamState::Playing;
    return TRUE;
}

void BASS_StreamFree(HSTREAM handle) {
    std::unique_ptr<Stream> freed;
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> guard(mixer.lock);
    const auto found = mixer.streams.find(handle);
    if (found != mixer.streams.end()) {
        freed = std::move(found->second);
        mixer.streams.erase(found);
    }
}

QWORD BASS_StreamGetLength(HSTREAM handle) {
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> guard(mixer.lock);
    const Stream* stream = FindStream(mixer, handle);
    return stream == nullptr || stream->samples.empty() ? 0 : stream->frames * kBytesPerFrame;
}

BOOL BASS_ChannelPause(DWORD handle) {
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> guard(mixer.lock);
    Stream* stream = FindStream(mixer, handle);
    if (stream == nullptr) {
        return FALSE;
    }
    AdvanceByClock(mixer, *stream, NowSeconds());
    if (stream->state != StreamState::Playing) {
        return FALSE;
    }
    stream->state = StreamState::Paused;
    return TRUE;
}

BOOL BASS_ChannelResume(DWORD handle) {
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> guard(mixer.lock);
    Stream* stream = FindStream(mixer, handle);
    if (stream == nullptr || stream->state != StreamState::Paused) {
        return FALSE;
    }
    AdvanceByClock(mixer, *stream, NowSeconds());
    stream->state = StreamState::Playing;
    return TRUE;
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD position) {
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> guard(mixer.lock);
    Stream* stream = FindStream(mixer, handle);
    if (stream == nullptr) {
        return FALSE;
    }
    const QWORD frame = position / kBytesPerFrame;
    if (frame >= stream->frames) {
        return FALSE;
    }
    AdvanceByClock(mixer, *stream, NowSeconds());
    stream->position = static_cast<double>(frame);
    stream->head = stream->position;
    return TRUE;
}

QWORD BASS_ChannelGetPosition(DWORD handle) {
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> guard(mixer.lock);
    Stream* stream = FindStream(mixer, handle);
    if (stream == nullptr) {
        return 0;
    }
    AdvanceByClock(mixer, *stream, NowSeconds());
    return static_cast<QWORD>(stream->position) * kBytesPerFrame;
}

DWORD BASS_ChannelGetLevel(DWORD handle) {
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> guard(mixer.lock);
    const Stream* stream = FindStream(mixer, handle);
    if (stream == nullptr) {
        return 0;
    }
    return (stream->peakRight << 16) | stream->peakLeft;
}

float BASS_ChannelBytes2Seconds(DWORD handle, QWORD position) {
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> guard(mixer.lock);
    const Stream* stream = FindStream(mixer, handle);
    if (stream == nullptr) {
        return 0.0f;
    }
    return static_cast<float>(static_cast<double>(position) / kBytesPerFrame / stream->rate);
}

QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float seconds) {
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> guard(mixer.lock);
    const Stream* stream = FindStream(mixer, handle);
    if (stream == nullptr || !(seconds > 0.0f)) {
        return 0;
    }
    // Far beyond any stream, and far from overflowing.
    const double frames = std::min(static_cast<double>(seconds) * stream->rate, 1e15);
    return static_cast<QWORD>(frames) * kBytesPerFrame;
}

BOOL BASS_ChannelSetAttribute(DWORD handle, DWORD attrib, float value) {
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> guard(mixer.lock);
    Stream* stream = FindStream(mixer, handle);
    if (stream == nullptr || attrib != BASS_ATTRIB_FREQ || !(value >= 0.0f) || value > static_cast<float>(kMaxRate)) {
        return FALSE;
    }
    // Below the lowest rate there is nothing to hear; 0 is the stream's own.
    if (value > 0.0f && value < 100.0f) {
        return FALSE;
    }
    stream->playRate = value;
    return TRUE;
}

namespace Platform {

void SetBassVersion(DWORD version) { reportedVersion = version; }

void UseSilentOutput(bool silent) { silentOutput = silent; }

void UseClockPosition(bool onClock) { clockPosition = onClock; }
const char* MusicError() { return musicError.c_str(); }

bool ModulePosition(HSTREAM handle, int* order, int* row) {
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> guard(mixer.lock);
    Stream* stream = FindStream(mixer, handle);
    if (stream == nullptr || stream->rows.empty()) {
        return false;
    }
    AdvanceByClock(mixer, *stream, NowSeconds());
    const uint64_t frame = static_cast<uint64_t>(stream->position);
    const auto after = std::upper_bound(stream->rows.begin(), stream->rows.end(), frame,
                                        [](uint64_t at, const ModuleMusic::RowMark& mark) { return at < mark.frame; });
    const ModuleMusic::RowMark& mark = after == stream->rows.begin() ? *after : *(after - 1);
    *order = mark.order;
    *row = mark.row;
    return true;
}

uint32_t StreamFrames(HSTREAM handle, int64_t end, int count, float* mono) {
    Mixer& mixer = TheMixer();
    std::lock_guard<std::mutex> guard(mixer.lock);
    const Stream* stream = FindStream(mixer, handle);
    if (stream == nullptr || stream->samples.empty() || count <= 0) {
        return 0;
    }
    const int64_t frames = static_cast<int64_t>(stream->frames);
    const int64_t first = end - count;
    for (int i = 0; i < count; ++i) {
        const int64_t frame = first + i;
        if (frame < 0 || frame >= frames) {
            mono[i] = 0.0f;
            continue;
        }
        const auto at = static_cast<uint64_t>(frame);
        mono[i] = (static_cast<float>(SampleAt(*stream, at, 0)) + static_cast<float>(SampleAt(*stream, at, 1))) *
                  (0.5f / 32768.0f);
    }
    return stream->rate;
}

}  // namespace Platform
