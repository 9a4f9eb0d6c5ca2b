#include "tests/support/GlTestContext.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xcomposite.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "glext/GlExtensions.h"
#include "scene/TextureCache.h"

namespace TestSupport {

namespace {

int openWidth = 0;
int openHeight = 0;

// Tests running side by side open their windows at the same place on the
// same server; a window kept off screen by the compositing extension holds
// its own picture even where another covers it.
void KeepWindowPictureOffScreen() {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) <= 0) {
        return;
    }
    ::Display* display = info.info.x11.display;
    int eventBase = 0;
    int errorBase = 0;
    if (XCompositeQueryExtension(display, &eventBase, &errorBase)) {
        XCompositeRedirectWindow(display, info.info.x11.window, CompositeRedirectAutomatic);
        XSync(display, False);
    }
}

}  // namespace

bool GlTestContext::Open(int width, int height) {
    if (openWidth == width && openHeight == height) {
        return true;
    }
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 && SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "GlTestContext: SDL_Init: %s\n", SDL_GetError());
        return false;
    }
    if (SDL_SetVideoMode(width, height, 32, SDL_OPENGL) == nullptr) {
        std::fprintf(stderr, "GlTestContext: SDL_SetVideoMode: %s\n", SDL_GetError());
        return false;
    }
    // A new context holds none of the textures the cache remembers.
    TextureCache::Forget();
    if (!InitExtensions("GL_ARB_multitexture WGL_ARB_pbuffer WGL_ARB_pixel_format WGL_ARB_render_texture "
                        "GL_SGIS_generate_mipmap ")) {
        std::fprintf(stderr, "GlTestContext: extensions missing\n");
        return false;
    }
    KeepWindowPictureOffScreen();
    openWidth = width;
    openHeight = height;
    glViewport(0, 0, width, height);
    return true;
}

bool GlTestContext::OpenFlat(int width, int height) {
    if (!Open(width, height)) {
        return false;
    }
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, width, 0.0, height);
    glMatrixMode(GL_MODELVIEW);
    return true;
}

void GlTestContext::Close() {
    if (openWidth != 0) {
        SDL_Quit();
        openWidth = 0;
        openHeight = 0;
    }
}

Rgba GlTestContext::ReadPixel(int x, int y) {
    Rgba pixel{0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &pixel);
    return pixel;
}

Rgba GlTestContext::ScreenPixel(int x, int yFromTop) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) <= 0) {
        return Rgba{0, 0, 0, 0};
    }
    ::Display* display = info.info.x11.display;
    XSync(display, False);
    XImage* image = XGetImage(display, info.info.x11.window, x, yFromTop, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) {
        return Rgba{0, 0, 0, 0};
    }
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return Rgba{static_cast<uint8_t>((pixel >> 16) & 0xFF), static_cast<uint8_t>((pixel >> 8) & 0xFF),
                static_cast<uint8_t>(pixel & 0xFF), 255};
}

bool GlTestContext::SaveFrame(const std::string& path) {
    std::vector<uint8_t> rgb(static_cast<size_t>(openWidth) * openHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, openWidth, openHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    std::fprintf(file, "P6\n%d %d\n255\n", openWidth, openHeight);
    for (int row = openHeight - 1; row >= 0; --row) {
        std::fwrite(&rgb[static_cast<size_t>(row) * openWidth * 3], 1, static_cast<size_t>(openWidth) * 3, file);
    }
    std::fclose(file);
    return true;
}

int GlTestContext::Width() { return openWidth; }
int GlTestContext::Height() { return openHeight; }

bool NearColour(const Rgba& actual, int r, int g, int b, int tolerance) {
    return std::abs(actual.r - r) <= tolerance && std::abs(actual.g - g) <= tolerance &&
           std::abs(actual.b - b) <= tolerance;
}

}  // namespace TestSupport
