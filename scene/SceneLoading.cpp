// Scene creation for the registry: read the file, then the creation steps
// that make a scene drawable.
#include <cstdio>

#include "core/Engine.h"
#include "core/Log.h"
#include "scene/AseReader.h"
#include "scene/Scene.h"

int Engine::LoadSceneAse(const char* fileName, const char* sceneName) {
    if (sceneCount >= kMaxScenes) {
        char text[256];
        std::snprintf(text, sizeof text,
                      "-- PRECONFIG -- Demasiadas escenas (maximo %d): se ignora [ %s ]\n", kMaxScenes, fileName);
        Log::Write(text);
        return sceneCount;
    }
    AseReader reader;
    Scene* scene = new Scene();
    reader.Read(fileName, *scene);

    // Objects rotate about their own centre.
    for (uint32_t i = 0; i < scene->objectCount; ++i) {
        scene->objects[i].Centre();
    }
    scene->SetDisplay(display);
    scene->SetName(sceneName);
    scene->PrepareTextures();
    scene->LinkMaterials();
    scene->SetClearBuffers(true);
    for (uint32_t i = 0; i < scene->objectCount; ++i) {
        scene->objects[i].Prepare(false);
    }
    for (uint32_t i = 0; i < scene->objectCount; ++i) {
        scene->objects[i].Snapshot();
    }
    RegisterScene(scene);
    return sceneCount;
}
