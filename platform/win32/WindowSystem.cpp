// The window system (contract in WindowSystem.h) on Windows: the desktop is
// always there, so the only thing that can be missing is what the window's
// OpenGL context offers the pixel buffers (a current WGL context with
// WGL_ARB_pixel_format and WGL_ARB_pbuffer), asked of the driver through
// WglDriver.
#include "platform/WindowSystem.h"

#include <cstdlib>

#include "platform/win32/WglDriver.h"

namespace Platform {

std::string VideoStartProblem() {
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if (asked != nullptr && *asked != '\0') {
        return std::string("el driver de video SDL \"") + asked +
               "\" (SDL_VIDEODRIVER) no puede empezar: quite la variable para usar el escritorio de Windows";
    }
    return "el escritorio de Windows no deja empezar el video de SDL";
}

std::string WindowSystemProblem(bool windowOpen) {
    if (!windowOpen) {
        return std::string();
    }
    if (WglDriver::CurrentContext() == nullptr) {
        return "la ventana de SDL no tiene un contexto OpenGL (WGL) que los pixel buffers puedan compartir";
    }
    if (!WglDriver::ResolvePbufferCalls()) {
        return "el driver OpenGL de la ventana no ofrece los pixel buffers que el show necesita "
               "(WGL_ARB_pixel_format y WGL_ARB_pbuffer): actualice el driver de la tarjeta grafica";
    }
    return std::string();
}

}  // namespace Platform
