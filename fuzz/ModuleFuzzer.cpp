// A tracker module as the SOUND line opens it (told by its content), played,
// sought and asked for its order and row as the show does; then a stretch of
// it rendered to WAV as a capture does.
#include "fuzz/support/FuzzHarness.h"
#include "platform/Bass.h"
#include "platform/ModuleMusic.h"
#include "sound/SoundStream.h"

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    FuzzHarness::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzHarness run(data, size, "musica.mod");
    run.Run([&] {
        SoundStream stream;
        if (stream.Open(run.FileName())) {
            stream.Play();
            stream.SeekForward(stream.Length() / 2.0f);
            int order = 0;
            int row = 0;
            Platform::ModulePosition(stream.handle, &order, &row);
            stream.SeekBack(1.0f);
            stream.Release();
        }
        std::string reason;
        const std::unique_ptr<ModuleMusic> module = ModuleMusic::LoadFile(run.FileName(), &reason);
        if (module) {
            module->Describe();
            module->WriteWav(module->FrameCount() / 2, ModuleMusic::kRate / 4, "tramo.wav", &reason);
        }
    });
    return 0;
}
