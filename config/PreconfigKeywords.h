// Every word preconfig.txt may hold, in one table: the two commands, each LOAD
// kind with the meaning of its arguments, each SET kind with its sub-keywords
// and their arguments, and the layer type words. The reader recognises words
// through it and halvenor-check checks lines against it, so a keyword added
// here is known to both.
#ifndef HALVENOR_CONFIG_PRECONFIGKEYWORDS_H
#define HALVENOR_CONFIG_PRECONFIGKEYWORDS_H

#include <cstdint>

// What one argument word stands for.
enum class PreconfigArg : uint8_t {
    Number,          // decimal number (atof)
    WholeNumber,     // whole number (atoi)
    YesNo,           // "YES" in any case is yes, any other word no
    LayerType,       // BOARD, BACKGROUND, OVERLAY, PBUFFER or SHADER
    File,            // a file of the show, after the path rules
    Image,           // an image file (JPEG or TGA)
    NewScene,        // the name a new resource is registered under
    NewLayer,
    NewParticles,
    NewPixelBuffer,
    Scene,           // the name of a resource created by an earlier line
    Layer,
    Particles,
    PixelBuffer,
    TrackBase,       // the start of a show's .track file names, or its .rocket project
    TrackProperty,   // what of a layer or scene a sync track drives (alpha, fov, ...)
};

// Kinds of resources the lines create and configure.
enum class PreconfigResource : uint8_t { None, Scene, Layer, Particles, PixelBuffer };

constexpr int kPreconfigMaxArgs = 10;

// One LOAD kind or one SET sub-keyword: the words that follow it.
struct PreconfigForm {
    const char* word;
    int argCount;
    PreconfigArg args[kPreconfigMaxArgs];
    // What each argument means, for messages ("file", "scene name", ...).
    const char* usage;
    // False while the engine reads the line but does not act on it yet.
    bool built;
};

// One SET kind: the resource its first argument names and its sub-keywords.
struct PreconfigSetKind {
    const char* word;
    PreconfigResource resource;
    const PreconfigForm* options;
    int optionCount;
};

class PreconfigKeywords {
public:
    static constexpr const char* kLoad = "LOAD";
    static constexpr const char* kSet = "SET";
    static constexpr const char* kComment = "//";

    // Null when the word (any letter case) is not a kind.
    static const PreconfigForm* FindLoadKind(const char* word);
    static const PreconfigSetKind* FindSetKind(const char* word);
    static const PreconfigForm* FindSetOption(const PreconfigSetKind& kind, const char* word);

    // The layer type code of a type word: BOARD 1, BACKGROUND 2, OVERLAY 3,
    // PBUFFER 4, SHADER 5; 0 for any other word.
    static int LayerTypeCode(const char* word);

    // The tables themselves, for listing and for the nearest known word.
    static const PreconfigForm* LoadKinds(int& count);
    static const PreconfigSetKind* SetKinds(int& count);
    static const char* const* LayerTypeWords(int& count);

    // Kinds that create a resource, and the resource they create.
    static PreconfigResource Creates(const PreconfigForm& loadKind);
    // Whether a LOAD kind needs the window (and so the DISPLAY line) first.
    static bool NeedsDisplay(const PreconfigForm& loadKind);
};

#endif
