// What the show's lines create, as the engine registers it: the window,
// scenes (with what the checker read of them), layers, particle systems and
// pixel buffers, each kind within the engine's capacity, names found in any
// letter case, the first of two equal names winning.
#ifndef HALVENOR_CHECKER_SHOWRESOURCES_H
#define HALVENOR_CHECKER_SHOWRESOURCES_H

#include <cstdint>
#include <string>
#include <vector>

class ShowFindings;

class ShowResources {
public:
    enum class Kind { Scene, Layer, Particles, PixelBuffer };

    struct Display {
        bool seen = false;
        int line = 0;
        int width = 0;
        int height = 0;
        int bits = 0;
        bool fullscreen = false;
    };
    struct SceneInfo {
        std::string name;
        std::string file;
        int line;
        // Read without the reader giving up: its indices can be checked.
        bool read;
        bool hasPixelBuffer;
        uint32_t cameraCount;
        uint32_t lightCount;
        std::vector<std::string> objectNames;
    };
    struct Resource {
        std::string name;
        std::string detail;
        // 0 for what the engine makes itself.
        int line;
    };

    // Registers what a line creates, as the engine would: a name used before
    // is a warning, one past the kind's capacity an error and not registered.
    void Register(ShowFindings& findings, Kind kind, const std::string& file, int line, const std::string& name,
                  const std::string& detail);
    // Index in the kind's list of the first resource of that name, or -1.
    int Find(Kind kind, const std::string& name) const;
    std::vector<std::string> Names(Kind kind) const;
    // What the engine adds after the last line of preconfig.txt: the blur
    // pass's pixel buffers and layers.
    void AddEngineResources();

    // "800 x 600 x 32 windowed", empty without a LOAD DISPLAY line.
    std::string DisplayMode() const;

    Display display;
    std::vector<SceneInfo> scenes;
    std::vector<Resource> layers;
    std::vector<Resource> particleSystems;
    std::vector<Resource> pixelBuffers;

private:
    int LineOf(Kind kind, int index) const;
    std::vector<Resource>& ListOf(Kind kind);
    const std::vector<Resource>& ListOf(Kind kind) const;
};

#endif
