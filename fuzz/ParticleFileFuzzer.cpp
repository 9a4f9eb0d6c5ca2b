// A particle definition file as a PARTICULAS line loads it: read into a
// system (texture names that name no readable picture load nothing, so no
// OpenGL is needed), named, then moved along its path for a few frames, as
// the frame loop does before drawing it.
#include "fuzz/support/FuzzHarness.h"
#include "fx2d/ParticleSystem.h"

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    FuzzHarness::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzHarness run(data, size, "particulas.bin");
    ParticleSystem* system = new ParticleSystem();
    run.Run([&] {
        system->Load(run.FileName());
        system->SetName("Humo");
        system->SetVisible(true);
        for (int frame = 0; frame < 4; ++frame) {
            system->Update();
        }
    });
    system->Release();
    delete system;
    return 0;
}
