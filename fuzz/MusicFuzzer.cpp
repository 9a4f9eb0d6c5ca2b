// A music file as the SOUND line opens it (no sound device, as on a machine
// without one), then played, sought and measured as the show does, with the
// clock moved on between the calls as a playing show moves it (by a time the
// input's size picks, so that short and long sounds both reach their end).
#include "fuzz/support/FuzzHarness.h"
#include "platform/Clock.h"
#include "sound/SoundStream.h"

namespace {

void PassTime(size_t size, int64_t scale) {
    Platform::SetVirtualTimeNs(Platform::VirtualTimeNs() + static_cast<int64_t>(size % 997 + 1) * scale);
}

}  // namespace

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
        PassTime(size, 1000000);
        stream.SeekForward(stream.Length() / 2.0f);
        PassTime(size, 10000000);
        volatile float position = stream.Position();
        (void)position;
        stream.Level();
        stream.SeekBack(1.0f);
        PassTime(size, 100000000);
        position = stream.Position();
        stream.Release();
    });
    return 0;
}
