// Stands in for the WGL extension queries (contract in Wgl.h), answered from
// the GLX connection of the current window.
#include "platform/Wgl.h"

#include <GL/glx.h>

#include <cstring>
#include <string>

namespace Platform {

namespace {

bool HasWord(const char* list, const char* word) {
    if (list == nullptr) {
        return false;
    }
    const size_t length = std::strlen(word);
    for (const char* at = std::strstr(list, word); at != nullptr; at = std::strstr(at + 1, word)) {
        const bool startsWord = at == list || at[-1] == ' ';
        const bool endsWord = at[length] == ' ' || at[length] == '\0';
        if (startsWord && endsWord) {
            return true;
        }
    }
    return false;
}

}  // namespace

const char* WglExtensionsString() {
    static std::string names;
    names.clear();
    ::Display* display = glXGetCurrentDisplay();
    if (display == nullptr) {
        return names.c_str();
    }
    int major = 0;
    int minor = 0;
    glXQueryVersion(display, &major, &minor);
    const bool glx13 = major > 1 || (major == 1 && minor >= 3);
    const char* glxExtensions = glXQueryExtensionsString(display, DefaultScreen(display));
    const bool fbconfig = glx13 || HasWord(glxExtensions, "GLX_SGIX_fbconfig");
    const bool pbuffer = glx13 || HasWord(glxExtensions, "GLX_SGIX_pbuffer");
    if (fbconfig) {
        names += "WGL_ARB_pixel_format ";
    }
    if (pbuffer) {
        names += "WGL_ARB_pbuffer WGL_ARB_render_texture ";
    }
    return names.c_str();
}

void* GetProcAddress(const char* name) {
    return reinterpret_cast<void*>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

bool ResolvePbufferEntryPoints() {
    static const char* const names[] = {
        "glXChooseFBConfig", "glXCreatePbuffer", "glXDestroyPbuffer",
        "glXCreateNewContext", "glXMakeContextCurrent", "glXGetFBConfigAttrib",
    };
    for (const char* name : names) {
        if (GetProcAddress(name) == nullptr) {
            return false;
        }
    }
    return true;
}

}  // namespace Platform
