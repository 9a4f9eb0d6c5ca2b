// Stands in for the WGL extension queries (contract in Wgl.h), answered from
// the GLX connection of the current window.
#include "platform/Wgl.h"

#include <GL/glx.h>

#include <cstdio>
#include <string>

namespace Platform {

namespace {

bool AtLeastGlx13(int major, int minor) { return major > 1 || (major == 1 && minor >= 3); }

// A version string begins "major.minor" (vendor text may follow).
bool AtLeastGlx13(const char* version) {
    int major = 0;
    int minor = 0;
    return version != nullptr && std::sscanf(version, "%d.%d", &major, &minor) == 2 && AtLeastGlx13(major, minor);
}

}  // namespace

const char* WglExtensionsString() {
    // Never destroyed, as the other state of the stand-ins: what the
    // registry's release meets at exit is never gone before it, whatever
    // the order in which static objects go.
    static std::string& names = *new std::string;
    names.clear();
    if (ResolvePbufferEntryPoints()) {
        names = "WGL_ARB_pixel_format WGL_ARB_pbuffer WGL_ARB_render_texture ";
    }
    return names.c_str();
}

void* GetProcAddress(const char* name) {
    return reinterpret_cast<void*>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

bool ResolvePbufferEntryPoints() {
    ::Display* display = glXGetCurrentDisplay();
    if (display == nullptr) {
        return false;
    }
    int major = 0;
    int minor = 0;
    // Answers the version both sides speak.
    if (!glXQueryVersion(display, &major, &minor) || !AtLeastGlx13(major, minor)) {
        return false;
    }
    const int screen = DefaultScreen(display);
    return AtLeastGlx13(glXQueryServerString(display, screen, GLX_VERSION)) &&
           AtLeastGlx13(glXGetClientString(display, GLX_VERSION));
}

}  // namespace Platform
