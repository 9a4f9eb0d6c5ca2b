#include "core/Display.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "glext/GlExtensions.h"
#include "platform/MessageBox.h"
#include "platform/WindowSystem.h"
#include "scene/TextureCache.h"
#include "scene/TextureLoader.h"

// The font image every show keeps in its texture directory.
const char* fontImageFile = "texturas\\font.jpg";

namespace {

constexpr uint32_t kFontGlyphs = 256;
constexpr int kGlyphWidth = 16;
constexpr int kGlyphHeight = 26;
constexpr double kPenAdvance = 10.0;

// Without a screen for the window the show cannot play: say why on the
// terminal and end as a failed start does.
void RefuseWindow(const std::string& reason) {
    Platform::ReportFatal(reason);
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
        Platform::ReportFatal("la linea LOAD DISPLAY pide una ventana de " + std::to_string(static_cast<int>(width)) +
                              " x " + std::to_string(static_cast<int>(height)) +
                              ": ancho y alto deben ser mayores que 0");
        std::exit(1);
    }
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "Error inicializando SDL: %s\n", SDL_GetError());
        // SDL's own words do not say how to play without a screen.
        Platform::ReportFatal(Platform::VideoStartProblem());
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
    // A new window is a new rendering context: textures of an earlier one
    // are not there to share.
    TextureCache::Forget();
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
    fontTexture = LoadJpegTexture(fontImageFile, false);
    fontListBase = glGenLists(kFontGlyphs);
    if (fontListBase == 0) {
        return;
    }
    glBindTexture(GL_TEXTURE_2D, fontTexture);
    const double cell = 1.0 / 16.0;
    for (uint32_t d = 0; d < kFontGlyphs; ++d) {
        // Cell rows count from the texture's top edge (t = 1).
        const double cx = static_cast<double>(d % 16) / 16.0;
        const double cy = static_cast<double>(d / 16) / 16.0;
        glNewList(fontListBase + d, GL_COMPILE);
        glBegin(GL_QUADS);
        glTexCoord2d(cx, 1.0 - cy - cell);
        glVertex2i(0, 0);
        glTexCoord2d(cx + cell, 1.0 - cy - cell);
        glVertex2i(kGlyphWidth, 0);
        glTexCoord2d(cx + cell, 1.0 - cy);
        glVertex2i(kGlyphWidth, kGlyphHeight);
        glTexCoord2d(cx, 1.0 - cy);
        glVertex2i(0, kGlyphHeight);
        glEnd();
        glTranslated(kPenAdvance, 0.0, 0.0);
        glEndList();
    }
}

void Display::DrawText(int x, int y, const char* text, int characterSet, float brightness) {
    if (text == nullptr) {
        return;
    }
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, fontTexture);
    glDisable(GL_DEPTH_TEST);
    SetOrtho2D();
    glLoadIdentity();
    glTranslated(x, y, 0.0);
    // Sets of 2 or more draw as set 1; a negative one as set 0.
    const int set = characterSet >= 1 ? 1 : 0;
    glListBase(fontListBase + static_cast<GLuint>(set * 128) - 32);
    glColor4f(brightness, brightness, brightness, 1.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glDisable(GL_LIGHTING);
    if (fontListBase != 0) {
        CallGlyphLists(text, set);
    }
    glDisable(GL_BLEND);
    SetPerspective();
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
}

// In set 0 a code below 32 would call a list below the font's own (a typed
// Backspace, say), which may belong to anything else: such codes are left
// out, without moving the pen.
void Display::CallGlyphLists(const char* text, int set) {
    const unsigned char* run = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* p = run;
    for (;; ++p) {
        const bool end = *p == 0;
        if (end || (set == 0 && *p < 32)) {
            if (p > run) {
                glCallLists(static_cast<GLsizei>(p - run), GL_UNSIGNED_BYTE, run);
            }
            if (end) {
                return;
            }
            run = p + 1;
        }
    }
}

void Display::FreeFont() {
    if (fontListBase != 0) {
        glDeleteLists(fontListBase, kFontGlyphs);
        fontListBase = 0;
    }
}
