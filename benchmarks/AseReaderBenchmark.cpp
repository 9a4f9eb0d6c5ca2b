// Times the ASE reader on a large export: eight meshes of 20 000 faces each
// with texture faces and face and vertex normals (about 60 MB of text),
// written to /tmp first, then the same file with CR LF line ends. Prints the
// time of each read and the peak resident memory of the process.
//
// Usage: AseReaderBenchmark [runs]   (default 5)
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "benchmarks/LargeAseScene.h"
#include "scene/AseReader.h"
#include "scene/Scene.h"

namespace {

// The same scene as a Windows export writes it, with CR LF line ends.
bool WriteCrlfCopy(const std::string& from, const std::string& to) {
    FILE* in = std::fopen(from.c_str(), "rb");
    FILE* out = std::fopen(to.c_str(), "wb");
    if (in == nullptr || out == nullptr) {
        return false;
    }
    for (int c = std::getc(in); c != EOF; c = std::getc(in)) {
        if (c == '\n') {
            std::putc('\r', out);
        }
        std::putc(c, out);
    }
    std::fclose(in);
    return std::fclose(out) == 0;
}

void TimeReads(const std::string& path, int runs, const char* label) {
    std::vector<double> seconds;
    for (int run = 0; run < runs; ++run) {
        Scene scene;
        const auto start = std::chrono::steady_clock::now();
        AseReader reader;
        reader.Read(path.c_str(), scene);
        const auto stop = std::chrono::steady_clock::now();
        seconds.push_back(std::chrono::duration<double>(stop - start).count());
        std::printf("%s run %d: %.3f s (%u objects, %u faces in the first)\n", label, run + 1, seconds.back(),
                    scene.ObjectCount(), scene.ObjectCount() > 0 ? scene.objects[0].FaceCount() : 0);
        scene.Release();
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("%s: best %.3f s, median %.3f s\n", label, seconds.front(), seconds[seconds.size() / 2]);
}

long PeakResidentKilobytes() {
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    // The reader logs to error_log.txt in the working directory.
    char directory[] = "/tmp/halvenor-asebench-XXXXXX";
    if (mkdtemp(directory) == nullptr || chdir(directory) != 0) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string path = std::string(directory) + "/bench.ase";
    if (!LargeAseScene::WriteScene(path)) {
        std::perror("write");
        return 1;
    }
    FILE* written = std::fopen(path.c_str(), "rb");
    std::fseek(written, 0, SEEK_END);
    const long bytes = std::ftell(written);
    std::fclose(written);
    std::printf("file: %s, %.1f MB\n", path.c_str(), bytes / 1e6);
    std::printf("peak RSS before reading: %ld kB\n", PeakResidentKilobytes());

    TimeReads(path, runs, "LF");
    std::printf("peak RSS: %ld kB\n", PeakResidentKilobytes());

    const std::string crlfPath = std::string(directory) + "/bench_crlf.ase";
    if (WriteCrlfCopy(path, crlfPath)) {
        TimeReads(crlfPath, runs, "CR LF");
        std::printf("peak RSS: %ld kB\n", PeakResidentKilobytes());
        std::remove(crlfPath.c_str());
    }
    std::remove(path.c_str());
    std::remove((std::string(directory) + "/error_log.txt").c_str());
    rmdir(directory);
    return 0;
}
