// What every fuzz harness shares: each input is written to a file in a
// private working directory and handed to a reader by name, the way the
// engine hands it the files a show names; the memory the run holds is watched
// against the file's memory budget; an ending the engine asks for
// (ExitProcess) comes back to the harness as the end of that input.
//
// A harness is one file, fuzz/<Reader>Fuzzer.cpp:
//
//   extern "C" int LLVMFuzzerInitialize(int*, char***) { FuzzHarness::Start(); return 0; }
//   extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
//       FuzzHarness run(data, size, "file.ext");
//       run.Run([&] { /* read run.FileName() as the engine does */ });
//       return 0;
//   }
//
// with its seeds in fuzz/corpus/<Reader>/ and, for a text format, its words
// in fuzz/dict/<Reader>.dict. scripts/fuzz.sh finds it by its name.
#ifndef HALVENOR_FUZZ_SUPPORT_FUZZHARNESS_H
#define HALVENOR_FUZZ_SUPPORT_FUZZHARNESS_H

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <string>

class FuzzHarness {
public:
    // Once per process: the working directory (entered), the small files that
    // show lines may name (musica.wav, guion.txt, escena.ase, texturas\...),
    // no audio device, the virtual clock (time stands still unless a harness
    // moves it) and the engine's endings taken over.
    static void Start();

    // Writes the input as fileName in the working directory, starts the log
    // afresh (as the engine does at every start) and starts watching memory.
    FuzzHarness(const uint8_t* data, size_t size, const char* fileName);
    // Aborts, as a finding, when the run held more than the input's budget.
    ~FuzzHarness();
    FuzzHarness(const FuzzHarness&) = delete;
    FuzzHarness& operator=(const FuzzHarness&) = delete;

    const char* FileName() const { return fileName.c_str(); }

    // Runs body; false when the engine ended the process inside it. Whatever
    // body's frames held is then skipped, so readers give back what they hold
    // before they end the process.
    template <typename Body>
    bool Run(Body body) {
        if (setjmp(exitJump) != 0) {
            return false;
        }
        insideRun = true;
        body();
        insideRun = false;
        return true;
    }

private:
    static void TakeExit(unsigned status);

    static jmp_buf exitJump;
    static bool insideRun;

    std::string fileName;
    size_t inputSize;
};

#endif
