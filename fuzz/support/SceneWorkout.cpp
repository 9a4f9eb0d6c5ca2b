#include "fuzz/support/SceneWorkout.h"

#include "scene/Scene.h"

namespace {

// Every deformation stage, with moderate parameters.
constexpr int kAllStages = 0x3FF;

}  // namespace

void SceneWorkout::PrepareAndDeform(Scene& scene, bool binaryScene) {
    for (uint32_t i = 0; i < scene.objectCount; ++i) {
        scene.objects[i].Prepare(binaryScene);
    }
    for (uint32_t i = 0; i < scene.objectCount; ++i) {
        scene.objects[i].Snapshot();
    }
    for (uint32_t i = 0; i < scene.objectCount; ++i) {
        scene.objects[i].SetDeformation(kAllStages, 8.0, 4.0, 0.0, 2.0);
        scene.objects[i].Deform();
    }
}
