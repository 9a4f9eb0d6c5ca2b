// What a shader layer asks of the show at each picture: the music time of the
// picture and the music analysed there. The registry answers it (from the
// music stream and its spectrum); tests answer it with made-up music.
#ifndef HALVENOR_FX2D_SHADERINPUTS_H
#define HALVENOR_FX2D_SHADERINPUTS_H

#include <cstdint>

class ShaderInputs {
public:
    static constexpr int kBins = 1024;
    static constexpr int kWaveformFrames = 512;

    // The music analysed at one picture, as the shaders' textures hold it.
    struct Music {
        const float* spectrum;    // kBins amplitudes, 0 to half the rate
        const float* smoothed;    // kBins
        const float* integrated;  // kBins
        const float* waveform;    // kWaveformFrames frames, -1 to 1
        const float* shadertoy;   // kWaveformFrames levels 0..1: Shadertoy's spectrum row
        uint32_t rate;            // 0 without music
    };

    // The parts of the music a program reads.
    enum Part : unsigned { kSpectrum = 1, kSmoothed = 2, kIntegrated = 4, kWaveform = 8 };

    virtual ~ShaderInputs() = default;
    // Music time of the picture being drawn, in seconds.
    virtual double PictureTime() = 0;
    // The music at that time, at least the parts asked for; the arrays stay
    // valid until the next call.
    virtual Music MusicAtPicture(unsigned parts) = 0;
    // The music's sample rate (44 100 without music).
    virtual uint32_t SampleRate() = 0;
};

#endif
