// An ASE scene as an ESCENA_ASE line loads it: read, centred, linked to its
// materials, prepared and snapshot. Texture loading needs OpenGL and has
// harnesses of its own (Tga, Jpeg). Each object is then deformed once with
// every stage on, which walks the faces and adjacency the file made.
#include "fuzz/support/FuzzHarness.h"
#include "fuzz/support/SceneWorkout.h"
#include "scene/AseReader.h"
#include "scene/Scene.h"

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    FuzzHarness::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzHarness run(data, size, "escena.ase");
    AseReader* reader = new AseReader();
    Scene* scene = new Scene();
    run.Run([&] {
        reader->Read(run.FileName(), *scene);
        for (uint32_t i = 0; i < scene->objectCount; ++i) {
            scene->objects[i].Centre();
        }
        scene->SetName("Sala");
        scene->LinkMaterials();
        SceneWorkout::PrepareAndDeform(*scene, false);
    });
    scene->Release();
    delete scene;
    delete reader;
    return 0;
}
