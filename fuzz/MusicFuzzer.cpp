// A music file as the SOUND line opens it (no sound device, as on a machine
// without one), then played, sought and measured as the show does.
#include "fuzz/support/FuzzHarness.h"
#include "sound/SoundStream.h"

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    FuzzHarness::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzHarness run(data, size, "musica.wav");
    run.Run([&] {
        SoundStream stream;
        stream.Open(run.FileName());
        stream.Play();
        stream.SeekForward(stream.Length() / 2.0f);
        volatile float position = stream.Position();
        (void)position;
        stream.Level();
        stream.SeekBack(1.0f);
        stream.Release();
    });
    return 0;
}
