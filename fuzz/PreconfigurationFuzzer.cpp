// preconfig.txt through the engine's own line handling: every LOAD and SET
// line is processed as the engine processes it, then the engine shuts down
// (releases, markers). DISPLAY lines are passed over, since a window needs a
// display server; so scene and layer lines find no display and are refused,
// as without a DISPLAY line (their files have harnesses of their own).
#include <cstdio>

#include "config/PreconfigLine.h"
#include "core/Engine.h"
#include "fuzz/support/FuzzHarness.h"
#include "platform/FileSystem.h"

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    FuzzHarness::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzHarness run(data, size, "preconfig.txt");
    Engine* engine = new Engine();
    run.Run([&] {
        FILE* file = Platform::OpenFile(run.FileName(), "r");
        if (file == nullptr) {
            return;
        }
        char line[PreconfigLine::kLineLimit + 1];
        while (Platform::ReadTextLine(line, sizeof line, file) != nullptr && !std::feof(file)) {
            if (!PreconfigLine(line).KindIs("DISPLAY")) {
                engine->ProcessPreconfigLine(line);
            }
        }
        std::fclose(file);
        engine->Shutdown();
    });
    delete engine;
    return 0;
}
