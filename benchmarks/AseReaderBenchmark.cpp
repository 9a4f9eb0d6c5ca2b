// Times the ASE reader on a large export (eight meshes of 20 000 faces each
// with texture faces and face and vertex normals, about 60 MB of text,
// written to /tmp first) against a general-purpose importer, Assimp, reading
// the same file, and the reader alone on the same file with CR LF line ends.
// Every read runs in a child process of its own, so that its peak resident
// memory (read back with wait4) is its alone; the time is the read itself.
// Prints the best time and the lowest peak of each, and the ratios of the
// engine's reader to Assimp. Assimp is linked into this benchmark only.
//
// Usage: AseReaderBenchmark [runs]   (default 5)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

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

struct Figures {
    double seconds = -1.0;
    double peakMegabytes = -1.0;
    long faces = 0;
};

// Runs read in a child; the child reports its time and face count through a
// pipe, the kernel its peak resident memory.
Figures MeasureInChild(const std::function<long()>& readFile) {
    Figures figures;
    int channel[2];
    if (pipe(channel) != 0) {
        return figures;
    }
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const auto start = std::chrono::steady_clock::now();
        const long faces = readFile();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        char line[64];
        const int length = std::snprintf(line, sizeof line, "%.6f %ld\n", seconds, faces);
        const bool written = write(channel[1], line, static_cast<size_t>(length)) == length;
        // Tearing the scene down is not measured.
        _exit(written ? 0 : 1);
    }
    close(channel[1]);
    char line[64] = {};
    size_t got = 0;
    for (ssize_t n; got + 1 < sizeof line && (n = read(channel[0], line + got, sizeof line - 1 - got)) > 0;) {
        got += static_cast<size_t>(n);
    }
    close(channel[0]);
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::sscanf(line, "%lf %ld", &figures.seconds, &figures.faces) != 2) {
        figures.seconds = -1.0;
        return figures;
    }
    figures.peakMegabytes = usage.ru_maxrss / 1024.0;
    return figures;
}

long ReadWithEngine(const std::string& path) {
    // Left for the child's exit to reclaim, as Assimp's scene is.
    Scene* const scene = new Scene();
    AseReader reader;
    reader.Read(path.c_str(), *scene);
    long faces = 0;
    for (uint32_t i = 0; i < scene->ObjectCount(); ++i) {
        faces += scene->objects[i].FaceCount();
    }
    return faces;
}

long ReadWithAssimp(const std::string& path) {
    Assimp::Importer* const importer = new Assimp::Importer();
    const aiScene* scene = importer->ReadFile(path, 0);
    long faces = 0;
    for (unsigned i = 0; scene != nullptr && i < scene->mNumMeshes; ++i) {
        faces += scene->mMeshes[i]->mNumFaces;
    }
    return faces;
}

void Keep(Figures& best, const Figures& run) {
    if (run.seconds < 0.0) {
        return;
    }
    best.seconds = best.seconds < 0.0 ? run.seconds : std::min(best.seconds, run.seconds);
    best.peakMegabytes = best.peakMegabytes < 0.0 ? run.peakMegabytes : std::min(best.peakMegabytes, run.peakMegabytes);
    best.faces = run.faces;
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
    const std::string crlfPath = std::string(directory) + "/bench_crlf.ase";
    if (!LargeAseScene::WriteScene(path) || !WriteCrlfCopy(path, crlfPath)) {
        std::perror("write");
        return 1;
    }
    FILE* written = std::fopen(path.c_str(), "rb");
    std::fseek(written, 0, SEEK_END);
    const long bytes = std::ftell(written);
    std::fclose(written);
    std::printf("file: %s, %.1f MB\n", path.c_str(), bytes / 1e6);

    // The measurements take turns, so that a busy moment of a shared machine
    // falls on all of them alike.
    Figures engine;
    Figures assimp;
    Figures crlf;
    for (int run = 0; run < runs; ++run) {
        Keep(engine, MeasureInChild([&] { return ReadWithEngine(path); }));
        Keep(assimp, MeasureInChild([&] { return ReadWithAssimp(path); }));
        Keep(crlf, MeasureInChild([&] { return ReadWithEngine(crlfPath); }));
    }
    std::printf("AseReader:        best %.3f s, peak %.0f MB (%ld faces)\n", engine.seconds, engine.peakMegabytes,
                engine.faces);
    std::printf("AseReader, CR LF: best %.3f s, peak %.0f MB (%ld faces)\n", crlf.seconds, crlf.peakMegabytes,
                crlf.faces);
    std::printf("Assimp:           best %.3f s, peak %.0f MB (%ld faces)\n", assimp.seconds, assimp.peakMegabytes,
                assimp.faces);
    std::printf("metric: ase_read_time %.3f s\n", engine.seconds);
    std::printf("metric: ase_read_peak %.0f MB\n", engine.peakMegabytes);
    std::printf("metric: ase_read_crlf_time %.3f s\n", crlf.seconds);
    std::printf("metric: assimp_read_time %.3f s\n", assimp.seconds);
    std::printf("metric: assimp_read_peak %.0f MB\n", assimp.peakMegabytes);
    if (engine.seconds > 0.0 && assimp.seconds > 0.0) {
        std::printf("metric: ase_vs_assimp_time %.3f x\n", engine.seconds / assimp.seconds);
        std::printf("metric: ase_vs_assimp_peak %.3f x\n", engine.peakMegabytes / assimp.peakMegabytes);
    }

    std::remove(path.c_str());
    std::remove(crlfPath.c_str());
    std::remove((std::string(directory) + "/error_log.txt").c_str());
    rmdir(directory);
    return engine.seconds > 0.0 && assimp.seconds > 0.0 ? 0 : 1;
}
