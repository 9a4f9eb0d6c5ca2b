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

#include "scene/AseReader.h"
#include "scene/Scene.h"

namespace {

constexpr int kObjects = 8;
constexpr int kGridSide = 100;  // 100 x 100 quads: 20 000 faces per object
constexpr int kVerticesPerSide = kGridSide + 1;

void WriteHeader(FILE* file) {
    std::fprintf(file,
                 "*3DSMAX_ASCIIEXPORT\t200\n"
                 "*COMMENT \"AsciiExport Version  2,00 - Mon Mar 03 12:00:00 2003\"\n"
                 "*SCENE {\n\t*SCENE_FILENAME \"bench.max\"\n\t*SCENE_FIRSTFRAME 0\n\t*SCENE_LASTFRAME 100\n"
                 "\t*SCENE_FRAMESPEED 30\n\t*SCENE_TICKSPERFRAME 160\n"
                 "\t*SCENE_BACKGROUND_STATIC 0.0000\t0.0000\t0.0000\n"
                 "\t*SCENE_AMBIENT_STATIC 0.0000\t0.0000\t0.0000\n}\n"
                 "*MATERIAL_LIST {\n\t*MATERIAL_COUNT 1\n\t*MATERIAL 0 {\n"
                 "\t\t*MATERIAL_NAME \"Ground\"\n\t\t*MATERIAL_CLASS \"Standard\"\n"
                 "\t\t*MATERIAL_AMBIENT 0.1791\t0.0654\t0.0654\n\t\t*MATERIAL_DIFFUSE 0.5373\t0.1961\t0.1961\n"
                 "\t\t*MATERIAL_SPECULAR 0.9000\t0.9000\t0.9000\n\t\t*MATERIAL_SHINE 0.1000\n"
                 "\t\t*MATERIAL_TRANSPARENCY 0.0000\n\t\t*MATERIAL_SELFILLUM 0.0000\n"
                 "\t\t*MAP_DIFFUSE {\n\t\t\t*MAP_NAME \"Map #1\"\n\t\t\t*MAP_CLASS \"Bitmap\"\n"
                 "\t\t\t*BITMAP \"C:\\maps\\ground.jpg\"\n\t\t\t*MAP_TYPE Screen\n"
                 "\t\t\t*UVW_U_OFFSET 0.0000\n\t\t\t*UVW_V_OFFSET 0.0000\n"
                 "\t\t\t*UVW_U_TILING 1.0000\n\t\t\t*UVW_V_TILING 1.0000\n\t\t}\n\t}\n}\n");
}

int VertexIndex(int x, int y) { return y * kVerticesPerSide + x; }

void WriteObject(FILE* file, int number) {
    const int vertexCount = kVerticesPerSide * kVerticesPerSide;
    const int faceCount = kGridSide * kGridSide * 2;
    std::fprintf(file,
                 "*GEOMOBJECT {\n\t*NODE_NAME \"Plane%02d\"\n\t*NODE_TM {\n\t\t*NODE_NAME \"Plane%02d\"\n"
                 "\t\t*INHERIT_POS 0 0 0\n\t\t*TM_ROW0 1.0000\t0.0000\t0.0000\n\t\t*TM_ROW1 0.0000\t1.0000\t0.0000\n"
                 "\t\t*TM_ROW2 0.0000\t0.0000\t1.0000\n\t\t*TM_ROW3 0.0000\t0.0000\t%.4f\n"
                 "\t\t*TM_POS 0.0000\t0.0000\t%.4f\n\t\t*TM_ROTAXIS 0.0000\t0.0000\t0.0000\n"
                 "\t\t*TM_ROTANGLE 0.0000\n\t}\n\t*MESH {\n\t\t*TIMEVALUE 0\n"
                 "\t\t*MESH_NUMVERTEX %d\n\t\t*MESH_NUMFACES %d\n\t\t*MESH_VERTEX_LIST {\n",
                 number, number, number * 10.0, number * 10.0, vertexCount, faceCount);
    for (int y = 0; y < kVerticesPerSide; ++y) {
        for (int x = 0; x < kVerticesPerSide; ++x) {
            std::fprintf(file, "\t\t\t*MESH_VERTEX %5d\t%.4f\t%.4f\t%.4f\n", VertexIndex(x, y), x * 1.5 - 75.0,
                         y * 1.5 - 75.0, number * 10.0 + (x % 7) * 0.125);
        }
    }
    std::fprintf(file, "\t\t}\n\t\t*MESH_FACE_LIST {\n");
    int face = 0;
    for (int y = 0; y < kGridSide; ++y) {
        for (int x = 0; x < kGridSide; ++x) {
            const int a = VertexIndex(x, y), b = VertexIndex(x + 1, y);
            const int c = VertexIndex(x + 1, y + 1), d = VertexIndex(x, y + 1);
            std::fprintf(file,
                         "\t\t\t*MESH_FACE %5d:    A: %5d B: %5d C: %5d AB:    1 BC:    1 CA:    0\t "
                         "*MESH_SMOOTHING 1 \t*MESH_MTLID 0\n",
                         face++, a, b, c);
            std::fprintf(file,
                         "\t\t\t*MESH_FACE %5d:    A: %5d B: %5d C: %5d AB:    1 BC:    1 CA:    0\t "
                         "*MESH_SMOOTHING 1 \t*MESH_MTLID 0\n",
                         face++, c, d, a);
        }
    }
    std::fprintf(file, "\t\t}\n\t\t*MESH_NUMTVERTEX %d\n\t\t*MESH_TVERTLIST {\n", vertexCount);
    for (int y = 0; y < kVerticesPerSide; ++y) {
        for (int x = 0; x < kVerticesPerSide; ++x) {
            std::fprintf(file, "\t\t\t*MESH_TVERT %d\t%.4f\t%.4f\t0.0000\n", VertexIndex(x, y),
                         x / double(kGridSide), y / double(kGridSide));
        }
    }
    std::fprintf(file, "\t\t}\n\t\t*MESH_NUMTVFACES %d\n\t\t*MESH_TFACELIST {\n", faceCount);
    face = 0;
    for (int y = 0; y < kGridSide; ++y) {
        for (int x = 0; x < kGridSide; ++x) {
            const int a = VertexIndex(x, y), b = VertexIndex(x + 1, y);
            const int c = VertexIndex(x + 1, y + 1), d = VertexIndex(x, y + 1);
            std::fprintf(file, "\t\t\t*MESH_TFACE %d\t%d\t%d\t%d\n", face++, a, b, c);
            std::fprintf(file, "\t\t\t*MESH_TFACE %d\t%d\t%d\t%d\n", face++, c, d, a);
        }
    }
    std::fprintf(file, "\t\t}\n\t\t*MESH_NORMALS {\n");
    for (int i = 0; i < faceCount; ++i) {
        std::fprintf(file, "\t\t\t*MESH_FACENORMAL %d\t0.0000\t-0.0000\t1.0000\n", i);
        for (int corner = 0; corner < 3; ++corner) {
            std::fprintf(file, "\t\t\t\t*MESH_VERTEXNORMAL %d\t0.0000\t-0.0000\t1.0000\n", (i + corner) % vertexCount);
        }
    }
    std::fprintf(file,
                 "\t\t}\n\t}\n\t*PROP_MOTIONBLUR 0\n\t*PROP_CASTSHADOW 1\n\t*PROP_RECVSHADOW 1\n"
                 "\t*MATERIAL_REF 0\n}\n");
}

bool WriteScene(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        return false;
    }
    WriteHeader(file);
    for (int i = 0; i < kObjects; ++i) {
        WriteObject(file, i);
    }
    return std::fclose(file) == 0;
}

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
    if (!WriteScene(path)) {
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
