// A binary scene as an ESCENA_BIN line loads it: read, named, linked to its
// materials, prepared with the adjacency counts the file carries and
// snapshot. Texture loading needs OpenGL and has harnesses of its own (Tga,
// Jpeg). Each object is then deformed once with every stage on, which walks
// the faces and the adjacency lists the file sized.
#include "fuzz/support/FuzzHarness.h"
#include "fuzz/support/SceneWorkout.h"
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
        SceneWorkout::PrepareAndDeform(*scene, true);
    });
    scene->Release();
    delete scene;
    delete reader;
    return 0;
}
