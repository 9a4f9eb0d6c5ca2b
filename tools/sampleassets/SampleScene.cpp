// The sample's scene: its objects, materials, cameras and lights written as
// an ASCII scene file, and the binary scene SceneExport makes of it.
#include "tools/sampleassets/SampleScene.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/ChildProcess.h"
#include "platform/FileSystem.h"
#include "tools/sampleassets/AseWriter.h"
#include "tools/sampleassets/SampleMeshes.h"
#include "tools/sampleassets/SiblingTool.h"

namespace SampleAssets {

namespace {

constexpr int kLastFrame = 249;

// The first camera circles the torus once over the scene, rising and
// falling twice on the way.
std::vector<Vec3> CameraOrbit() {
    std::vector<Vec3> track;
    for (int frame = 0; frame <= kLastFrame; ++frame) {
        const double angle = 2.0 * kPi * frame / (kLastFrame + 1) - kPi / 2.0;
        track.push_back({195.0 * std::cos(angle), 195.0 * std::sin(angle), 80.0 + 25.0 * std::sin(2.0 * angle)});
    }
    return track;
}

// The flare light drifts across the sky behind the scene.
std::vector<Vec3> FlarePath() {
    std::vector<Vec3> track;
    for (int frame = 0; frame <= kLastFrame; ++frame) {
        const double angle = kPi * 0.25 + kPi * frame / (kLastFrame + 1);
        track.push_back({150.0 * std::cos(angle), 150.0 * std::sin(angle), 105.0 + 25.0 * std::sin(angle)});
    }
    return track;
}

}  // namespace

// The sample scene: four objects, two cameras (one orbiting), two lights and
// the flare's light drifting behind them, over ten seconds at 25 frames.
bool WriteScene(const std::string& path) {
    FILE* const file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    AseWriter ase(file);
    ase.Header(kLastFrame);
    ase.Materials({
        {"Suelo", {0.8, 0.8, 0.8}, 0.1, 0.0, false, "texturas\\checker.jpg", false, 8.0},
        {"Marmol", {0.9, 0.9, 0.9}, 0.5, 0.0, false, "texturas\\marble.tga", false, 2.0},
        {"Cromo", {0.9, 0.9, 0.9}, 0.8, 0.0, false, "texturas\\env.jpg", true, 1.0},
        {"Cristal", {0.6, 0.8, 1.0}, 0.6, 0.4, true, "texturas\\checker.jpg", false, 1.0},
    });
    ase.GeomObject(MakeGround(600.0, 20));
    ase.GeomObject(MakeTorus(Vec3{0.0, 0.0, 48.0}, 32.0, 12.0, 32, 16, 65.0));
    ase.GeomObject(MakeSphere("Esfera", 2, Vec3{85.0, -30.0, 24.0}, 24.0, 24, 16));
    ase.GeomObject(MakeBox(Vec3{-85.0, 25.0, 18.0}, 18.0));
    const std::vector<Vec3> orbit = CameraOrbit();
    ase.CameraObject("Camera01", orbit[0], Vec3{0.0, 0.0, 30.0}, 0.7854, orbit);
    ase.CameraObject("Camera02", Vec3{-40.0, -240.0, 140.0}, Vec3{0.0, 0.0, 25.0}, 0.9, {});
    ase.OmniLight("Omni01", Vec3{160.0, -120.0, 140.0}, Colour{1.0, 0.72, 0.45}, false, {});
    ase.OmniLight("Omni02", Vec3{-150.0, 140.0, 90.0}, Colour{0.35, 0.55, 1.0}, false, {});
    const std::vector<Vec3> flare = FlarePath();
    ase.OmniLight("Sol", flare[0], Colour{1.0, 1.0, 1.0}, true, flare);
    return std::fclose(file) == 0;
}

// The show loads its scene from the binary file, made as an author makes it:
// SceneExport, built beside this tool, run in the show directory.
bool ExportBinaryScene(const std::string& root) {
    const std::string tool = SiblingToolPath("SceneExport");
    if (tool.empty()) {
        return false;
    }
    const std::string log = root + "/error_log.txt";
    const bool hadLog = Platform::PathExists(log);
    const bool exported = Platform::ChildProcess::RunToEnd({tool, "escena.ase", "escena.bin"}, root, true) == 0;
    // The export's journal is worth keeping only when it failed.
    if (exported && !hadLog) {
        std::remove(log.c_str());
    }
    return exported;
}

}  // namespace SampleAssets
