// The real WGL of the Windows OpenGL driver (opengl32.dll and the
// WGL_ARB_pixel_format / WGL_ARB_pbuffer entry points it hands out),
// called with the system's own types; see WglDriver.h.
#include "platform/win32/WglDriver.h"

#include <windows.h>

#include <GL/gl.h>
#include <GL/wglext.h>

#include <cstdint>

namespace {

struct PbufferCalls {
    PFNWGLCHOOSEPIXELFORMATARBPROC choosePixelFormat = nullptr;
    PFNWGLGETPIXELFORMATATTRIBIVARBPROC pixelFormatAttribute = nullptr;
    PFNWGLCREATEPBUFFERARBPROC createPbuffer = nullptr;
    PFNWGLGETPBUFFERDCARBPROC getPbufferDC = nullptr;
    PFNWGLRELEASEPBUFFERDCARBPROC releasePbufferDC = nullptr;
    PFNWGLDESTROYPBUFFERARBPROC destroyPbuffer = nullptr;
    PFNWGLQUERYPBUFFERARBPROC queryPbuffer = nullptr;
    bool complete = false;
};

PbufferCalls calls;

// Some drivers answer small integers instead of null for names they lack.
bool Usable(PROC proc) {
    const auto value = reinterpret_cast<intptr_t>(proc);
    return value != 0 && value != 1 && value != 2 && value != 3 && value != -1;
}

template <typename T>
bool Resolve(T& call, const char* name) {
    if (call == nullptr) {
        const PROC proc = wglGetProcAddress(name);
        call = Usable(proc) ? reinterpret_cast<T>(reinterpret_cast<void*>(proc)) : nullptr;
    }
    return call != nullptr;
}

// The entry points are the driver's, the same for every context of the
// process; they can only be asked for while one is current.
bool Ready() {
    if (!calls.complete && wglGetCurrentContext() != nullptr) {
        bool all = Resolve(calls.choosePixelFormat, "wglChoosePixelFormatARB");
        all = Resolve(calls.pixelFormatAttribute, "wglGetPixelFormatAttribivARB") && all;
        all = Resolve(calls.createPbuffer, "wglCreatePbufferARB") && all;
        all = Resolve(calls.getPbufferDC, "wglGetPbufferDCARB") && all;
        all = Resolve(calls.releasePbufferDC, "wglReleasePbufferDCARB") && all;
        all = Resolve(calls.destroyPbuffer, "wglDestroyPbufferARB") && all;
        all = Resolve(calls.queryPbuffer, "wglQueryPbufferARB") && all;
        calls.complete = all;
    }
    return calls.complete;
}

bool Missing() {
    if (Ready()) {
        return false;
    }
    ::SetLastError(ERROR_INVALID_FUNCTION);
    return true;
}

}  // namespace

bool WglDriver::ResolvePbufferCalls() { return Ready(); }

const char* WglDriver::ExtensionsString() {
    const HDC dc = wglGetCurrentDC();
    if (wglGetCurrentContext() == nullptr || dc == nullptr) {
        return "";
    }
    PFNWGLGETEXTENSIONSSTRINGARBPROC arb = nullptr;
    if (Resolve(arb, "wglGetExtensionsStringARB")) {
        const char* names = arb(dc);
        return names != nullptr ? names : "";
    }
    PFNWGLGETEXTENSIONSSTRINGEXTPROC ext = nullptr;
    if (Resolve(ext, "wglGetExtensionsStringEXT")) {
        const char* names = ext();
        return names != nullptr ? names : "";
    }
    return "";
}

void* WglDriver::ProcAddress(const char* name) {
    const PROC proc = wglGetProcAddress(name);
    if (Usable(proc)) {
        return reinterpret_cast<void*>(proc);
    }
    static const HMODULE library = LoadLibraryA("opengl32.dll");
    if (library == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<void*>(::GetProcAddress(library, name));
}

bool WglDriver::ChoosePixelFormat(void* dc, const int* attributes, unsigned maxFormats, int* formats,
                                  unsigned* count) {
    const float noFloats[] = {0.0f, 0.0f};
    return !Missing() && calls.choosePixelFormat(static_cast<HDC>(dc), attributes, noFloats, maxFormats, formats,
                                                 count) != FALSE;
}

int WglDriver::PixelFormatAttribute(void* dc, int format, int attribute) {
    int value = -1;
    if (Missing() || !calls.pixelFormatAttribute(static_cast<HDC>(dc), format, 0, 1, &attribute, &value)) {
        return -1;
    }
    return value;
}

void* WglDriver::CreatePbuffer(void* dc, int format, int width, int height, const int* attributes) {
    if (Missing()) {
        return nullptr;
    }
    return calls.createPbuffer(static_cast<HDC>(dc), format, width, height, attributes);
}

void* WglDriver::PbufferDC(void* pbuffer) {
    return Missing() ? nullptr : calls.getPbufferDC(static_cast<HPBUFFERARB>(pbuffer));
}

int WglDriver::ReleasePbufferDC(void* pbuffer, void* dc) {
    return Missing() ? 0 : calls.releasePbufferDC(static_cast<HPBUFFERARB>(pbuffer), static_cast<HDC>(dc));
}

bool WglDriver::DestroyPbuffer(void* pbuffer) {
    return !Missing() && calls.destroyPbuffer(static_cast<HPBUFFERARB>(pbuffer)) != FALSE;
}

bool WglDriver::QueryPbuffer(void* pbuffer, int attribute, int* value) {
    return !Missing() && calls.queryPbuffer(static_cast<HPBUFFERARB>(pbuffer), attribute, value) != FALSE;
}

void* WglDriver::CreateContext(void* dc) { return wglCreateContext(static_cast<HDC>(dc)); }

bool WglDriver::DeleteContext(void* context) { return wglDeleteContext(static_cast<HGLRC>(context)) != FALSE; }

bool WglDriver::ShareLists(void* first, void* second) {
    return wglShareLists(static_cast<HGLRC>(first), static_cast<HGLRC>(second)) != FALSE;
}

bool WglDriver::MakeCurrent(void* dc, void* context) {
    return wglMakeCurrent(static_cast<HDC>(dc), static_cast<HGLRC>(context)) != FALSE;
}

void* WglDriver::CurrentDC() { return wglGetCurrentDC(); }

void* WglDriver::CurrentContext() { return wglGetCurrentContext(); }

uint32_t WglDriver::LastError() { return ::GetLastError(); }

void WglDriver::SetLastError(uint32_t code) { ::SetLastError(code); }
