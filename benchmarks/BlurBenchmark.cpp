// The sample show's scene at 800 x 600, drawn as fast as it goes (no
// pacing) for a few hundred frames in four ways: plain; with the blur;
// with the blur and the zoom passes; and through a declared 512 x 512 pixel
// buffer shown on a PBUFFER layer. Reports milliseconds per frame and their
// ratio to plain, then what the parts of the blur pass cost on their own.
//
// Usage: BlurBenchmark SHOW_DIR [FRAMES]   (SHOW_DIR made by MakeSampleAssets)
// Run it under Xvfb on a headless machine; it writes error_log.txt there.
#include <SDL.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "core/Display.h"
#include "core/Engine.h"
#include "core/Log.h"
#include "fx2d/Layer2D.h"
#include "fx2d/PBuffer.h"
#include "glext/GlExtensions.h"
#include "scene/Scene.h"

namespace {

constexpr int kWarmUpFrames = 20;

// Milliseconds per call of step, the GL work finished each time.
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

struct Setting {
    const char* label;
    bool blur;
    bool saturate;
    bool throughPixelBuffer;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "usage: BlurBenchmark SHOW_DIR [FRAMES]  (SHOW_DIR from MakeSampleAssets)\n");
        return 2;
    }
    const int frames = argc > 2 ? std::atoi(argv[2]) : 300;
    static Engine engine;
    Log::Start();
    for (const char* line :
         {"LOAD DISPLAY 800 600 32 NO\n", "LOAD PBUFFER PB_SALA 512 512\n", "LOAD ESCENA_ASE escena.ase Sala\n",
          "SET ESCENA Sala FOG 150 1400 0.5 0.0 0.02 0.06\n", "LOAD LAYER2D - PBUFFER Pantalla\n",
          "SET LAYER2D Pantalla PBUFFER PB_SALA\n"}) {
        engine.ProcessPreconfigLine(line);
    }
    if (engine.display == nullptr || engine.FindScene("Sala") == nullptr) {
        std::fprintf(stderr, "BlurBenchmark: the sample show did not load (see error_log.txt)\n");
        return 1;
    }
    engine.CreateBlurResources();
    engine.Start();
    Scene* scene = engine.FindScene("Sala");
    PBuffer* sala = engine.FindPixelBuffer("PB_SALA");
    scene->SetPBuffer(sala);
    scene->SetActive(true);
    Layer2D* screen = engine.FindLayer("Pantalla");

    const Setting settings[] = {{"plain", false, false, false},
                                {"blur", true, false, false},
                                {"blur + saturate", true, true, false},
                                {"512 x 512 pixel buffer + layer", false, false, true}};
    double plain = 0.0;
    std::printf("%-32s %10s %8s\n", "frame (800 x 600)", "ms/frame", "x plain");
    for (const Setting& setting : settings) {
        engine.blurEnabled = setting.blur;
        engine.saturateEnabled = setting.saturate;
        scene->SetRenderToPBuffer(setting.throughPixelBuffer);
        screen->SetVisible(setting.throughPixelBuffer);
        const double ms = MillisecondsPer(frames, [&] {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            engine.ComposeFrame();
            SDL_GL_SwapBuffers();
        });
        if (plain == 0.0) {
            plain = ms;
        }
        std::printf("%-32s %10.2f %8.2f\n", setting.label, ms, ms / plain);
    }

    // The parts of the blur pass, each on its own.
    PBuffer* blur = engine.FindPixelBuffer("PB_BLUR");
    PBuffer* feedback = engine.FindPixelBuffer("PB_BLUR2");
    Layer2D* blurLayer = engine.FindLayer("LAYER_BLUR");
    std::printf("\n%-32s %10s\n", "part", "ms");
    const struct {
        const char* label;
        std::function<void()> step;
    } parts[] = {
        {"switch to PB_BLUR and back", [&] { blur->MakeCurrent(); blur->MakeWindowCurrent(); }},
        {"copy PB_BLUR (512) + mipmaps", [&] { blur->MakeCurrent(); blur->CopyToTexture(); blur->MakeWindowCurrent(); }},
        {"copy PB_BLUR2 (256) + mipmaps",
         [&] { feedback->MakeCurrent(); feedback->CopyToTexture(); feedback->MakeWindowCurrent(); }},
        {"one full-window layer draw", [&] { engine.display->SetOrtho2D(); blurLayer->Draw(); }},
        {"scene draw alone", [&] {
             glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
             engine.display->SetPerspective();
             scene->Draw();
         }},
    };
    for (const auto& part : parts) {
        std::printf("%-32s %10.3f\n", part.label, MillisecondsPer(frames, part.step));
    }
    SDL_Quit();
    engine.Shutdown();
    return 0;
}
