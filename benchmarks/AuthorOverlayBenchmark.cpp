// The author overlay at 640 x 480: milliseconds a frame for clearing the
// window alone and for clearing it and drawing a full overlay (five events,
// two findings), the GL work finished each time; the difference is what the
// overlay costs a frame.
//
// Usage: AuthorOverlayBenchmark [FRAMES]   (under Xvfb on a headless machine)
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "author/AuthorOverlay.h"
#include "glext/GlExtensions.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kWarmUpFrames = 20;

double MillisecondsPer(int count, const std::function<void()>& step) {
    for (int i = 0; i < kWarmUpFrames; ++i) {
        step();
    }
    glFinish();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        step();
        glFinish();
    }
    const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / count;
}

AuthorOverlayInfo FullInfo() {
    AuthorOverlayInfo info;
    info.status.time = 754.321;
    info.status.loopSet = true;
    info.status.loopEnd = 760.0;
    info.status.fps = 60.0;
    info.status.findings = 2;
    info.frameMs = 16.7;
    info.scene = "tunnel";
    info.musicPosition = "12:40";
    for (int i = 0; i < 5; ++i) {
        info.events.push_back({120 + i, "LAYER FADE fondo" + std::to_string(i) + " 0.0 1.0 2000"});
    }
    info.findings = {"guion.txt:57: error: la capa 'humo' no existe", "guion.txt:60: error: falta el tiempo"};
    return info;
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
    if (SDL_Init(SDL_INIT_VIDEO) < 0 || SDL_SetVideoMode(kWidth, kHeight, 32, SDL_OPENGL) == nullptr) {
        std::fprintf(stderr, "AuthorOverlayBenchmark: no window: %s\n", SDL_GetError());
        return 1;
    }
    InitExtensions("GL_ARB_multitexture");
    AuthorOverlay overlay;
    std::string error;
    if (!overlay.Init("", &error)) {
        std::fprintf(stderr, "AuthorOverlayBenchmark: %s\n", error.c_str());
        return 1;
    }
    const AuthorOverlayInfo info = FullInfo();
    const double clear = MillisecondsPer(frames, [] { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); });
    const double drawn = MillisecondsPer(frames, [&] {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        overlay.Draw(info, kWidth, kHeight);
    });
    std::printf("metric: author_overlay_clear_ms %.4f ms\n", clear);
    std::printf("metric: author_overlay_frame_ms %.4f ms\n", drawn);
    std::printf("metric: author_overlay_draw_ms %.4f ms\n", drawn - clear);
    overlay.Release();
    SDL_Quit();
    return 0;
}
