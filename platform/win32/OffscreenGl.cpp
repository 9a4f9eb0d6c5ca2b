// An OpenGL context without a visible window (contract in OffscreenGl.h) on
// Windows: a hidden window of its own class, a plain pixel format set on its
// device context (ChoosePixelFormat, SetPixelFormat) and wglCreateContext /
// wglMakeCurrent on it.
#include "platform/OffscreenGl.h"

#include <windows.h>

namespace {

const char* const kClassName = "HalvenorOffscreenGl";

struct Offscreen {
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;
    bool tried = false;
    std::string why;
};

Offscreen offscreen;

bool Fail(const char* text) {
    offscreen.why = text;
    return false;
}

bool OpenWindow() {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassA(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }
    // Never shown: a window only for its device context.
    offscreen.window = CreateWindowExA(0, kClassName, "halvenor", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN |
                                       WS_CLIPSIBLINGS, 0, 0, 16, 16, nullptr, nullptr, windowClass.hInstance,
                                       nullptr);
    offscreen.dc = offscreen.window != nullptr ? GetDC(offscreen.window) : nullptr;
    return offscreen.dc != nullptr;
}

bool Make() {
    if (!OpenWindow()) {
        return Fail("Windows does not open the hidden window the OpenGL context needs: the shaders cannot be "
                    "compiled");
    }
    PIXELFORMATDESCRIPTOR wanted = {};
    wanted.nSize = sizeof wanted;
    wanted.nVersion = 1;
    wanted.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    wanted.iPixelType = PFD_TYPE_RGBA;
    wanted.cColorBits = 24;
    wanted.cDepthBits = 16;
    wanted.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(offscreen.dc, &wanted);
    if (format == 0 || !SetPixelFormat(offscreen.dc, format, &wanted)) {
        return Fail("the OpenGL driver offers no pixel format for a window: the shaders cannot be compiled");
    }
    offscreen.context = wglCreateContext(offscreen.dc);
    if (offscreen.context == nullptr) {
        return Fail("the OpenGL driver gives no context: the shaders cannot be compiled");
    }
    return true;
}

}  // namespace

namespace Platform {

bool MakeOffscreenGlCurrent(std::string* why) {
    if (wglGetCurrentContext() != nullptr) {
        return true;
    }
    if (!offscreen.tried) {
        offscreen.tried = true;
        Make();
    }
    const bool current = offscreen.context != nullptr && wglMakeCurrent(offscreen.dc, offscreen.context) != FALSE;
    if (!current && why != nullptr) {
        *why = offscreen.why.empty() ? "the OpenGL context cannot be made current" : offscreen.why;
    }
    return current;
}

}  // namespace Platform
