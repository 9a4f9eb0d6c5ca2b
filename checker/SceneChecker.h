// A scene file read with the engine's own reader, ASE or binary, without a
// window: its textures are named, not loaded. What the reader says (its log
// warnings, its boxes, an ending) becomes findings, and what it read (objects,
// cameras, lights) is kept for the script's indices; then its textures, its
// tracks and the flares' texture are checked.
#ifndef HALVENOR_CHECKER_SCENECHECKER_H
#define HALVENOR_CHECKER_SCENECHECKER_H

#include <cstddef>
#include <string>

#include "checker/ShowResources.h"

struct CheckedShow;
class Scene;

class SceneChecker {
public:
    explicit SceneChecker(CheckedShow& show) : show(show) {}

    // The scene of the LOAD ESCENA_ASE or ESCENA_BIN line at file:line.
    void Read(const std::string& file, int line, ShowResources::SceneInfo& info, bool binary);

private:
    // A reader that ends the player on a bad file (an element line before
    // its count line, a file gone since it was found) must not end the
    // checker, nor a player that reads a changed show while it plays. True
    // when the reader ended; status is then its exit status.
    static bool ReadEnded(const std::string& name, bool binary, Scene& scene, std::string& log, unsigned& status);
    static void Keep(ShowResources::SceneInfo& info, const Scene& scene);
    void ReportReader(const std::string& sceneFile, const std::string& log, size_t boxesBefore);
    void ReportEnding(const std::string& sceneFile, size_t boxesBefore, unsigned status);
    void CheckMaterials(const std::string& sceneFile, const std::string& text, const Scene& scene,
                        const std::string& owner, bool binary);
    void CheckFlares(const std::string& file, int line, const Scene& scene);

    CheckedShow& show;
};

#endif
