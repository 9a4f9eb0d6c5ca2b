// A scene file read with the engine's own reader, ASE or binary, without a
// window: its textures are named, not loaded. What the reader says (its log
// warnings, its boxes, an ending) becomes findings on the lines it was
// reading, and what it read (objects, cameras, lights) is kept for the
// script's indices; then its textures, its tracks and the flares' texture
// are checked.
#ifndef HALVENOR_CHECKER_SCENECHECKER_H
#define HALVENOR_CHECKER_SCENECHECKER_H

#include <cstddef>
#include <string>

#include "checker/ShowResources.h"

struct CheckedShow;
class Scene;
class SceneReading;

class SceneChecker {
public:
    explicit SceneChecker(CheckedShow& show) : show(show) {}

    // The scene of the LOAD ESCENA_ASE or ESCENA_BIN line at file:line.
    void Read(const std::string& file, int line, ShowResources::SceneInfo& info, bool binary);

private:
    static void Keep(ShowResources::SceneInfo& info, const Scene& scene);
    void Report(const std::string& sceneFile, const SceneReading& reading, bool ended);
    void CheckMaterials(const std::string& sceneFile, const std::string& text, const Scene& scene,
                        const std::string& owner, bool binary);
    void CheckFlares(const std::string& file, int line, const Scene& scene);

    CheckedShow& show;
};

#endif
