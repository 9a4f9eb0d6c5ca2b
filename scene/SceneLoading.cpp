// Scene creation for the registry: read the file, then the creation steps
// that make a scene drawable.
#include <cstdio>

#include "core/Engine.h"
#include "core/Log.h"
#include "scene/AseReader.h"
#include "scene/BinarySceneFile.h"
#include "scene/Scene.h"

namespace {

bool RefuseWhenFull(const Engine& engine, const char* fileName) {
    if (engine.sceneCount < Engine::kMaxScenes) {
        return false;
    }
    char text[256];
    std::snprintf(text, sizeof text, "-- PRECONFIG -- Demasiadas escenas (maximo %d): se ignora [ %s ]\n",
                  Engine::kMaxScenes, fileName);
    Log::Write(text);
    return true;
}

// Everything after reading (and, for ASE scenes, centring): display, name,
// textures, material links, clear flag, preparation and snapshot.
void FinishScene(Scene& scene, Display* display, const char* sceneName, bool binaryScene) {
    scene.SetDisplay(display);
    scene.SetName(sceneName);
    scene.PrepareTextures();
    scene.LinkMaterials();
    scene.SetClearBuffers(true);
    for (uint32_t i = 0; i < scene.objectCount; ++i) {
        scene.objects[i].Prepare(binaryScene);
    }
    for (uint32_t i = 0; i < scene.objectCount; ++i) {
        scene.objects[i].Snapshot();
    }
}

}  // namespace

int Engine::LoadSceneAse(const char* fileName, const char* sceneName) {
    if (RefuseWhenFull(*this, fileName)) {
        return sceneCount;
    }
    AseReader reader;
    Scene* scene = new Scene();
    reader.Read(fileName, *scene);

    // Objects rotate about their own centre.
    for (uint32_t i = 0; i < scene->objectCount; ++i) {
        scene->objects[i].Centre();
    }
    FinishScene(*scene, display, sceneName, false);
    RegisterScene(scene);
    return sceneCount;
}

// Binary scenes were centred when they were written: positions come from the
// file, and so do the adjacency counts.
int Engine::LoadSceneBin(const char* fileName, const char* sceneName) {
    if (RefuseWhenFull(*this, fileName)) {
        return sceneCount;
    }
    BinarySceneFile reader;
    Scene* scene = new Scene();
    reader.Read(fileName, *scene);
    FinishScene(*scene, display, sceneName, true);
    RegisterScene(scene);
    return sceneCount;
}
