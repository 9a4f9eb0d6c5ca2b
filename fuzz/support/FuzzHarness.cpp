#include "fuzz/support/FuzzHarness.h"

#include <sanitizer/common_interface_defs.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/FileMemoryBudget.h"
#include "core/Log.h"
#include "fuzz/support/MemoryWatch.h"
#include "platform/Clock.h"
#include "platform/Process.h"

jmp_buf FuzzHarness::exitJump;
bool FuzzHarness::insideRun = false;

namespace {

void WriteFile(const char* name, const void* data, size_t size) {
    FILE* file = std::fopen(name, "wb");
    if (file == nullptr) {
        std::perror(name);
        std::abort();
    }
    if (size > 0 && std::fwrite(data, 1, size, file) != size) {
        std::perror(name);
        std::abort();
    }
    std::fclose(file);
}

void WriteText(const char* name, const char* text) { WriteFile(name, text, std::strlen(text)); }

void PutLittle(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// A twentieth of a second of 8 kHz mono 16-bit sound.
std::string TinyWave() {
    const uint32_t frames = 400;
    std::string wave = "RIFF";
    PutLittle(wave, 36 + frames * 2, 4);
    wave += "WAVEfmt ";
    PutLittle(wave, 16, 4);
    PutLittle(wave, 1, 2);
    PutLittle(wave, 1, 2);
    PutLittle(wave, 8000, 4);
    PutLittle(wave, 16000, 4);
    PutLittle(wave, 2, 2);
    PutLittle(wave, 16, 2);
    wave += "data";
    PutLittle(wave, frames * 2, 4);
    for (uint32_t i = 0; i < frames; ++i) {
        PutLittle(wave, (i % 20) < 10 ? 4000u : static_cast<uint32_t>(-4000) & 0xFFFF, 2);
    }
    return wave;
}

const char* const kScript =
    "0.0 SCENE Sala FX_SHOW\n"
    "0.0 SCENE Sala FX_ROTATE_OBJ 0 1.5 0 1 0\n"
    "2.0 DEMO x FX_STOP\n";

const char* const kScene =
    "*SCENE {\n\t*SCENE_LASTFRAME 10\n\t*SCENE_FRAMESPEED 0\n}\n"
    "*GEOMOBJECT {\n\t*NODE_NAME \"Caja\"\n\t*MESH {\n\t\t*MESH_NUMVERTEX 3\n\t\t*MESH_NUMFACES 1\n"
    "\t\t*MESH_VERTEX_LIST {\n\t\t\t*MESH_VERTEX 0 0 0 0\n\t\t\t*MESH_VERTEX 1 1 0 0\n\t\t\t*MESH_VERTEX 2 0 1 0\n\t\t}\n"
    "\t\t*MESH_FACE_LIST {\n\t\t\t*MESH_FACE 0: A: 0 B: 1 C: 2\n\t\t}\n\t}\n}\n";

}  // namespace

void FuzzHarness::Start() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/halvenor-fuzz-XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr || chdir(pattern.c_str()) != 0) {
        std::perror(pattern.c_str());
        std::abort();
    }
    const std::string wave = TinyWave();
    WriteFile("musica.wav", wave.data(), wave.size());
    WriteText("guion.txt", kScript);
    WriteText("escena.ase", kScene);
    // No sound device: the stream keeps time on the clock, on this thread.
    setenv("SDL_AUDIODRIVER", "halvenor-fuzz-none", 1);
    // Time moves only when a harness moves it, so that an input takes the
    // same paths at every run and a run from a fixed seed repeats itself.
    Platform::UseVirtualClock(true);
    Platform::SetExitHandler(TakeExit);
    MemoryWatch::Install();
}

FuzzHarness::FuzzHarness(const uint8_t* data, size_t size, const char* name) : fileName(name), inputSize(size) {
    WriteFile(name, data, size);
    Log::Start();
    MemoryWatch::Restart();
}

FuzzHarness::~FuzzHarness() {
    const size_t held = MemoryWatch::PeakGrowth();
    const size_t budget = FileMemoryBudget::For(inputSize);
    if (held > budget) {
        // Through the sanitizer's report channel: libFuzzer may have closed
        // standard error for the engine's own messages.
        char summary[256];
        std::snprintf(summary, sizeof summary, "halvenor-fuzz: %zu bytes held for a %zu-byte %s, budget %zu", held,
                      inputSize, fileName.c_str(), budget);
        __sanitizer_report_error_summary(summary);
        std::abort();
    }
}

void FuzzHarness::TakeExit(unsigned /*status*/) {
    if (!insideRun) {
        return;
    }
    insideRun = false;
    longjmp(exitJump, 1);
}
