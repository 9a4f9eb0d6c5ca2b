// The sample show's scene at 800 x 600, drawn as fast as it goes (no
// pacing) in four ways: plain; with the blur; with the blur and the zoom
// passes; and through a declared 512 x 512 pixel buffer shown on a PBUFFER
// layer. The blur settings run twice, with the summed layer pass and with
// the layers drawn pass by pass, so that both stand side by side in one run.
// The settings take turns in several rounds (the machine may be shared and
// busy); each figure is the median of its rounds, in wall-clock and in
// processor milliseconds (all threads, the renderer's own included: the
// steadier figure on a busy machine). Reports milliseconds per frame and
// their ratio to plain, then what the parts of the blur pass cost on their
// own, and every figure again as a "metric:" line.
//
// Usage: BlurBenchmark SHOW_DIR [FRAMES]   (SHOW_DIR made by MakeSampleAssets)
// Run it under Xvfb on a headless machine; it writes error_log.txt there.
#include <SDL.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "core/Display.h"
#include "core/Engine.h"
#include "core/Log.h"
#include "fx2d/Layer2D.h"
#include "fx2d/LayerSum.h"
#include "fx2d/PBuffer.h"
#include "glext/GlExtensions.h"
#include "scene/Scene.h"

namespace {

constexpr int kWarmUpFrames = 20;
constexpr int kRounds = 5;

double CpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1.0e6;
}

// The processor milliseconds per call of the last measurement.
double lastCpuMsPer = 0.0;

// Milliseconds per call of step, the GL work finished each time.
double MillisecondsPer(int count, const std::function<void()>& step) {
    for (int i = 0; i < kWarmUpFrames; ++i) {
        step();
    }
    glFinish();
    const double cpuStart = CpuMs();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        step();
        glFinish();
    }
    const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    lastCpuMsPer = (CpuMs() - cpuStart) / count;
    return spent.count() / count;
}

struct Setting {
    const char* label;
    const char* metric;
    bool blur;
    bool saturate;
    bool throughPixelBuffer;
    bool summed;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

void Metric(const char* name, double value, const char* unit) {
    std::printf("metric: %s %.3f %s\n", name, value, unit);
}

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

    const Setting settings[] = {
        {"plain", "blur_plain_frame", false, false, false, true},
        {"blur", "blur_frame", true, false, false, true},
        {"blur + saturate", "blur_saturate_frame", true, true, false, true},
        {"blur, pass by pass", "blur_passes_frame", true, false, false, false},
        {"blur + saturate, pass by pass", "blur_saturate_passes_frame", true, true, false, false},
        {"512 x 512 pixel buffer + layer", "blur_pbuffer_layer_frame", false, false, true, true},
    };
    constexpr int kSettings = sizeof settings / sizeof settings[0];
    std::vector<double> rounds[kSettings];
    std::vector<double> cpuRounds[kSettings];
    const int perRound = std::max(1, frames / kRounds);
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < kSettings; ++i) {
            const Setting& setting = settings[i];
            engine.blurEnabled = setting.blur;
            engine.saturateEnabled = setting.saturate;
            LayerSum::SetEnabled(setting.summed);
            scene->SetRenderToPBuffer(setting.throughPixelBuffer);
            screen->SetVisible(setting.throughPixelBuffer);
            rounds[i].push_back(MillisecondsPer(perRound, [&] {
                glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
                engine.ComposeFrame();
                SDL_GL_SwapBuffers();
            }));
            cpuRounds[i].push_back(lastCpuMsPer);
        }
    }
    LayerSum::SetEnabled(true);
    engine.blurEnabled = false;
    engine.saturateEnabled = false;
    scene->SetRenderToPBuffer(false);
    screen->SetVisible(false);

    std::printf("summed layer pass: %s\n\n", LayerSum::IsAvailable() ? "one shader pass" : "not offered, pass by pass");
    std::printf("%-32s %10s %8s %10s %8s   (median of %d rounds of %d frames)\n", "frame (800 x 600)", "ms/frame",
                "x plain", "cpu ms", "x plain", kRounds, perRound);
    double figures[kSettings];
    double cpuFigures[kSettings];
    for (int i = 0; i < kSettings; ++i) {
        figures[i] = Median(rounds[i]);
        cpuFigures[i] = Median(cpuRounds[i]);
        std::printf("%-32s %10.2f %8.2f %10.2f %8.2f\n", settings[i].label, figures[i], figures[i] / figures[0],
                    cpuFigures[i], cpuFigures[i] / cpuFigures[0]);
    }

    // The parts of the blur pass, each on its own.
    PBuffer* blur = engine.FindPixelBuffer("PB_BLUR");
    PBuffer* feedback = engine.FindPixelBuffer("PB_BLUR2");
    Layer2D* blurLayer = engine.FindLayer("LAYER_BLUR");
    std::printf("\n%-32s %10s %10s\n", "part", "ms", "cpu ms");
    Layer2D* trailLayer = engine.FindLayer("LAYER_BLUR2");
    LayerSum::Copy copies[LayerSum::kMaxCopies] = {{blurLayer, 0.5f, 1.0f}, {trailLayer, 0.5f, 1.0f}};
    int copyCount = 2;
    for (float scale = 1.1f; scale < 1.6f; scale += 0.08f) {
        copies[copyCount++] = LayerSum::Copy{trailLayer, scale / 10.0f + 0.1f, scale};
    }
    const float width = static_cast<float>(engine.display->Width());
    const float height = static_cast<float>(engine.display->Height());
    const struct {
        const char* label;
        const char* metric;
        std::function<void()> step;
    } parts[] = {
        {"switch to PB_BLUR and back", "blur_switch", [&] { blur->MakeCurrent(); blur->MakeWindowCurrent(); }},
        {"copy PB_BLUR (512) + mipmaps", "blur_copy_512", [&] { blur->MakeCurrent(); blur->CopyToTexture(); blur->MakeWindowCurrent(); }},
        {"copy PB_BLUR2 (256) + mipmaps", "blur_copy_256",
         [&] { feedback->MakeCurrent(); feedback->CopyToTexture(); feedback->MakeWindowCurrent(); }},
        {"one full-window layer draw", "blur_layer_draw", [&] { engine.display->SetOrtho2D(); blurLayer->Draw(); }},
        {"two copies summed in one pass", "blur_sum_of_2", [&] {
             engine.display->SetOrtho2D();
             LayerSum::Draw(copies, 2, width, height);
         }},
        {"nine copies summed in one pass", "blur_sum_of_9", [&] {
             engine.display->SetOrtho2D();
             LayerSum::Draw(copies, copyCount, width, height);
         }},
        {"scene draw alone", "blur_scene_draw", [&] {
             glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
             engine.display->SetPerspective();
             scene->Draw();
         }},
    };
    std::vector<double> partFigures;
    std::vector<double> partCpuFigures;
    for (const auto& part : parts) {
        partFigures.push_back(MillisecondsPer(frames, part.step));
        partCpuFigures.push_back(lastCpuMsPer);
        std::printf("%-32s %10.3f %10.3f\n", part.label, partFigures.back(), partCpuFigures.back());
    }

    std::printf("\n");
    char name[96];
    for (int i = 0; i < kSettings; ++i) {
        std::snprintf(name, sizeof name, "%s_ms", settings[i].metric);
        Metric(name, figures[i], "ms");
        std::snprintf(name, sizeof name, "%s_cpu_ms", settings[i].metric);
        Metric(name, cpuFigures[i], "ms");
    }
    Metric("blur_ratio", figures[1] / figures[0], "x");
    Metric("blur_saturate_ratio", figures[2] / figures[0], "x");
    Metric("blur_passes_ratio", figures[3] / figures[0], "x");
    Metric("blur_saturate_passes_ratio", figures[4] / figures[0], "x");
    Metric("blur_cpu_ratio", cpuFigures[1] / cpuFigures[0], "x");
    Metric("blur_saturate_cpu_ratio", cpuFigures[2] / cpuFigures[0], "x");
    for (size_t i = 0; i < partFigures.size(); ++i) {
        std::snprintf(name, sizeof name, "%s_ms", parts[i].metric);
        Metric(name, partFigures[i], "ms");
        std::snprintf(name, sizeof name, "%s_cpu_ms", parts[i].metric);
        Metric(name, partCpuFigures[i], "ms");
    }
    SDL_Quit();
    engine.Shutdown();
    return 0;
}
