// Stands in for the WGL pixel-format, pixel-buffer and context functions and
// GetLastError (contract in WglPbuffer.h), over GLX 1.3.
#include "platform/WglPbuffer.h"

#include <GL/glx.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <memory>
#include <vector>

struct WglDeviceContext {
    ::Display* display;
    GLXDrawable draw;
    GLXDrawable read;
    // The config of a pbuffer; null for the window until a context asks.
    GLXFBConfig config;
    // Cleared when the X connection closes: the server has freed the
    // drawable, and nothing may be asked of the connection any more.
    bool alive;
};

struct WglRenderContext {
    ::Display* display;
    GLXContext context;
    GLXFBConfig config;
    // The window's context belongs to the windowing library, not to us.
    bool owned;
    bool everCurrent;
    bool alive;
};

struct WglPbuffer {
    GLXPbuffer drawable;
    WglDeviceContext dc;
};

// Xlib's hook for a closing connection; its header (Xlibint.h) clashes with
// the C++ library, so it is declared here.
extern "C" int (*XESetCloseDisplay(::Display* display, int extension,
                                   int (*hook)(::Display*, XExtCodes*)))(::Display*, XExtCodes*);

namespace {

// GLX's own error number for a bad frame-buffer config (glxproto.h).
constexpr int kGlxBadFbConfig = 9;

uint32_t lastError = 0;

// The records below are never destroyed. A fatal error ends the process
// through exit(), and the registry's destructor then deletes the show's
// pixel buffers, which asks these records, from among the static
// destructors, in an order between files that nothing fixes.
//
// Handles of the window's drawables and context, made once and kept, so that
// the same window always answers the same handle.
std::vector<std::unique_ptr<WglDeviceContext>>& windowDCs = *new std::vector<std::unique_ptr<WglDeviceContext>>;
std::vector<std::unique_ptr<WglRenderContext>>& foreignContexts = *new std::vector<std::unique_ptr<WglRenderContext>>;
// Contexts made by wglCreateContext and not yet deleted.
std::vector<WglRenderContext*>& ownContexts = *new std::vector<WglRenderContext*>;
std::vector<WglPbuffer*>& livePbuffers = *new std::vector<WglPbuffer*>;
// Connections whose closing the stand-in watches.
std::vector<::Display*>& watchedDisplays = *new std::vector<::Display*>;

BOOL Fail(uint32_t code) {
    lastError = code;
    return 0;
}

// The windowing library closes its connection when it quits, which frees
// every drawable and context made on it; the handles still held become
// records only, released without asking the connection anything.
int ForgetClosedDisplay(::Display* display, XExtCodes* /*codes*/) {
    for (const auto& dc : windowDCs) {
        dc->alive = dc->alive && dc->display != display;
    }
    for (const auto& context : foreignContexts) {
        context->alive = context->alive && context->display != display;
    }
    for (HGLRC context : ownContexts) {
        context->alive = context->alive && context->display != display;
    }
    for (HPBUFFERARB pbuffer : livePbuffers) {
        pbuffer->dc.alive = pbuffer->dc.alive && pbuffer->dc.display != display;
    }
    watchedDisplays.erase(std::remove(watchedDisplays.begin(), watchedDisplays.end(), display), watchedDisplays.end());
    return 0;
}

void WatchDisplay(::Display* display) {
    if (std::find(watchedDisplays.begin(), watchedDisplays.end(), display) != watchedDisplays.end()) {
        return;
    }
    XExtCodes* codes = XAddExtension(display);
    if (codes != nullptr) {
        XESetCloseDisplay(display, codes->extension, ForgetClosedDisplay);
        watchedDisplays.push_back(display);
    }
}

// Catches the X errors of the calls made while it lives, instead of letting
// Xlib's default handler end the process, and keeps the first one's code.
// Each Finish waits for the server (a round trip); a trap opened without
// waiting first, and ended by FinishIfCalm, does so only for a call that
// failed or caught an error.
class XErrorTrap {
public:
    enum Start { kWaitFirst, kNoWait };

    explicit XErrorTrap(::Display* display, Start start = kWaitFirst) : display(display) {
        if (start == kWaitFirst) {
            XSync(display, False);
        }
        caught = 0;
        previous = XSetErrorHandler(Handler);
    }
    ~XErrorTrap() { Finish(); }

    // Waits for the server's answer; the first error's Windows code, or 0.
    uint32_t Finish() {
        if (!finished) {
            XSync(display, False);
            XSetErrorHandler(previous);
            finished = true;
        }
        return WindowsCode(caught);
    }

    // For a call that answers its own failure and has the server answer
    // while it runs when it must (GLX's make-current): when it succeeded and
    // nothing was caught there is nothing to wait for.
    uint32_t FinishIfCalm(bool succeeded) {
        if (!succeeded || caught != 0) {
            return Finish();
        }
        if (!finished) {
            XSetErrorHandler(previous);
            finished = true;
        }
        return 0;
    }

private:
    static int Handler(::Display* /*display*/, XErrorEvent* event) {
        if (caught == 0) {
            caught = event->error_code;
        }
        return 0;
    }

    uint32_t WindowsCode(int xCode) const {
        if (xCode == 0) {
            return 0;
        }
        int errorBase = 0;
        int eventBase = 0;
        const bool glx = glXQueryExtension(display, &errorBase, &eventBase) != 0;
        if (xCode == BadAlloc) {
            return ERROR_NO_SYSTEM_RESOURCES;
        }
        if (glx && xCode == errorBase + kGlxBadFbConfig) {
            return ERROR_INVALID_PIXEL_FORMAT;
        }
        if (xCode == BadValue) {
            return ERROR_INVALID_DATA;
        }
        return static_cast<uint32_t>(xCode);
    }

    ::Display* display;
    int (*previous)(::Display*, XErrorEvent*) = nullptr;
    bool finished = false;
    static int caught;
};

int XErrorTrap::caught = 0;

int ScreenOf(::Display* display) { return DefaultScreen(display); }

// The 1-based position of config in the screen's list: the pixel format.
int FormatOf(::Display* display, GLXFBConfig config) {
    int id = 0;
    glXGetFBConfigAttrib(display, config, GLX_FBCONFIG_ID, &id);
    int count = 0;
    GLXFBConfig* all = glXGetFBConfigs(display, ScreenOf(display), &count);
    int format = 0;
    for (int i = 0; i < count && format == 0; ++i) {
        int otherId = 0;
        glXGetFBConfigAttrib(display, all[i], GLX_FBCONFIG_ID, &otherId);
        if (otherId == id) {
            format = i + 1;
        }
    }
    XFree(all);
    return format;
}

GLXFBConfig ConfigOfFormat(::Display* display, int format) {
    int count = 0;
    GLXFBConfig* all = glXGetFBConfigs(display, ScreenOf(display), &count);
    GLXFBConfig config = format >= 1 && format <= count ? all[format - 1] : nullptr;
    if (all != nullptr) {
        XFree(all);
    }
    return config;
}

// The window's config, found through its context's config id.
GLXFBConfig ConfigOfContext(::Display* display, GLXContext context) {
    int id = 0;
    if (glXQueryContext(display, context, GLX_FBCONFIG_ID, &id) != Success) {
        return nullptr;
    }
    const int wanted[] = {GLX_FBCONFIG_ID, id, None};
    int count = 0;
    GLXFBConfig* found = glXChooseFBConfig(display, ScreenOf(display), wanted, &count);
    GLXFBConfig config = count > 0 ? found[0] : nullptr;
    if (found != nullptr) {
        XFree(found);
    }
    return config;
}

// The request of one WGL attribute pair, appended to the GLX list; false for
// an attribute the stand-in does not know.
bool TranslateAttribute(int attribute, int value, std::vector<int>& glx) {
    switch (attribute) {
        case WGL_DRAW_TO_PBUFFER_ARB:
            glx.insert(glx.end(), {GLX_DRAWABLE_TYPE, value != 0 ? GLX_PBUFFER_BIT : static_cast<int>(GLX_DONT_CARE)});
            return true;
        case WGL_PIXEL_TYPE_ARB:
            glx.insert(glx.end(), {GLX_RENDER_TYPE, value == WGL_TYPE_COLORINDEX_ARB ? GLX_COLOR_INDEX_BIT : GLX_RGBA_BIT});
            return value == WGL_TYPE_COLORINDEX_ARB || value == WGL_TYPE_RGBA_ARB;
        case WGL_DOUBLE_BUFFER_ARB:
            glx.insert(glx.end(), {GLX_DOUBLEBUFFER, value != 0 ? True : False});
            return true;
        case WGL_DEPTH_BITS_ARB:
            glx.insert(glx.end(), {GLX_DEPTH_SIZE, value});
            return true;
        case WGL_STENCIL_BITS_ARB:
            glx.insert(glx.end(), {GLX_STENCIL_SIZE, value});
            return true;
        case WGL_ACCUM_BITS_ARB: {
            // WGL counts the whole accumulation pixel, GLX each channel.
            const int channel = value > 0 ? (value + 3) / 4 : 0;
            glx.insert(glx.end(), {GLX_ACCUM_RED_SIZE, channel, GLX_ACCUM_GREEN_SIZE, channel, GLX_ACCUM_BLUE_SIZE,
                                   channel});
            return true;
        }
        case WGL_RED_BITS_ARB:
            glx.insert(glx.end(), {GLX_RED_SIZE, value});
            return true;
        case WGL_GREEN_BITS_ARB:
            glx.insert(glx.end(), {GLX_GREEN_SIZE, value});
            return true;
        case WGL_BLUE_BITS_ARB:
            glx.insert(glx.end(), {GLX_BLUE_SIZE, value});
            return true;
        case WGL_ALPHA_BITS_ARB:
            glx.insert(glx.end(), {GLX_ALPHA_SIZE, value});
            return true;
        case WGL_SUPPORT_OPENGL_ARB:
            // Every GLX config draws with OpenGL.
            return true;
        default:
            return false;
    }
}

GLXContext MakeContext(::Display* display, GLXFBConfig config, GLXContext share, Bool direct) {
    int renderType = 0;
    glXGetFBConfigAttrib(display, config, GLX_RENDER_TYPE, &renderType);
    const int type = (renderType & GLX_RGBA_BIT) != 0 ? GLX_RGBA_TYPE : GLX_COLOR_INDEX_TYPE;
    return glXCreateNewContext(display, config, type, share, direct);
}

bool IsOwnContext(HGLRC context) {
    return std::find(ownContexts.begin(), ownContexts.end(), context) != ownContexts.end();
}

bool IsKnownContext(HGLRC context) {
    if (context == nullptr) {
        return false;
    }
    if (IsOwnContext(context)) {
        return true;
    }
    for (const auto& foreign : foreignContexts) {
        if (foreign.get() == context) {
            return true;
        }
    }
    return false;
}

}  // namespace

BOOL wglChoosePixelFormatARB(HDC dc, const int* intAttributes, const float* /*floatAttributes*/,
                             UINT maxFormats, int* formats, UINT* formatCount) {
    if (dc == nullptr || !dc->alive || formats == nullptr || formatCount == nullptr) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    std::vector<int> glx;
    for (const int* pair = intAttributes; pair != nullptr && pair[0] != 0; pair += 2) {
        if (!TranslateAttribute(pair[0], pair[1], glx)) {
            return Fail(ERROR_INVALID_DATA);
        }
    }
    glx.push_back(None);
    XErrorTrap trap(dc->display);
    int count = 0;
    GLXFBConfig* found = glXChooseFBConfig(dc->display, ScreenOf(dc->display), glx.data(), &count);
    UINT answered = 0;
    for (int i = 0; i < count && answered < maxFormats; ++i) {
        formats[answered++] = FormatOf(dc->display, found[i]);
    }
    if (found != nullptr) {
        XFree(found);
    }
    const uint32_t error = trap.Finish();
    if (error != 0) {
        return Fail(error);
    }
    *formatCount = answered;
    return 1;
}

HPBUFFERARB wglCreatePbufferARB(HDC dc, int pixelFormat, int width, int height, const int* attributes) {
    if (dc == nullptr || !dc->alive) {
        Fail(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (width <= 0 || height <= 0) {
        Fail(ERROR_INVALID_DATA);
        return nullptr;
    }
    GLXFBConfig config = ConfigOfFormat(dc->display, pixelFormat);
    if (config == nullptr) {
        Fail(ERROR_INVALID_PIXEL_FORMAT);
        return nullptr;
    }
    int largest = False;
    for (const int* pair = attributes; pair != nullptr && pair[0] != 0; pair += 2) {
        if (pair[0] != WGL_PBUFFER_LARGEST_ARB) {
            Fail(ERROR_INVALID_DATA);
            return nullptr;
        }
        largest = pair[1] != 0 ? True : False;
    }
    const int glx[] = {GLX_PBUFFER_WIDTH,     width, GLX_PBUFFER_HEIGHT, height, GLX_PRESERVED_CONTENTS, True,
                       GLX_LARGEST_PBUFFER, largest, None};
    XErrorTrap trap(dc->display);
    const GLXPbuffer drawable = glXCreatePbuffer(dc->display, config, glx);
    const uint32_t error = trap.Finish();
    if (error != 0 || drawable == 0) {
        if (drawable != 0) {
            XErrorTrap cleanup(dc->display);
            glXDestroyPbuffer(dc->display, drawable);
        }
        Fail(error != 0 ? error : ERROR_NO_SYSTEM_RESOURCES);
        return nullptr;
    }
    HPBUFFERARB made = new WglPbuffer{drawable, WglDeviceContext{dc->display, drawable, drawable, config, true}};
    livePbuffers.push_back(made);
    return made;
}

HDC wglGetPbufferDCARB(HPBUFFERARB pbuffer) {
    if (pbuffer == nullptr) {
        Fail(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return &pbuffer->dc;
}

int wglReleasePbufferDCARB(HPBUFFERARB pbuffer, HDC dc) {
    if (pbuffer == nullptr || dc != &pbuffer->dc) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    return 1;
}

BOOL wglDestroyPbufferARB(HPBUFFERARB pbuffer) {
    const auto known = std::find(livePbuffers.begin(), livePbuffers.end(), pbuffer);
    if (pbuffer == nullptr || known == livePbuffers.end()) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    livePbuffers.erase(known);
    if (!pbuffer->dc.alive) {
        delete pbuffer;
        return 1;
    }
    ::Display* display = pbuffer->dc.display;
    // Destroying the drawable under a current context would leave it
    // drawing into nothing.
    if (glXGetCurrentDrawable() == pbuffer->drawable) {
        glXMakeContextCurrent(display, None, None, nullptr);
    }
    XErrorTrap trap(display);
    glXDestroyPbuffer(display, pbuffer->drawable);
    const uint32_t error = trap.Finish();
    delete pbuffer;
    return error == 0 ? 1 : Fail(error);
}

BOOL wglQueryPbufferARB(HPBUFFERARB pbuffer, int attribute, int* value) {
    if (pbuffer == nullptr || !pbuffer->dc.alive || value == nullptr) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    int glxAttribute = 0;
    if (attribute == WGL_PBUFFER_WIDTH_ARB) {
        glxAttribute = GLX_WIDTH;
    } else if (attribute == WGL_PBUFFER_HEIGHT_ARB) {
        glxAttribute = GLX_HEIGHT;
    } else {
        return Fail(ERROR_INVALID_DATA);
    }
    unsigned int answer = 0;
    XErrorTrap trap(pbuffer->dc.display);
    glXQueryDrawable(pbuffer->dc.display, pbuffer->drawable, glxAttribute, &answer);
    const uint32_t error = trap.Finish();
    if (error != 0) {
        return Fail(error);
    }
    *value = static_cast<int>(answer);
    return 1;
}

HGLRC wglCreateContext(HDC dc) {
    if (dc == nullptr || !dc->alive) {
        Fail(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (dc->config == nullptr) {
        dc->config = ConfigOfContext(dc->display, glXGetCurrentContext());
    }
    if (dc->config == nullptr) {
        Fail(ERROR_INVALID_PIXEL_FORMAT);
        return nullptr;
    }
    XErrorTrap trap(dc->display);
    const GLXContext context = MakeContext(dc->display, dc->config, nullptr, True);
    const uint32_t error = trap.Finish();
    if (context == nullptr || error != 0) {
        Fail(error != 0 ? error : ERROR_NO_SYSTEM_RESOURCES);
        return nullptr;
    }
    HGLRC made = new WglRenderContext{dc->display, context, dc->config, true, false, true};
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
    if (context->alive) {
        if (glXGetCurrentContext() == context->context) {
            glXMakeContextCurrent(context->display, None, None, nullptr);
        }
        glXDestroyContext(context->display, context->context);
    }
    ownContexts.erase(std::find(ownContexts.begin(), ownContexts.end(), context));
    delete context;
    return 1;
}

BOOL wglShareLists(HGLRC first, HGLRC second) {
    if (!IsKnownContext(first) || !IsOwnContext(second) || !first->alive || !second->alive) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    // GLX shares only when a context is made: make the second anew, which is
    // sound only while it has never been current (it owns no objects yet).
    if (second->everCurrent) {
        return Fail(ERROR_BUSY);
    }
    XErrorTrap trap(second->display);
    const Bool direct = glXIsDirect(first->display, first->context);
    const GLXContext shared = MakeContext(second->display, second->config, first->context, direct);
    const uint32_t error = trap.Finish();
    if (shared == nullptr || error != 0) {
        if (shared != nullptr) {
            glXDestroyContext(second->display, shared);
        }
        return Fail(error != 0 ? error : ERROR_INVALID_DATA);
    }
    glXDestroyContext(second->display, second->context);
    second->context = shared;
    return 1;
}

BOOL wglMakeCurrent(HDC dc, HGLRC context) {
    if (context == nullptr) {
        ::Display* display = dc != nullptr ? dc->display : glXGetCurrentDisplay();
        if (display != nullptr) {
            glXMakeContextCurrent(display, None, None, nullptr);
        }
        return 1;
    }
    if (dc == nullptr || !dc->alive || !IsKnownContext(context) || !context->alive) {
        return Fail(ERROR_INVALID_HANDLE);
    }
    // A switch happens several times a frame: it waits for the server only
    // the first time a context is made current (when a mismatch of drawable
    // and context shows) and when the switch failed.
    XErrorTrap trap(dc->display, context->everCurrent ? XErrorTrap::kNoWait : XErrorTrap::kWaitFirst);
    const Bool made = glXMakeContextCurrent(dc->display, dc->draw, dc->read, context->context);
    const uint32_t error = context->everCurrent ? trap.FinishIfCalm(made != False) : trap.Finish();
    if (!made || error != 0) {
        return Fail(error != 0 ? error : ERROR_INVALID_HANDLE);
    }
    context->everCurrent = true;
    return 1;
}

HDC wglGetCurrentDC() {
    ::Display* display = glXGetCurrentDisplay();
    const GLXDrawable draw = glXGetCurrentDrawable();
    if (display == nullptr || draw == None) {
        return nullptr;
    }
    const GLXDrawable read = glXGetCurrentReadDrawable();
    for (HPBUFFERARB pbuffer : livePbuffers) {
        if (pbuffer->dc.alive && pbuffer->dc.display == display && pbuffer->drawable == draw) {
            return &pbuffer->dc;
        }
    }
    for (const auto& dc : windowDCs) {
        if (dc->alive && dc->display == display && dc->draw == draw && dc->read == read) {
            return dc.get();
        }
    }
    WatchDisplay(display);
    windowDCs.push_back(std::make_unique<WglDeviceContext>(WglDeviceContext{display, draw, read, nullptr, true}));
    return windowDCs.back().get();
}

HGLRC wglGetCurrentContext() {
    const GLXContext current = glXGetCurrentContext();
    if (current == nullptr) {
        return nullptr;
    }
    for (HGLRC own : ownContexts) {
        if (own->alive && own->context == current) {
            return own;
        }
    }
    for (const auto& foreign : foreignContexts) {
        if (foreign->alive && foreign->context == current) {
            return foreign.get();
        }
    }
    ::Display* display = glXGetCurrentDisplay();
    WatchDisplay(display);
    foreignContexts.push_back(std::make_unique<WglRenderContext>(
        WglRenderContext{display, current, ConfigOfContext(display, current), false, true, true}));
    return foreignContexts.back().get();
}

uint32_t GetLastError() { return lastError; }

void SetLastError(uint32_t code) { lastError = code; }

int Platform::LivePbufferCount() { return static_cast<int>(livePbuffers.size()); }

int Platform::LiveContextCount() { return static_cast<int>(ownContexts.size()); }
