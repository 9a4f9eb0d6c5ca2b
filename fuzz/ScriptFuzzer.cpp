// The timeline file as the SCRIPT line loads it (load, sort, first event),
// then played: every event due at music time 0 applied to a scene named "Sala"
// as the demo driver applies it, three sync markers, and the shutdown that
// appends them to the file.
#include "config/Script.h"
#include "core/Engine.h"
#include "fuzz/support/FuzzHarness.h"
#include "scene/Scene.h"

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    FuzzHarness::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzHarness run(data, size, "guion.txt");
    Engine* engine = new Engine();
    run.Run([&] {
        Scene* scene = new Scene();
        scene->SetName("Sala");
        scene->InitObjects(2);
        scene->InitCameras(2);
        scene->InitLights(0);
        engine->RegisterScene(scene);
        engine->LoadScript(run.FileName());
        engine->script->NextEvent(engine->nextEvent);
        for (int frame = 0; frame < 4 && engine->RunDemoStep() > 0; ++frame) {
        }
        for (const float time : {0.5f, 0.25f, 1e30f}) {
            engine->AddMarker(time);
        }
        engine->Shutdown();
    });
    delete engine;
    return 0;
}
