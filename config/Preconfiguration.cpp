// Reading preconfig.txt: the DISPLAY line opens the window, LOAD lines create
// the show's resources through the registry, SET lines configure them.
#include <cstdio>
#include <cstdlib>

#include "config/PreconfigLine.h"
#include "config/Script.h"
#include "core/Display.h"
#include "core/Engine.h"
#include "core/Log.h"
#include "glext/GlExtensions.h"
#include "platform/FileSystem.h"
#include "scene/Scene.h"

namespace {

// Lines are read 149 characters at a time, line break included.
constexpr int kLineLimit = PreconfigLine::kReadLimit;

const char* const kRequiredExtensions =
    "GL_ARB_multitexture WGL_ARB_pbuffer WGL_ARB_pixel_format WGL_ARB_render_texture GL_SGIS_generate_mipmap ";

const char* const kSecondLogIndent = "             ";

int LayerTypeCode(const char* word) {
    if (EqualsIgnoringCase(word, "BOARD")) {
        return 1;
    }
    if (EqualsIgnoringCase(word, "BACKGROUND")) {
        return 2;
    }
    if (EqualsIgnoringCase(word, "OVERLAY")) {
        return 3;
    }
    if (EqualsIgnoringCase(word, "PBUFFER")) {
        return 4;
    }
    return 0;
}

void OpenDisplay(Engine& engine, const PreconfigLine& line) {
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

void ProcessLoad(Engine& engine, const PreconfigLine& line) {
    if (line.KindIs("ESCENA_BIN")) {
        Log::Format("-- PRECONFIG -- Cargando Escena [ %s ] como \"%s\"\n", line.Arg(1), line.Arg(2));
        // Binary scene files are not read yet.
    } else if (line.KindIs("ESCENA_ASE")) {
        Log::Format("-- PRECONFIG -- Cargando Escena [ %s ] como \"%s\"\n", line.Arg(1), line.Arg(2));
        if (RequireDisplay(engine, line.Arg(1))) {
            engine.LoadSceneAse(line.Arg(1), line.Arg(2));
        }
    } else if (line.KindIs("LAYER2D")) {
        Log::Format("-- PRECONFIG -- Cargando Layer [ %s ] como \"%s\" tipo %d\n", line.Arg(1), line.Arg(3),
                    LayerTypeCode(line.Arg(2)));
    } else if (line.KindIs("PARTICULAS")) {
        Log::Format("-- PRECONFIG -- Cargando Particulas [ %s ] como \"%s\"\n", line.Arg(1), line.Arg(2));
    } else if (line.KindIs("SOUND")) {
        Log::Format("-- PRECONFIG -- Cargando Sonido [ %s ]\n", line.Arg(1));
        engine.LoadSound(line.Arg(1));
    } else if (line.KindIs("DISPLAY")) {
        OpenDisplay(engine, line);
    } else if (line.KindIs("LOAD_SCREEN")) {
        Log::Format("-- PRECONFIG -- [ Poniendo pantalla de carga  \"%s\" ]\n", line.Arg(1));
    } else if (line.KindIs("SCRIPT")) {
        Log::Format("-- PRECONFIG -- [ Cargando fichero Script  \"%s\" ]\n", line.Arg(1));
        engine.LoadScript(line.Arg(1));
        engine.script->NextEvent(engine.nextEvent);
    } else if (line.KindIs("PBUFFER")) {
        Log::Format("-- PRECONFIG -- [ Creando pixelbuffer \"%s\" :: %d x %d ]\n", line.Arg(1), line.IntArg(2),
                    line.IntArg(3));
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
    }
}

void ProcessSet(Engine& engine, const PreconfigLine& line) {
    if (line.KindIs("ESCENA")) {
        ProcessSetScene(engine, line);
    } else if (line.KindIs("PARTICULAS")) {
        Log::Format("-- PRECONFIG -- Configurando Particulas [ %s ] \n", line.Arg(1));
        // Particle systems are not built yet: there is nothing to configure.
    } else if (line.KindIs("LAYER2D")) {
        Log::Format("-- PRECONFIG -- Configurando Layer2D [ %s ] \n", line.Arg(1));
        // Layers are not built yet: there is nothing to configure.
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
    // The blur buffers and their layers are created here once pixel buffers exist.
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
