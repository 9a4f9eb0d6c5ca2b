// The show's answers to its shader layers: the music time of the picture from
// the music stream, and the music analysed there (sound/MusicAnalysis) from
// the decoded music itself. One per show, shared by its shader layers, so a
// picture's music is analysed once however many layers read it.
#ifndef HALVENOR_CORE_SHADERMUSIC_H
#define HALVENOR_CORE_SHADERMUSIC_H

#include <cstdint>
#include <memory>

#include "fx2d/ShaderInputs.h"
#include "sound/MusicAnalysis.h"

class Engine;

class ShaderMusic : public ShaderInputs {
public:
    explicit ShaderMusic(const Engine& engine);

    double PictureTime() override;
    Music MusicAtPicture(unsigned parts) override;
    uint32_t SampleRate() override;

private:
    const Engine& engine;
    // Made again when the show's music changes (a reload).
    std::unique_ptr<MusicAnalysis> spectrum;
    uint32_t spectrumHandle = 0;
    std::unique_ptr<MusicAnalysis::Picture> picture;
    float shadertoy[kWaveformFrames] = {};
    int64_t pictureFrame = -1;
    unsigned pictureParts = 0;
};

#endif
