// Stands in for the always-present Windows desktop (contract in
// WindowSystem.h): SDL falls back to a driver without a window - offscreen or
// dummy - when no X server answers, and the engine's pixel buffers need GLX.
#include "platform/WindowSystem.h"

#include <GL/glx.h>
#include <SDL.h>

#include <cstdlib>
#include <cstring>

namespace Platform {

namespace {

const char* const kHint = " (sin pantalla, ejecute el show con: xvfb-run -a halvenor)";

std::string DriverName() {
    char name[64] = {};
    return SDL_VideoDriverName(name, sizeof name) != nullptr ? name : "";
}

// Why SDL chose a driver without windows: the author asked for it, or no X
// server could be reached.
std::string Reason(const std::string& driver) {
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if (asked != nullptr && *asked != '\0') {
        return "el driver de video SDL \"" + driver + "\" (SDL_VIDEODRIVER=" + asked +
               ") no abre ventanas con OpenGL" + kHint;
    }
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        return std::string("no hay pantalla: la variable DISPLAY no esta definida") + kHint;
    }
    return std::string("no se puede abrir la pantalla DISPLAY=") + display + kHint;
}

}  // namespace

std::string VideoStartProblem() {
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    const char* display = std::getenv("DISPLAY");
    if (asked != nullptr && *asked != '\0') {
        return std::string("el driver de video SDL \"") + asked + "\" (SDL_VIDEODRIVER) no puede empezar" +
               (display == nullptr || *display == '\0' ? ": la variable DISPLAY no esta definida" : "") + kHint;
    }
    return Reason(DriverName());
}

std::string WindowSystemProblem(bool windowOpen) {
    const std::string driver = DriverName();
    if (driver == "offscreen" || driver == "dummy") {
        return Reason(driver);
    }
    if (windowOpen && glXGetCurrentContext() == nullptr) {
        return "la ventana del driver de video SDL \"" + driver +
               "\" no tiene el contexto OpenGL de X (GLX) que los pixel buffers necesitan (pruebe "
               "SDL_VIDEODRIVER=x11; sin pantalla, ejecute el show con: xvfb-run -a halvenor)";
    }
    return std::string();
}

}  // namespace Platform
