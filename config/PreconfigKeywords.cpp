#include "config/PreconfigKeywords.h"

#include "config/PreconfigLine.h"

namespace {

using A = PreconfigArg;

// The `built` flags say what this engine does with each line today: a line
// whose flag is false is read and logged but changes nothing yet.
const PreconfigForm kLoadKinds[] = {
    {"ESCENA_BIN", 2, {A::File, A::NewScene}, "file scene-name", true},
    {"ESCENA_ASE", 2, {A::File, A::NewScene}, "file scene-name", true},
    {"LAYER2D", 3, {A::Image, A::LayerType, A::NewLayer}, "image-file type layer-name", true},
    {"PARTICULAS", 2, {A::File, A::NewParticles}, "file name", true},
    {"SOUND", 1, {A::File}, "music-file", true},
    {"DISPLAY", 4, {A::WholeNumber, A::WholeNumber, A::WholeNumber, A::YesNo}, "width height bits YES/NO", true},
    {"LOAD_SCREEN", 1, {A::Image}, "image-file", true},
    {"SCRIPT", 1, {A::File}, "script-file", true},
    {"PBUFFER", 3, {A::NewPixelBuffer, A::WholeNumber, A::WholeNumber}, "name width height", true},
    {"TRACKS", 3, {A::TrackBase, A::Number, A::Number}, "base bpm rows-per-beat", true},
};

const PreconfigForm kSceneOptions[] = {
    {"FOG", 6, {A::Number, A::Number, A::Number, A::Number, A::Number, A::Number},
     "start end density red green blue", true},
    {"PBUFFER", 1, {A::PixelBuffer}, "pixel-buffer-name", true},
    {"CLEAR", 1, {A::YesNo}, "YES/NO", true},
    {"TRACK", 1, {A::TrackProperty}, "property", true},
};

const PreconfigForm kParticleOptions[] = {
    {"ESCENA", 1, {A::Scene}, "scene-name", true},
};

const PreconfigForm kLayerOptions[] = {
    {"ALPHA_FUNC", 1, {A::Number}, "blend-mode", true},
    {"ALPHA", 1, {A::Number}, "alpha", true},
    {"ALPHA_ANIMATION", 3, {A::Number, A::Number, A::WholeNumber}, "start-alpha end-alpha ticks", true},
    {"MOVE_ANIMATION", 3, {A::WholeNumber, A::WholeNumber, A::WholeNumber}, "x y ticks", true},
    {"MOVE", 2, {A::Number, A::Number}, "x y", true},
    {"FPS", 1, {A::Number}, "milliseconds-per-tick", true},
    {"PBUFFER", 1, {A::PixelBuffer}, "pixel-buffer-name", true},
    {"MAP_ROTATION", 1, {A::Number}, "scroll-per-tick", true},
    {"CHANNEL", 2, {A::WholeNumber, A::File}, "channel image-file|MUSIC|PREVIOUS|PBUFFER", true},
    {"TRACK", 1, {A::TrackProperty}, "property", true},
};

template <typename T, int N>
constexpr int Count(const T (&)[N]) {
    return N;
}

const PreconfigSetKind kSetKinds[] = {
    {"ESCENA", PreconfigResource::Scene, kSceneOptions, Count(kSceneOptions)},
    {"PARTICULAS", PreconfigResource::Particles, kParticleOptions, Count(kParticleOptions)},
    {"LAYER2D", PreconfigResource::Layer, kLayerOptions, Count(kLayerOptions)},
};

// In code order: the word at index i has type code i + 1.
const char* const kLayerTypes[] = {"BOARD", "BACKGROUND", "OVERLAY", "PBUFFER", "SHADER"};

template <typename Entry, int N>
const Entry* FindWord(const Entry (&table)[N], const char* word) {
    for (const Entry& entry : table) {
        if (EqualsIgnoringCase(entry.word, word)) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace

const PreconfigForm* PreconfigKeywords::FindLoadKind(const char* word) { return FindWord(kLoadKinds, word); }

const PreconfigSetKind* PreconfigKeywords::FindSetKind(const char* word) { return FindWord(kSetKinds, word); }

const PreconfigForm* PreconfigKeywords::FindSetOption(const PreconfigSetKind& kind, const char* word) {
    for (int i = 0; i < kind.optionCount; ++i) {
        if (EqualsIgnoringCase(kind.options[i].word, word)) {
            return &kind.options[i];
        }
    }
    return nullptr;
}

int PreconfigKeywords::LayerTypeCode(const char* word) {
    for (int i = 0; i < Count(kLayerTypes); ++i) {
        if (EqualsIgnoringCase(kLayerTypes[i], word)) {
            return i + 1;
        }
    }
    return 0;
}

const PreconfigForm* PreconfigKeywords::LoadKinds(int& count) {
    count = Count(kLoadKinds);
    return kLoadKinds;
}

const PreconfigSetKind* PreconfigKeywords::SetKinds(int& count) {
    count = Count(kSetKinds);
    return kSetKinds;
}

const char* const* PreconfigKeywords::LayerTypeWords(int& count) {
    count = Count(kLayerTypes);
    return kLayerTypes;
}

PreconfigResource PreconfigKeywords::Creates(const PreconfigForm& loadKind) {
    for (int i = 0; i < loadKind.argCount; ++i) {
        switch (loadKind.args[i]) {
            case A::NewScene:
                return PreconfigResource::Scene;
            case A::NewLayer:
                return PreconfigResource::Layer;
            case A::NewParticles:
                return PreconfigResource::Particles;
            case A::NewPixelBuffer:
                return PreconfigResource::PixelBuffer;
            default:
                break;
        }
    }
    return PreconfigResource::None;
}

bool PreconfigKeywords::NeedsDisplay(const PreconfigForm& loadKind) {
    // The music, the script and the tracks are read without OpenGL;
    // everything else loads images or needs the window's context.
    return !EqualsIgnoringCase(loadKind.word, "SOUND") && !EqualsIgnoringCase(loadKind.word, "SCRIPT") &&
           !EqualsIgnoringCase(loadKind.word, "DISPLAY") && !EqualsIgnoringCase(loadKind.word, "TRACKS");
}
