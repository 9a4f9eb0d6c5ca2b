// Reading preconfig.txt: the DISPLAY line opens the window, LOAD lines create
// the show's resources through the registry, SET lines configure them.
#include <SDL.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/PreconfigKeywords.h"
#include "config/PreconfigLine.h"
#include "config/Script.h"
#include "core/Display.h"
#include "core/Engine.h"
#include "core/Log.h"
#include "core/ShaderLayerLoader.h"
#include "fx2d/Layer2D.h"
#include "fx2d/PBuffer.h"
#include "fx2d/ParticleSystem.h"
#include "glext/GlExtensions.h"
#include "platform/MessageBox.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "scene/Scene.h"

namespace {

constexpr int kLineLimit = PreconfigLine::kLineLimit;

const char* const kRequiredExtensions =
    "GL_ARB_multitexture WGL_ARB_pbuffer WGL_ARB_pixel_format WGL_ARB_render_texture GL_SGIS_generate_mipmap ";

const char* const kSecondLogIndent = "             ";
const char* const kLoadingScreenName = "LOADSCREEN";
// Every pixel buffer of a show is RGBA with a depth buffer.
constexpr int kPixelBufferMode = 16;

int LayerTypeCode(const char* word) { return PreconfigKeywords::LayerTypeCode(word); }

void OpenDisplay(Engine& engine, const PreconfigLine& line) {
    if (engine.keepWindow && engine.display != nullptr) {
        // The show is built again in the window that is open.
        Log::Write("-- PRECONFIG -- Se mantiene la pantalla abierta\n");
        return;
    }
    const int width = line.IntArg(1);
    const int height = line.IntArg(2);
    const int bits = line.IntArg(3);
    Log::Format("-- PRECONFIG -- Configurando pantalla a [ %d x %d x %d ] [ Fullscreen: %s ]\n", width, height, bits,
                line.Arg(4));
    engine.display = new Display();
    engine.display->Open(static_cast<uint32_t>(width), static_cast<uint32_t>(height), bits,
                         EqualsIgnoringCase(line.Arg(4), "YES"));
    Log::Write("-> La inicializacion grafica fue correcta.\n");
    Log::Write("-> Inicializando fuentes.\n");
    engine.display->InitFont();
    engine.display->SetRunningState();
    if (!InitExtensions(kRequiredExtensions)) {
        Log::Write("Error al inicializar las extensiones GL\n");
        Platform::ReportFatal(std::string("el driver OpenGL no ofrece las extensiones necesarias: ") +
                              MissingExtensions());
        std::exit(-1);
    }
}

// Scenes and layers are drawn in the window's context: without a window there
// is nothing to load them into.
bool RequireDisplay(const Engine& engine, const char* fileName) {
    if (engine.display != nullptr) {
        return true;
    }
    Log::Format("-- PRECONFIG -- Falta la linea DISPLAY antes de [ %s ]: se ignora.\n", fileName);
    return false;
}

// The picture stays on screen while the following lines load.
void ShowLoadingScreen(Engine& engine, const char* fileName) {
    Layer2D* screen = engine.CreateLayer(fileName, Layer2D::kBackground, kLoadingScreenName);
    if (screen == nullptr) {
        screen = engine.FindLayer(kLoadingScreenName);
    }
    if (screen == nullptr) {
        return;
    }
    engine.display->SetOrtho2D();
    screen->Draw();
    SDL_GL_SwapBuffers();
}

void ProcessLoad(Engine& engine, const PreconfigLine& line) {
    if (line.KindIs("ESCENA_BIN")) {
        Log::Format("-- PRECONFIG -- Cargando Escena [ %s ] como \"%s\"\n", line.Arg(1), line.Arg(2));
        if (RequireDisplay(engine, line.Arg(1))) {
            engine.LoadSceneBin(line.Arg(1), line.Arg(2));
        }
    } else if (line.KindIs("ESCENA_ASE")) {
        Log::Format("-- PRECONFIG -- Cargando Escena [ %s ] como \"%s\"\n", line.Arg(1), line.Arg(2));
        if (RequireDisplay(engine, line.Arg(1))) {
            engine.LoadSceneAse(line.Arg(1), line.Arg(2));
        }
    } else if (line.KindIs("LAYER2D")) {
        const int type = LayerTypeCode(line.Arg(2));
        Log::Format("-- PRECONFIG -- Cargando Layer [ %s ] como \"%s\" tipo %d\n", line.Arg(1), line.Arg(3), type);
        if (RequireDisplay(engine, line.Arg(1))) {
            engine.CreateLayer(line.Arg(1), type, line.Arg(3));
        }
    } else if (line.KindIs("PARTICULAS")) {
        Log::Format("-- PRECONFIG -- Cargando Particulas [ %s ] como \"%s\"\n", line.Arg(1), line.Arg(2));
        // Particle textures load into the window's context.
        if (RequireDisplay(engine, line.Arg(1))) {
            engine.CreateParticleSystem(line.Arg(1), line.Arg(2));
        }
    } else if (line.KindIs("SOUND")) {
        Log::Format("-- PRECONFIG -- Cargando Sonido [ %s ]\n", line.Arg(1));
        engine.LoadSound(line.Arg(1));
    } else if (line.KindIs("DISPLAY")) {
        OpenDisplay(engine, line);
    } else if (line.KindIs("LOAD_SCREEN")) {
        Log::Format("-- PRECONFIG -- [ Poniendo pantalla de carga  \"%s\" ]\n", line.Arg(1));
        if (RequireDisplay(engine, line.Arg(1))) {
            ShowLoadingScreen(engine, line.Arg(1));
        }
    } else if (line.KindIs("SCRIPT")) {
        Log::Format("-- PRECONFIG -- [ Cargando fichero Script  \"%s\" ]\n", line.Arg(1));
        engine.LoadScript(line.Arg(1));
        engine.script->NextEvent(engine.nextEvent);
    } else if (line.KindIs("PBUFFER")) {
        Log::Format("-- PRECONFIG -- [ Creando pixelbuffer \"%s\" :: %d x %d ]\n", line.Arg(1), line.IntArg(2),
                    line.IntArg(3));
        // A pixel buffer shares the window's context: it needs the window.
        if (RequireDisplay(engine, line.Arg(1))) {
            engine.CreatePixelBuffer(line.IntArg(2), line.IntArg(3), kPixelBufferMode, line.Arg(1));
        }
    } else if (line.KindIs("TRACKS")) {
        Log::Format("-- PRECONFIG -- [ Cargando pistas \"%s\" :: %s bpm, %s filas por pulso ]\n", line.Arg(1),
                    line.Arg(2), line.Arg(3));
        engine.LoadTracks(line.Arg(1), line.FloatArg(2), line.FloatArg(3));
    }
}

// SET ... TRACK: the resource's name as written, a colon, the property.
void WantTrack(Engine& engine, const PreconfigLine& line) {
    const std::string name = std::string(line.Arg(1)) + ":" + line.Arg(3);
    if (engine.WantTrack(name)) {
        Log::Format("%s-- Pista [ %s ]\n", kSecondLogIndent, name.c_str());
    } else {
        Log::Format("%s-- Sin LOAD TRACKS antes de esta linea: se ignora la pista [ %s ]\n", kSecondLogIndent,
                    name.c_str());
    }
}

void SetSceneFog(Scene& scene, const PreconfigLine& line) {
    SceneParams params = scene.GetParams();
    params.fogEnabled = 1;
    params.fogStart = line.FloatArg(3);
    params.fogEnd = line.FloatArg(4);
    params.fogDensity = line.FloatArg(5);
    params.fogColor[0] = line.FloatArg(6);
    params.fogColor[1] = line.FloatArg(7);
    params.fogColor[2] = line.FloatArg(8);
    scene.SetParams(params);
}

void ProcessSetScene(Engine& engine, const PreconfigLine& line) {
    Log::Format("-- PRECONFIG -- Configurando Escena [ %s ] \n", line.Arg(1));
    Scene* scene = engine.FindScene(line.Arg(1));
    if (scene == nullptr) {
        return;
    }
    const char* sub = line.Arg(2);
    if (EqualsIgnoringCase(sub, "FOG")) {
        SetSceneFog(*scene, line);
        Log::Format("%s-- Configurando Niebla\n", kSecondLogIndent);
    } else if (EqualsIgnoringCase(sub, "PBUFFER")) {
        scene->SetPBuffer(engine.FindPixelBuffer(line.Arg(3)));
        Log::Format("%s-- Asignando PBUFFER %s \n", kSecondLogIndent, line.Arg(3));
    } else if (EqualsIgnoringCase(sub, "CLEAR")) {
        scene->SetClearBuffers(EqualsIgnoringCase(line.Arg(3), "YES"));
        Log::Format("%s-- Configurando borrado de Depth/Color buffer [ %s ]\n", kSecondLogIndent, line.Arg(3));
    } else if (EqualsIgnoringCase(sub, "TRACK")) {
        WantTrack(engine, line);
    }
}

// ESCENA binds the system to a scene (none when the name is unknown): it then
// draws with that scene's camera, and into its pixel buffer when it has one.
void ProcessSetParticles(Engine& engine, const PreconfigLine& line) {
    Log::Format("-- PRECONFIG -- Configurando Particulas [ %s ] \n", line.Arg(1));
    ParticleSystem* system = engine.FindParticleSystem(line.Arg(1));
    if (system == nullptr) {
        return;
    }
    if (EqualsIgnoringCase(line.Arg(2), "ESCENA")) {
        system->SetScene(engine.FindScene(line.Arg(3)));
        Log::Format("%s-- Asignando escena asociada a particulas.\n", kSecondLogIndent);
    }
}

// A whole number from a decimal one, truncated, kept inside the int range.
int TruncatedInt(float value) {
    if (!(value > -2147483648.0f && value < 2147483648.0f)) {
        return value > 0.0f ? 2147483647 : -2147483647 - 1;
    }
    return static_cast<int>(value);
}

void AddLayerFade(Layer2D& layer, const PreconfigLine& line) {
    if (layer.AddFadeStep(line.FloatArg(3), line.FloatArg(4), static_cast<float>(line.IntArg(5)))) {
        Log::Format("%s-- Configurando Alpha Animation \n", kSecondLogIndent);
    } else {
        Log::Format("%s-- Demasiados pasos de Alpha Animation (maximo %d): se ignora\n", kSecondLogIndent,
                    Layer2D::kMaxSteps);
    }
}

void AddLayerMove(Layer2D& layer, const PreconfigLine& line, float height) {
    const float x = static_cast<float>(line.IntArg(3));
    const float y = height - static_cast<float>(line.IntArg(4));
    if (layer.AddMoveStep(x, y, static_cast<float>(line.IntArg(5)))) {
        Log::Format("%s-- Configurando Move Animation \n", kSecondLogIndent);
    } else {
        Log::Format("%s-- Demasiados pasos de Move Animation (maximo %d): se ignora\n", kSecondLogIndent,
                    Layer2D::kMaxSteps);
    }
}

// y values of the file are measured from the top of the window.
void ConfigureLayer(Engine& engine, Layer2D& layer, const PreconfigLine& line) {
    const float height = engine.display != nullptr ? static_cast<float>(engine.display->Height()) : 0.0f;
    const char* sub = line.Arg(2);
    if (EqualsIgnoringCase(sub, "ALPHA_FUNC")) {
        // Stored in one signed byte, as the blend-mode field is.
        layer.blendMode = static_cast<int8_t>(TruncatedInt(line.FloatArg(3)));
        Log::Format("%s-- Configurando AlphaFunc \n", kSecondLogIndent);
    } else if (EqualsIgnoringCase(sub, "ALPHA")) {
        layer.alpha = line.FloatArg(3);
        Log::Format("%s-- Configurando Alpha \n", kSecondLogIndent);
    } else if (EqualsIgnoringCase(sub, "ALPHA_ANIMATION")) {
        AddLayerFade(layer, line);
    } else if (EqualsIgnoringCase(sub, "MOVE_ANIMATION")) {
        AddLayerMove(layer, line, height);
    } else if (EqualsIgnoringCase(sub, "MOVE")) {
        const float x = line.FloatArg(3);
        const float y = line.FloatArg(4);
        layer.MoveTo(x, height - y);
        Log::Format("%s-- Moviendo Layer a [ %f, %f ]\n", kSecondLogIndent, x, y);
    } else if (EqualsIgnoringCase(sub, "FPS")) {
        layer.SetTickInterval(line.FloatArg(3));
        Log::Format("%s-- Configurando FPS \n", kSecondLogIndent);
    } else if (EqualsIgnoringCase(sub, "PBUFFER")) {
        engine.AssignLayerPixelBuffer(line.Arg(1), line.Arg(3));
        Log::Format("%s-- Asignando PBUFFER \"%s\" al Layer \"%s\"\n", kSecondLogIndent, line.Arg(3), line.Arg(1));
    } else if (EqualsIgnoringCase(sub, "MAP_ROTATION")) {
        layer.SetMapScroll(line.FloatArg(3));
        Log::Format("%s-- Rotate Map Horizontal al Layer \"%s\"\n", kSecondLogIndent, line.Arg(1));
    } else if (EqualsIgnoringCase(sub, "CHANNEL")) {
        ShaderLayerLoader::SetChannel(engine, layer, line.Arg(3), line.Arg(4), line.Arg(5));
    } else if (EqualsIgnoringCase(sub, "TRACK")) {
        WantTrack(engine, line);
    }
}

void ProcessSetLayer(Engine& engine, const PreconfigLine& line) {
    Log::Format("-- PRECONFIG -- Configurando Layer2D [ %s ] \n", line.Arg(1));
    if (Layer2D* layer = engine.FindLayer(line.Arg(1))) {
        ConfigureLayer(engine, *layer, line);
    }
}

void ProcessSet(Engine& engine, const PreconfigLine& line) {
    if (line.KindIs("ESCENA")) {
        ProcessSetScene(engine, line);
    } else if (line.KindIs("PARTICULAS")) {
        ProcessSetParticles(engine, line);
    } else if (line.KindIs("LAYER2D")) {
        ProcessSetLayer(engine, line);
    }
}

}  // namespace

bool Engine::ReadPreconfiguration(const char* fileName) {
    FILE* file = Platform::OpenFile(fileName, "r");
    if (file == nullptr) {
        return false;
    }
    char line[kLineLimit + 1];
    // A read that reaches the end of the file is not a line: a last line
    // without a line break is not read.
    while (Platform::ReadTextLine(line, sizeof line, file) != nullptr && !std::feof(file)) {
        ProcessPreconfigLine(line);
    }
    std::fclose(file);
    // The blur pass needs its buffers in every show; without a window there
    // is nothing to share them with (the show cannot start anyway).
    if (display != nullptr) {
        CreateBlurResources();
    }
    // Tracks may drive the blur's layers too.
    BindTracks();
    return true;
}

void Engine::ProcessPreconfigLine(const char* text) {
    const PreconfigLine line(text);
    if (line.IsComment()) {
        return;
    }
    if (line.CommandIs("LOAD")) {
        ProcessLoad(*this, line);
    } else if (line.CommandIs("SET")) {
        ProcessSet(*this, line);
    }
}

namespace {

bool SameName(const char* a, const char* b) { return EqualsIgnoringCase(a, b); }

}  // namespace

bool Engine::ReloadScene(const char* sceneName, const char* fileName) {
    Scene* old = FindScene(sceneName);
    if (old == nullptr || sceneCount >= kMaxScenes) {
        return false;
    }
    FILE* file = Platform::OpenFile(fileName, "r");
    if (file == nullptr) {
        return false;
    }
    // Its first LOAD line (the one the lookup by name finds) and every SET
    // line for it, in the file's order.
    std::vector<std::string> setLines;
    std::string loadLine;
    char text[kLineLimit + 1];
    while (Platform::ReadTextLine(text, sizeof text, file) != nullptr && !std::feof(file)) {
        const PreconfigLine line(text);
        if (line.IsComment()) {
            continue;
        }
        const bool isScene = line.KindIs("ESCENA_BIN") || line.KindIs("ESCENA_ASE");
        if (line.CommandIs("LOAD") && isScene && loadLine.empty() && SameName(line.Arg(2), sceneName)) {
            loadLine = text;
        } else if (line.CommandIs("SET") && line.KindIs("ESCENA") && SameName(line.Arg(1), sceneName)) {
            setLines.push_back(text);
        }
    }
    std::fclose(file);
    if (loadLine.empty()) {
        return false;
    }
    const int32_t index = static_cast<int32_t>(std::find(scenes, scenes + sceneCount, old) - scenes);
    const int32_t count = sceneCount;
    const int32_t shown = currentScene;
    const bool read = Platform::RunCatchingEndings([&] { ProcessPreconfigLine(loadLine.c_str()); }, nullptr);
    currentScene = shown;
    if (!read || sceneCount != count + 1) {
        return false;
    }
    Scene* fresh = scenes[count];
    scenes[count] = nullptr;
    sceneCount = count;
    scenes[index] = fresh;
    for (int i = 0; i < particleSystemCount; ++i) {
        if (particleSystems[i]->GetScene() == old) {
            particleSystems[i]->SetScene(fresh);
        }
    }
    old->Release();
    delete old;
    for (const std::string& line : setLines) {
        ProcessPreconfigLine(line.c_str());
    }
    // Texture generation is state of each context.
    PrepareSphereMaps();
    for (int i = 0; i < pixelBufferCount; ++i) {
        pixelBuffers[i]->MakeCurrent();
        PrepareSphereMaps();
        pixelBuffers[i]->MakeWindowCurrent();
    }
    // Tracks bound to the old scene drive the new one.
    BindTracks();
    return true;
}
