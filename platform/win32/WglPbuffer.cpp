// The WGL pixel-format, pixel-buffer and context functions and GetLastError
// (contract in WglPbuffer.h) on Windows: the driver's own wgl* calls and
// kernel32's last error, reached through WglDriver, which alone includes
// <windows.h>. The handles the engine holds are records around the system's
// handles, so that the same window always answers the same handle and the
// counts of what is alive stay exact.
#include "platform/WglPbuffer.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/win32/WglDriver.h"

struct WglDeviceContext {
    void* handle;
};

struct WglRenderContext {
    void* handle;
    // The window's context belongs to the windowing library, not to us.
    bool owned;
};

struct WglPbuffer {
    void* handle;
    WglDeviceContext dc;
};

namespace {

// The records are never destroyed: a fatal error ends the process through
// exit(), and the registry's destructor then releases the show's pixel
// buffers, which asks these records, from among the static destructors, in
// an order between files that nothing fixes.
std::vector<std::unique_ptr<WglDeviceContext>>& windowDCs = *new std::vector<std::unique_ptr<WglDeviceContext>>;
std::vector<std::unique_ptr<WglRenderContext>>& foreignContexts = *new std::vector<std::unique_ptr<WglRenderContext>>;
std::vector<WglRenderContext*>& ownContexts = *new std::vector<WglRenderContext*>;
std::vector<WglPbuffer*>& livePbuffers = *new std::vector<WglPbuffer*>;

BOOL Fail(uint32_t code) {
    WglDriver::SetLastError(code);
    return 0;
}

bool IsLivePbuffer(HPBUFFERARB pbuffer) {
    return pbuffer != nullptr && std::find(livePbuffers.begin(), livePbuffers.end(), pbuffer) != livePbuffers.end();
}

bool IsKnownDC(HDC dc) {
    if (dc == nullptr) {
        return false;
    }
    for (const auto& window : windowDCs) {
        if (window.get() == dc) {
            return true;
        }
    }
    for (HPBUFFERARB pbuffer : livePbuffers) {
        if (&pbuffer->dc == dc && dc->handle != nullptr) {
            return true;
        }
    }
    return false;
}

bool IsOwnContext(HGLRC context) {
    return context != nullptr && std::find(ownContexts.begin(), ownContexts.end(), context) != ownContexts.end();
}

bool IsKnownContext(HGLRC context) {
    if (IsOwnContext(context)) {
        return true;
    }
    for (const auto& foreign : foreignContexts) {
        if (foreign.get() == context) {
            return context != nullptr;
        }
    }
    return false;
}

bool AsksForAlpha(const int* attributes) {
    for (const int* pair = attributes; pair != nullptr && pair[0] != 0; pair += 2) {
        if (pair[0] == WGL_ALPHA_BITS_ARB && pair[1] > 0) {
            return true;
        }
    }
    return false;
}

// A pixel buffer with alpha bits is refused by some drivers (Wine on an X
// server without a visual for it ends the process), and a request without
// alpha never reads it: formats without alpha go first, each group in the
// driver's order.
void PreferNoAlpha(void* dc, int* formats, UINT count) {
    std::stable_partition(formats, formats + count, [dc](int format) {
        return WglDriver::PixelFormatAttribute(dc, format, WGL_ALPHA_BITS_ARB) == 0;
    });
}

}  // namespace

BOOL wglChoosePixelFormatARB(HDC dc, const int* intAttributes, const float* /*floatAttributes*/,
                             UINT maxFormats, int* formats, UINT* formatCount) {
    if (!IsKnownDC(dc) || formats == nullptr || formatCount == nullptr) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    unsigned count = 0;
    if (!WglDriver::ChoosePixelFormat(dc->handle, intAttributes, maxFormats, formats, &count)) {
        return 0;
    }
    count = std::min(count, static_cast<unsigned>(maxFormats));
    if (!AsksForAlpha(intAttributes)) {
        PreferNoAlpha(dc->handle, formats, count);
    }
    *formatCount = count;
    return 1;
}

HPBUFFERARB wglCreatePbufferARB(HDC dc, int pixelFormat, int width, int height, const int* attributes) {
    if (!IsKnownDC(dc)) {
        Fail(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (width <= 0 || height <= 0) {
        Fail(ERROR_INVALID_DATA);
        return nullptr;
    }
    const int noAttributes[] = {0};
    void* handle = WglDriver::CreatePbuffer(dc->handle, pixelFormat, width, height,
                                            attributes != nullptr ? attributes : noAttributes);
    if (handle == nullptr) {
        return nullptr;
    }
    HPBUFFERARB made = new WglPbuffer{handle, WglDeviceContext{nullptr}};
    livePbuffers.push_back(made);
    return made;
}

HDC wglGetPbufferDCARB(HPBUFFERARB pbuffer) {
    if (!IsLivePbuffer(pbuffer)) {
        Fail(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (pbuffer->dc.handle == nullptr) {
        pbuffer->dc.handle = WglDriver::PbufferDC(pbuffer->handle);
    }
    return pbuffer->dc.handle != nullptr ? &pbuffer->dc : nullptr;
}

int wglReleasePbufferDCARB(HPBUFFERARB pbuffer, HDC dc) {
    if (!IsLivePbuffer(pbuffer) || dc != &pbuffer->dc || dc->handle == nullptr) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    const int released = WglDriver::ReleasePbufferDC(pbuffer->handle, dc->handle);
    if (released != 0) {
        dc->handle = nullptr;
    }
    return released;
}

BOOL wglDestroyPbufferARB(HPBUFFERARB pbuffer) {
    if (!IsLivePbuffer(pbuffer)) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    livePbuffers.erase(std::find(livePbuffers.begin(), livePbuffers.end(), pbuffer));
    // Destroying the surface under a current context would leave it
    // drawing into nothing.
    if (pbuffer->dc.handle != nullptr && WglDriver::CurrentDC() == pbuffer->dc.handle) {
        WglDriver::MakeCurrent(nullptr, nullptr);
    }
    if (pbuffer->dc.handle != nullptr) {
        WglDriver::ReleasePbufferDC(pbuffer->handle, pbuffer->dc.handle);
    }
    const bool destroyed = WglDriver::DestroyPbuffer(pbuffer->handle);
    delete pbuffer;
    return destroyed ? 1 : 0;
}

BOOL wglQueryPbufferARB(HPBUFFERARB pbuffer, int attribute, int* value) {
    if (!IsLivePbuffer(pbuffer) || value == nullptr) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    if (attribute != WGL_PBUFFER_WIDTH_ARB && attribute != WGL_PBUFFER_HEIGHT_ARB) {
        return Fail(ERROR_INVALID_DATA);
    }
    return WglDriver::QueryPbuffer(pbuffer->handle, attribute, value) ? 1 : 0;
}

HGLRC wglCreateContext(HDC dc) {
    if (!IsKnownDC(dc)) {
        Fail(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    void* handle = WglDriver::CreateContext(dc->handle);
    if (handle == nullptr) {
        return nullptr;
    }
    HGLRC made = new WglRenderContext{handle, true};
    ownContexts.push_back(made);
    return made;
}

BOOL wglDeleteContext(HGLRC context) {
    if (!IsKnownContext(context)) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    if (!context->owned) {
        // Not ours to destroy: the windowing library releases it.
        return 1;
    }
    const bool deleted = WglDriver::DeleteContext(context->handle);
    ownContexts.erase(std::find(ownContexts.begin(), ownContexts.end(), context));
    delete context;
    return deleted ? 1 : 0;
}

BOOL wglShareLists(HGLRC first, HGLRC second) {
    if (!IsKnownContext(first) || !IsOwnContext(second)) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    return WglDriver::ShareLists(first->handle, second->handle) ? 1 : 0;
}

BOOL wglMakeCurrent(HDC dc, HGLRC context) {
    if (context == nullptr) {
        WglDriver::MakeCurrent(IsKnownDC(dc) ? dc->handle : nullptr, nullptr);
        return 1;
    }
    if (!IsKnownDC(dc) || !IsKnownContext(context)) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    return WglDriver::MakeCurrent(dc->handle, context->handle) ? 1 : 0;
}

HDC wglGetCurrentDC() {
    void* current = WglDriver::CurrentDC();
    if (current == nullptr) {
        return nullptr;
    }
    for (HPBUFFERARB pbuffer : livePbuffers) {
        if (pbuffer->dc.handle == current) {
            return &pbuffer->dc;
        }
    }
    for (const auto& dc : windowDCs) {
        if (dc->handle == current) {
            return dc.get();
        }
    }
    windowDCs.push_back(std::make_unique<WglDeviceContext>(WglDeviceContext{current}));
    return windowDCs.back().get();
}

HGLRC wglGetCurrentContext() {
    void* current = WglDriver::CurrentContext();
    if (current == nullptr) {
        return nullptr;
    }
    for (HGLRC own : ownContexts) {
        if (own->handle == current) {
            return own;
        }
    }
    for (const auto& foreign : foreignContexts) {
        if (foreign->handle == current) {
            return foreign.get();
        }
    }
    foreignContexts.push_back(std::make_unique<WglRenderContext>(WglRenderContext{current, false}));
    return foreignContexts.back().get();
}

uint32_t GetLastError() { return WglDriver::LastError(); }

void SetLastError(uint32_t code) { WglDriver::SetLastError(code); }

int Platform::LivePbufferCount() { return static_cast<int>(livePbuffers.size()); }

int Platform::LiveContextCount() { return static_cast<int>(ownContexts.size()); }
