// Times binary scene files against the ASE export they were made from, on
// the large scene of the ASE reader benchmark (about 60 MB of text): the
// bare readers (AseReader::Read against BinarySceneFile::Read) and the whole
// registry loads with their creation steps (LoadSceneAse against
// LoadSceneBin). The binary file is written the way SceneExport writes it.
// Prints the best and median times and the speed-ups.
//
// Usage: BinarySceneBenchmark [runs]   (default 15)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "benchmarks/LargeAseScene.h"
#include "core/Engine.h"
#include "scene/AseReader.h"
#include "scene/BinarySceneFile.h"
#include "scene/Scene.h"

namespace {

// Seconds of each run of one measurement.
struct Samples {
    const char* label;
    std::vector<double> seconds;
    double Best() const { return *std::min_element(seconds.begin(), seconds.end()); }
    double Median() const {
        std::vector<double> sorted = seconds;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
};

void TimeRun(Samples& samples, const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    const auto stop = std::chrono::steady_clock::now();
    samples.seconds.push_back(std::chrono::duration<double>(stop - start).count());
}

// What SceneExport does: the ASE scene with its creation steps, written out.
bool Export(const std::string& ase, const std::string& bin) {
    Scene scene;
    AseReader reader;
    reader.Read(ase.c_str(), scene);
    for (uint32_t i = 0; i < scene.objectCount; ++i) {
        scene.objects[i].Centre();
    }
    scene.LinkMaterials();
    for (uint32_t i = 0; i < scene.objectCount; ++i) {
        scene.objects[i].Prepare(false);
    }
    BinarySceneFile writer;
    const bool written = writer.Write(bin.c_str(), scene);
    scene.Release();
    return written;
}

long FileSize(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return -1;
    }
    std::fseek(file, 0, SEEK_END);
    const long bytes = std::ftell(file);
    std::fclose(file);
    return bytes;
}

// One registry load, its scene released again so that every run starts alike.
void LoadAndRelease(bool binary, const std::string& path) {
    Engine engine;
    if (binary) {
        engine.LoadSceneBin(path.c_str(), "Bench");
    } else {
        engine.LoadSceneAse(path.c_str(), "Bench");
    }
    for (int i = 0; i < engine.sceneCount; ++i) {
        engine.scenes[i]->Release();
        delete engine.scenes[i];
    }
    engine.sceneCount = 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    // The readers log to error_log.txt in the working directory.
    char directory[] = "/tmp/halvenor-binbench-XXXXXX";
    if (mkdtemp(directory) == nullptr || chdir(directory) != 0) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string ase = std::string(directory) + "/bench.ase";
    const std::string bin = std::string(directory) + "/bench.bin";
    if (!LargeAseScene::WriteScene(ase) || !Export(ase, bin)) {
        std::perror("write");
        return 1;
    }
    std::printf("ASE file: %.1f MB, binary file: %.1f MB\n", FileSize(ase) / 1e6, FileSize(bin) / 1e6);

    // The four measurements take turns, so that a busy moment of a shared
    // machine falls on all of them alike.
    Samples aseRead{"AseReader::Read", {}};
    Samples binRead{"BinarySceneFile::Read", {}};
    Samples aseLoad{"LoadSceneAse", {}};
    Samples binLoad{"LoadSceneBin", {}};
    for (int run = 0; run < runs; ++run) {
        TimeRun(aseRead, [&] {
            Scene scene;
            AseReader reader;
            reader.Read(ase.c_str(), scene);
            scene.Release();
        });
        TimeRun(binRead, [&] {
            Scene scene;
            BinarySceneFile reader;
            reader.Read(bin.c_str(), scene);
            scene.Release();
        });
        TimeRun(aseLoad, [&] { LoadAndRelease(false, ase); });
        TimeRun(binLoad, [&] { LoadAndRelease(true, bin); });
    }
    for (const Samples* samples : {&aseRead, &binRead, &aseLoad, &binLoad}) {
        std::printf("%-22s best %.4f s, median %.4f s\n", samples->label, samples->Best(), samples->Median());
    }
    std::printf("reader speed-up: best %.1fx, median %.1fx (target 10x)\n", aseRead.Best() / binRead.Best(),
                aseRead.Median() / binRead.Median());
    std::printf("load speed-up: best %.1fx, median %.1fx (target 5x)\n", aseLoad.Best() / binLoad.Best(),
                aseLoad.Median() / binLoad.Median());
    std::printf("metric: binary_read_time %.4f s\n", binRead.Best());
    std::printf("metric: binary_load_time %.4f s\n", binLoad.Best());
    std::printf("metric: ase_load_time %.4f s\n", aseLoad.Best());
    std::printf("metric: binary_read_speedup %.2f x\n", aseRead.Best() / binRead.Best());
    std::printf("metric: binary_load_speedup %.2f x\n", aseLoad.Best() / binLoad.Best());

    std::remove(ase.c_str());
    std::remove(bin.c_str());
    std::remove((std::string(directory) + "/error_log.txt").c_str());
    rmdir(directory);
    return 0;
}
