// A binary scene as an ESCENA_BIN line loads it: read, named, linked to its
// materials, prepared with the adjacency counts the file carries and
// snapshot. Texture loading needs OpenGL and has harnesses of its own (Tga,
// Jpeg). Each object is then deformed once with every stage on, which walks
// the faces and the adjacency lists the file sized.
#include "fuzz/support/FuzzHarness.h"
#include "scene/BinarySceneFile.h"
#include "scene/Scene.h"

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    FuzzHarness::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzHarness run(data, size, "escena.bin");
    BinarySceneFile* reader = new BinarySceneFile();
    Scene* scene = new Scene();
    run.Run([&] {
        reader->Read(run.FileName(), *scene);
        scene->SetName("Sala");
        scene->LinkMaterials();
        scene->SetClearBuffers(true);
        for (uint32_t i = 0; i < scene->objectCount; ++i) {
            scene->objects[i].Prepare(true);
        }
        for (uint32_t i = 0; i < scene->objectCount; ++i) {
            scene->objects[i].Snapshot();
        }
        for (uint32_t i = 0; i < scene->objectCount; ++i) {
            scene->objects[i].SetDeformation(0x3FF, 8.0, 4.0, 0.0, 2.0);
            scene->objects[i].Deform();
        }
    });
    scene->Release();
    delete scene;
    delete reader;
    return 0;
}
