// Stands in for a hidden window with a WGL context (contract in
// OffscreenGl.h): a 1 x 1 GLX pbuffer of the X display and a context on it.
#include "platform/OffscreenGl.h"

#include <GL/glx.h>
#include <X11/Xlib.h>

#include <cstdlib>

namespace {

struct Offscreen {
    ::Display* display = nullptr;
    GLXPbuffer surface = 0;
    GLXContext context = nullptr;
    bool tried = false;
    std::string why;
};

Offscreen offscreen;

bool Fail(const char* text) {
    offscreen.why = text;
    return false;
}

bool Make() {
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0') {
        return Fail("no X display (DISPLAY is not set): run it under xvfb-run -a to compile the shaders");
    }
    offscreen.display = XOpenDisplay(nullptr);
    if (offscreen.display == nullptr) {
        return Fail("the X display does not answer: the shaders cannot be compiled");
    }
    int major = 0;
    int minor = 0;
    if (!glXQueryVersion(offscreen.display, &major, &minor) || major < 1 || (major == 1 && minor < 3)) {
        return Fail("the X display has no GLX 1.3: the shaders cannot be compiled");
    }
    const int wanted[] = {GLX_DRAWABLE_TYPE, GLX_PBUFFER_BIT, GLX_RENDER_TYPE, GLX_RGBA_BIT, None};
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(offscreen.display, DefaultScreen(offscreen.display), wanted, &count);
    if (configs == nullptr || count == 0) {
        return Fail("the X display offers no pbuffer for OpenGL: the shaders cannot be compiled");
    }
    const int size[] = {GLX_PBUFFER_WIDTH, 1, GLX_PBUFFER_HEIGHT, 1, None};
    offscreen.surface = glXCreatePbuffer(offscreen.display, configs[0], size);
    offscreen.context = glXCreateNewContext(offscreen.display, configs[0], GLX_RGBA_TYPE, nullptr, True);
    XFree(configs);
    if (offscreen.surface == 0 || offscreen.context == nullptr) {
        return Fail("the OpenGL driver gives no context without a window: the shaders cannot be compiled");
    }
    return true;
}

}  // namespace

namespace Platform {

bool MakeOffscreenGlCurrent(std::string* why) {
    if (glXGetCurrentContext() != nullptr) {
        return true;
    }
    if (!offscreen.tried) {
        offscreen.tried = true;
        Make();
    }
    const bool current = offscreen.context != nullptr &&
                         glXMakeContextCurrent(offscreen.display, offscreen.surface, offscreen.surface,
                                               offscreen.context);
    if (!current && why != nullptr) {
        *why = offscreen.why.empty() ? "the OpenGL context cannot be made current" : offscreen.why;
    }
    return current;
}

}  // namespace Platform
