// Textures loaded once per file: an ASE scene whose materials (one per
// object, as exporters write them) all name one 2048 x 2048 JPEG, loaded by
// the registry with its creation steps, against the same scene with one
// material. Each load runs in a child process of its own under a fresh
// OpenGL window, so that its peak resident memory (driver copies of the
// textures and their mipmaps included) is its alone. Prints the load time and
// the peak memory of each, and their ratios. Needs a display: run under
// xvfb-run -a -s "-screen 0 1280x1024x24".
//
// Each figure is the best time and the lowest peak of several runs, taken in
// turns, so that a busy moment of a shared machine falls on both alike.
//
// Usage: TextureShareBenchmark [materials] [runs]   (defaults 50 and 5)
#include <SDL.h>
#include <jpeglib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/Engine.h"
#include "glext/GlExtensions.h"
#include "scene/Scene.h"

namespace {

constexpr int kPictureSide = 2048;

// A smooth picture, which compresses to about a hundred kilobytes.
bool WritePicture(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = kPictureSide;
    info.image_height = kPictureSide;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 75, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(kPictureSide * 3);
    while (info.next_scanline < info.image_height) {
        const int y = static_cast<int>(info.next_scanline);
        for (int x = 0; x < kPictureSide; ++x) {
            row[x * 3] = static_cast<JSAMPLE>(x / 8);
            row[x * 3 + 1] = static_cast<JSAMPLE>(y / 8);
            row[x * 3 + 2] = static_cast<JSAMPLE>(128 + 100 * std::sin((x + y) / 300.0));
        }
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}

// materials materials naming the picture, and one small textured object each.
bool WriteScene(const std::string& path, int materials) {
    FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        return false;
    }
    std::fprintf(file, "*3DSMAX_ASCIIEXPORT\t200\n*SCENE {\n\t*SCENE_LASTFRAME 100\n\t*SCENE_FRAMESPEED 30\n}\n");
    std::fprintf(file, "*MATERIAL_LIST {\n\t*MATERIAL_COUNT %d\n", materials);
    for (int i = 0; i < materials; ++i) {
        std::fprintf(file,
                     "\t*MATERIAL %d {\n\t\t*MATERIAL_NAME \"Object%02d\"\n\t\t*MATERIAL_TRANSPARENCY 0.0000\n"
                     "\t\t*MAP_DIFFUSE {\n\t\t\t*BITMAP \"texturas\\picture.jpg\"\n\t\t\t*MAP_TYPE Screen\n"
                     "\t\t\t*UVW_U_TILING 1.0000\n\t\t\t*UVW_V_TILING 1.0000\n\t\t}\n\t}\n",
                     i, i);
    }
    std::fprintf(file, "}\n");
    for (int i = 0; i < materials; ++i) {
        std::fprintf(file,
                     "*GEOMOBJECT {\n\t*NODE_NAME \"Object%02d\"\n\t*MESH {\n\t\t*MESH_NUMVERTEX 3\n"
                     "\t\t*MESH_NUMFACES 1\n\t\t*MESH_VERTEX_LIST {\n\t\t\t*MESH_VERTEX 0\t0.0\t0.0\t%d.0\n"
                     "\t\t\t*MESH_VERTEX 1\t1.0\t0.0\t%d.0\n\t\t\t*MESH_VERTEX 2\t0.0\t1.0\t%d.0\n\t\t}\n"
                     "\t\t*MESH_FACE_LIST {\n\t\t\t*MESH_FACE 0:    A: 0 B: 1 C: 2 AB: 1 BC: 1 CA: 1\n\t\t}\n"
                     "\t\t*MESH_NUMTVERTEX 3\n\t\t*MESH_TVERTLIST {\n\t\t\t*MESH_TVERT 0\t0.0\t0.0\t0.0\n"
                     "\t\t\t*MESH_TVERT 1\t1.0\t0.0\t0.0\n\t\t\t*MESH_TVERT 2\t0.0\t1.0\t0.0\n\t\t}\n"
                     "\t\t*MESH_NUMTVFACES 1\n\t\t*MESH_TFACELIST {\n\t\t\t*MESH_TFACE 0\t0\t1\t2\n\t\t}\n"
                     "\t\t*MESH_NORMALS {\n\t\t\t*MESH_FACENORMAL 0\t0.0\t0.0\t1.0\n\t\t}\n\t}\n"
                     "\t*MATERIAL_REF %d\n}\n",
                     i, i, i, i, i);
    }
    return std::fclose(file) == 0;
}

// In the child: a window, then the timed load. Answers the exit status.
int LoadInChild(const std::string& scene, const std::string& timeFile) {
    if (SDL_Init(SDL_INIT_VIDEO) < 0 || SDL_SetVideoMode(64, 64, 32, SDL_OPENGL) == nullptr) {
        std::fprintf(stderr, "TextureShareBenchmark: no OpenGL window: %s\n", SDL_GetError());
        return 2;
    }
    if (!InitExtensions("GL_ARB_multitexture GL_SGIS_generate_mipmap ")) {
        return 3;
    }
    const auto start = std::chrono::steady_clock::now();
    {
        Engine engine;
        engine.LoadSceneAse(scene.c_str(), "Bench");
        glFinish();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        FILE* out = std::fopen(timeFile.c_str(), "w");
        if (out == nullptr) {
            return 4;
        }
        std::fprintf(out, "%f\n", seconds);
        std::fclose(out);
        // The process ends here; tearing the scene down is not measured.
        std::fflush(nullptr);
        _exit(0);
    }
}

struct Figures {
    double seconds = -1.0;
    double peakMegabytes = -1.0;
};

Figures Measure(const std::string& scene, const std::string& timeFile) {
    Figures figures;
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        _exit(LoadInChild(scene, timeFile));
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "TextureShareBenchmark: the load failed (status %d)\n", status);
        return figures;
    }
    FILE* in = std::fopen(timeFile.c_str(), "r");
    if (in != nullptr) {
        if (std::fscanf(in, "%lf", &figures.seconds) != 1) {
            figures.seconds = -1.0;
        }
        std::fclose(in);
    }
    figures.peakMegabytes = usage.ru_maxrss / 1024.0;
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    const int materials = argc > 1 ? std::max(2, std::atoi(argv[1])) : 50;
    char directory[] = "/tmp/halvenor-texbench-XXXXXX";
    if (mkdtemp(directory) == nullptr || chdir(directory) != 0) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string dir = directory;
    if (mkdir("texturas", 0755) != 0 || !WritePicture(dir + "/texturas/picture.jpg") ||
        !WriteScene(dir + "/one.ase", 1) || !WriteScene(dir + "/many.ase", materials)) {
        std::perror("write");
        return 1;
    }
    FILE* picture = std::fopen("texturas/picture.jpg", "rb");
    std::fseek(picture, 0, SEEK_END);
    std::printf("picture: %d x %d JPEG, %.0f KB; scenes of 1 and %d materials naming it\n", kPictureSide,
                kPictureSide, std::ftell(picture) / 1024.0, materials);
    std::fclose(picture);

    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    Figures one;
    Figures many;
    for (int run = 0; run < runs; ++run) {
        for (const bool single : {true, false}) {
            const Figures figures = Measure(dir + (single ? "/one.ase" : "/many.ase"), dir + "/time.txt");
            Figures& best = single ? one : many;
            if (figures.seconds < 0.0) {
                return 1;
            }
            best.seconds = best.seconds < 0.0 ? figures.seconds : std::min(best.seconds, figures.seconds);
            best.peakMegabytes =
                best.peakMegabytes < 0.0 ? figures.peakMegabytes : std::min(best.peakMegabytes, figures.peakMegabytes);
        }
    }
    std::printf("1 material:   load %.3f s, peak %.0f MB\n", one.seconds, one.peakMegabytes);
    std::printf("%d materials: load %.3f s, peak %.0f MB\n", materials, many.seconds, many.peakMegabytes);
    std::printf("metric: texture_share_load_one %.3f s\n", one.seconds);
    std::printf("metric: texture_share_peak_one %.0f MB\n", one.peakMegabytes);
    std::printf("metric: texture_share_load_many %.3f s\n", many.seconds);
    std::printf("metric: texture_share_peak_many %.0f MB\n", many.peakMegabytes);
    if (one.seconds > 0.0 && one.peakMegabytes > 0.0) {
        std::printf("metric: texture_share_load_ratio %.3f x\n", many.seconds / one.seconds);
        std::printf("metric: texture_share_peak_ratio %.3f x\n", many.peakMegabytes / one.peakMegabytes);
    }
    for (const char* name : {"/one.ase", "/many.ase", "/time.txt", "/texturas/picture.jpg", "/error_log.txt"}) {
        std::remove((dir + name).c_str());
    }
    rmdir((dir + "/texturas").c_str());
    rmdir(directory);
    return one.seconds > 0.0 && many.seconds > 0.0 ? 0 : 1;
}
