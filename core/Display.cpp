#include "core/Display.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "glext/GlExtensions.h"
#include "platform/WindowSystem.h"

namespace {

// Without a screen for the window the show cannot play: say why on the
// terminal and end as a failed start does.
void RefuseWindow(const std::string& reason) {
    std::fprintf(stderr, "halvenor: %s\n", reason.c_str());
    SDL_Quit();
    std::exit(1);
}

}  // namespace

Display::Display()
    : width(0),
      height(0),
      bitsPerPixel(0),
      fieldOfView(70.0f),
      nearPlane(1.0f),
      farPlane(30000.0f),
      fullscreen(false),
      fontListBase(0),
      fontTexture(0) {}

void Display::Open(uint32_t newWidth, uint32_t newHeight, int32_t newBitsPerPixel, bool newFullscreen) {
    width = newWidth;
    height = newHeight;
    bitsPerPixel = newBitsPerPixel;
    fullscreen = newFullscreen;

    // A window of no pixels would stay black; a negative size read from the
    // file arrives here as a huge one.
    if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) {
        std::fprintf(stderr, "halvenor: la linea LOAD DISPLAY pide una ventana de %d x %d: ancho y alto deben ser "
                             "mayores que 0\n", static_cast<int>(width), static_cast<int>(height));
        std::exit(1);
    }
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "Error inicializando SDL: %s\n", SDL_GetError());
        std::exit(1);
    }
    const std::string noScreen = Platform::WindowSystemProblem(false);
    if (!noScreen.empty()) {
        RefuseWindow(noScreen);
    }
    Uint32 flags = SDL_OPENGL;
    if (fullscreen) {
        flags |= SDL_FULLSCREEN;
    }
    if (SDL_SetVideoMode(static_cast<int>(width), static_cast<int>(height), bitsPerPixel, flags) == nullptr) {
        std::fprintf(stderr, "No se pudo crear la pantalla OpenGL: %s\n", SDL_GetError());
        SDL_Quit();
        std::exit(2);
    }
    const std::string noWindow = Platform::WindowSystemProblem(true);
    if (!noWindow.empty()) {
        RefuseWindow(noWindow);
    }
    SDL_WM_SetCaption("Halvenor Engine", nullptr);
    SDL_ShowCursor(SDL_DISABLE);
    InitGL();
}

void Display::InitGL() {
    glViewport(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height));
    glEnable(GL_TEXTURE_2D);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    SetPerspective();
}

void Display::SetRunningState() {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    // Asking for the farthest depth; OpenGL clamps it to 1.0.
    glClearDepth(1000000.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDepthFunc(GL_LESS);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
}

void Display::SetPerspective() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A zero height would divide by zero; 1 keeps the projection finite.
    const double aspect = static_cast<double>(width) / static_cast<double>(height != 0 ? height : 1);
    gluPerspective(fieldOfView, aspect, nearPlane, farPlane);
    glMatrixMode(GL_MODELVIEW);
}

void Display::SetFieldOfView(float degrees) {
    fieldOfView = degrees;
    SetPerspective();
}

void Display::SetOrtho2D() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, static_cast<double>(width), 0.0, static_cast<double>(height));
    glMatrixMode(GL_MODELVIEW);
}

void Display::InitFont() {
    // The bitmap font arrives with the console; until then there are no lists.
}

void Display::FreeFont() {
    if (fontListBase != 0) {
        glDeleteLists(fontListBase, 256);
    }
}
