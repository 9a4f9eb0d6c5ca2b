#include "core/ShaderMusic.h"

#include "core/Engine.h"
#include "platform/Bass.h"
#include "sound/SoundStream.h"

namespace {

constexpr uint32_t kRateWithoutMusic = 44100;
constexpr uint64_t kBytesPerFrame = 4;

static_assert(ShaderInputs::kBins == MusicAnalysis::kBins, "one band count");
static_assert(ShaderInputs::kWaveformFrames == MusicAnalysis::kWaveform, "one waveform length");

}  // namespace

ShaderMusic::ShaderMusic(const Engine& owner) : engine(owner), picture(new MusicAnalysis::Picture()) {}

double ShaderMusic::PictureTime() { return engine.MusicTime(); }

uint32_t ShaderMusic::SampleRate() {
    const uint32_t handle = engine.sound != nullptr ? engine.sound->handle : 0;
    const auto rate = static_cast<uint32_t>(BASS_ChannelSeconds2Bytes(handle, 1.0f) / kBytesPerFrame);
    return rate != 0 ? rate : kRateWithoutMusic;
}

ShaderInputs::Music ShaderMusic::MusicAtPicture(unsigned parts) {
    const uint32_t handle = engine.sound != nullptr ? engine.sound->handle : 0;
    if (spectrum == nullptr || handle != spectrumHandle) {
        spectrum.reset(new MusicAnalysis([handle](int64_t end, int count, float* mono) {
            return Platform::StreamFrames(handle, end, count, mono);
        }));
        spectrumHandle = handle;
        pictureFrame = -1;
    }
    // The exact frame the music stands at: the picture's own.
    const auto frame =
        static_cast<int64_t>(engine.sound != nullptr ? engine.sound->BytePosition() / kBytesPerFrame : 0);
    if (frame != pictureFrame || (parts & ~pictureParts) != 0) {
        spectrum->Analyse(frame, parts, *picture);
        if ((parts & kSmoothed) != 0) {
            for (int x = 0; x < kWaveformFrames; ++x) {
                shadertoy[x] = MusicAnalysis::ShadertoyLevel(picture->smoothed[x]);
            }
        }
        pictureFrame = frame;
        pictureParts = parts;
    }
    return Music{picture->spectrum, picture->smoothed, picture->integrated, picture->waveform, shadertoy,
                 picture->rate};
}
