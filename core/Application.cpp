#include "core/Application.h"

#include <SDL.h>

#include <cstdio>

#include "core/Engine.h"
#include "core/FrameSink.h"
#include "core/Log.h"
#include "fx2d/Console.h"
#include "glext/GlExtensions.h"
#include "platform/MessageBox.h"
#include "scene/Scene.h"

namespace {

// The one registry and the console live for the whole process: a fatal exit
// after scenes were loaded still releases them from the registry's destructor.
Engine engine;
Console console;

const char* const kPreconfigFile = "preconfig.txt";
constexpr int kLandObject = 5;
constexpr int kLandBlendMode = 8;

void NextCamera(Engine& engine) {
    if (engine.sceneCount == 0) {
        return;
    }
    Scene& scene = *engine.scenes[engine.currentScene];
    scene.SelectCamera(scene.currentCamera + 1);
}

void PreviousScene(Engine& engine) {
    if (engine.currentScene > 0) {
        engine.currentScene -= 1;
    }
}

void NextScene(Engine& engine) {
    if (engine.currentScene < engine.sceneCount - 1) {
        engine.currentScene += 1;
    }
}

void HandleKey(SDLKey key, SDLMod modifiers, Engine& engine, ConsoleText& text, InputState& state) {
    if (!state.consoleVisible && state.sink != nullptr && state.sink->KeyPressed(engine, key, modifiers)) {
        return;
    }
    switch (key) {
        case SDLK_TAB:
            state.consoleVisible = !state.consoleVisible;
            break;
        case SDLK_RETURN:
            if (state.consoleVisible) {
                text.Commit();
            }
            break;
        case SDLK_ESCAPE:
            if (state.consoleVisible) {
                state.consoleVisible = false;
            } else {
                state.quit = true;
            }
            break;
        case SDLK_SPACE:
            NextCamera(engine);
            break;
        case SDLK_a:
            PreviousScene(engine);
            break;
        case SDLK_s:
            NextScene(engine);
            break;
        case SDLK_l:
            engine.AddMarker(engine.MusicTime());
            break;
        case SDLK_p:
        case SDLK_q:
        case SDLK_r:
        case SDLK_t:
        case SDLK_w:
            // Reserved for authoring commands (halvenor --edit acts on them
            // before they get here).
            break;
        default:
            // Symbols past 255 are keys without a character (Shift, the
            // arrows, F1): cut to a byte they would type stray ones ('0'
            // for Shift), and 0 would end the line where it stands.
            if (state.consoleVisible && key > 0 && key <= 0xFF) {
                text.AppendChar(static_cast<char>(key));
            }
            break;
    }
}

void DrainEvents(Engine& engine, ConsoleText& text, FrameSink& sink, InputState& state) {
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (sink.TakesKeys() || event.type == SDL_QUIT) {
            Application::HandleEvent(event, engine, text, state);
        }
    }
}

void RunFrameLoop(Engine& engine, Console& console, FrameSink& sink) {
    InputState state{false, false, &sink};
    while (!state.quit) {
        const FramePlan plan = sink.BeginFrame(engine);
        if (plan != FramePlan::Hold) {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            engine.ComposeFrame();
            sink.PictureComposed(engine);
        }
        if (state.consoleVisible) {
            console.Draw();
        }
        if (plan == FramePlan::ComposeAndStep && engine.RunDemoStep() == -1 && !sink.ShowEnded(engine)) {
            state.quit = true;
        } else if (!sink.FrameComposed(engine)) {
            state.quit = true;
        }
        SDL_GL_SwapBuffers();
        DrainEvents(engine, console.text, sink, state);
    }
    sink.LoopEnded(engine);
}

}  // namespace

void Application::HandleEvent(const SDL_Event& event, Engine& engine, ConsoleText& text, InputState& state) {
    if (event.type == SDL_QUIT) {
        state.quit = true;
    } else if (event.type == SDL_KEYDOWN) {
        HandleKey(event.key.keysym.sym, event.key.keysym.mod, engine, text, state);
    }
}

void Application::AdjustLandScene(Engine& engine) {
    Scene* land = engine.FindScene("LAND");
    if (land == nullptr || land->objectCount <= static_cast<uint32_t>(kLandObject)) {
        return;
    }
    Material* material = land->objects[kLandObject].material;
    if (material != nullptr) {
        material->props.blendMode = kLandBlendMode;
    }
}

int Application::Run() {
    FrameSink window;
    return Run(window);
}

int Application::Run(FrameSink& sink) {
    Log::Start();
    if (!engine.ReadPreconfiguration(kPreconfigFile)) {
        Platform::ReportFatal(std::string("no se puede abrir ") + kPreconfigFile + " en el directorio de trabajo");
        Log::Write("-> ERROR: no se puede abrir preconfig.txt\n");
        return 1;
    }
    if (engine.display == nullptr) {
        Platform::ReportFatal(std::string(kPreconfigFile) + " no tiene linea LOAD DISPLAY");
        Log::Write("-> ERROR: preconfig.txt no tiene linea LOAD DISPLAY\n");
        return 1;
    }
    AdjustLandScene(engine);
    engine.currentScene = 0;
    engine.Start();
    // The console draws with the engine's font, in the window's size.
    console.display = *engine.display;
    console.Init();
    if (sink.ShowStarted(engine)) {
        RunFrameLoop(engine, console, sink);
    }
    SDL_Quit();
    engine.Shutdown();
    return 0;
}
