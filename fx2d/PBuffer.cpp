#include "fx2d/PBuffer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/Log.h"
#include "glext/GlExtensions.h"

namespace {

constexpr int kMaxFormats = 256;
// Asking for the farthest depth; OpenGL clamps it to 1.0.
constexpr double kClearDepth = 1000000.0;

[[noreturn]] void CreationError(const char* text) {
    std::fputs(text, stderr);
    std::fflush(stderr);
    std::exit(-1);
}

[[noreturn]] void SwitchError(const char* text) {
    Log::Write(text);
    std::fprintf(stderr, "halvenor: %s", text);
    std::exit(-1);
}

bool IsPowerOfTwo(int value) { return value > 0 && (value & (value - 1)) == 0; }

// The pixel-format request of the mode bits, as (attribute, value) pairs
// ended by 0. Alpha bits are not asked for: copies are RGB.
std::vector<int> FormatRequest(int mode) {
    std::vector<int> request = {WGL_DRAW_TO_PBUFFER_ARB, 1, WGL_PIXEL_TYPE_ARB,
                                (mode & PBuffer::kColourIndex) != 0 ? WGL_TYPE_COLORINDEX_ARB : WGL_TYPE_RGBA_ARB};
    if ((mode & PBuffer::kDoubleBuffer) != 0) {
        request.insert(request.end(), {WGL_DOUBLE_BUFFER_ARB, 1});
    }
    if ((mode & PBuffer::kDepth) != 0) {
        request.insert(request.end(), {WGL_DEPTH_BITS_ARB, 1});
    }
    if ((mode & PBuffer::kStencil) != 0) {
        request.insert(request.end(), {WGL_STENCIL_BITS_ARB, 1});
    }
    if ((mode & PBuffer::kAccumulation) != 0) {
        request.insert(request.end(), {WGL_ACCUM_BITS_ARB, 1});
    }
    request.insert(request.end(), {WGL_SUPPORT_OPENGL_ARB, 1, WGL_RED_BITS_ARB, 8, WGL_GREEN_BITS_ARB, 8,
                                   WGL_BLUE_BITS_ARB, 8, 0});
    return request;
}

}  // namespace

PBuffer::PBuffer(int newWidth, int newHeight, int newMode, const char* newName)
    : windowDC(nullptr),
      windowRC(nullptr),
      pbufferRC(nullptr),
      handle(nullptr),
      mode(newMode),
      name(),
      pbufferDC(nullptr),
      width(newWidth),
      height(newHeight),
      texture(0) {
    std::snprintf(name, sizeof name, "%s", newName != nullptr ? newName : "");
}

PBuffer::~PBuffer() { Release(); }

void PBuffer::Create(bool share) {
    windowDC = wglGetCurrentDC();
    windowRC = wglGetCurrentContext();
    ChooseFormatAndCreate();

    pbufferDC = wglGetPbufferDCARB(handle);
    if (pbufferDC == nullptr) {
        CreationError("pbuffer creation error:  wglGetPbufferDCARB() failed\n");
    }
    pbufferRC = wglCreateContext(pbufferDC);
    if (pbufferRC == nullptr) {
        CreationError("pbuffer creation error:  wglCreateContext() failed\n");
    }
    if (share && !wglShareLists(windowRC, pbufferRC)) {
        CreationError("pbuffer: wglShareLists() failed\n");
    }
    wglQueryPbufferARB(handle, WGL_PBUFFER_WIDTH_ARB, &width);
    wglQueryPbufferARB(handle, WGL_PBUFFER_HEIGHT_ARB, &height);

    if (!wglMakeCurrent(pbufferDC, pbufferRC)) {
        SwitchError("Failed to set up current DC & GLCTX \n");
    }
    PrepareContext();
    if (!wglMakeCurrent(windowDC, windowRC)) {
        SwitchError("Failed to restore window DC & GLCTX \n");
    }
    CreateTexture();
}

void PBuffer::ChooseFormatAndCreate() {
    const std::vector<int> request = FormatRequest(mode);
    const float noFloats[] = {0.0f, 0.0f};
    int formats[kMaxFormats];
    UINT count = 0;
    if (!wglChoosePixelFormatARB(windowDC, request.data(), noFloats, kMaxFormats, formats, &count)) {
        CreationError("pbuffer creation error:  wglChoosePixelFormatARB() failed.\n");
    }
    if (count == 0) {
        CreationError("pbuffer creation error:  Couldn't find a suitable pixel format.\n");
    }
    const int noAttributes[] = {0};
    handle = wglCreatePbufferARB(windowDC, formats[0], width, height, noAttributes);
    if (handle == nullptr) {
        const uint32_t error = GetLastError();
        std::fputs("pbuffer creation error:  wglCreatePbufferARB() failed\n", stderr);
        if (error == ERROR_INVALID_PIXEL_FORMAT) {
            std::fputs("error:  ERROR_INVALID_PIXEL_FORMAT\n", stderr);
        } else if (error == ERROR_NO_SYSTEM_RESOURCES) {
            std::fputs("error:  ERROR_NO_SYSTEM_RESOURCES\n", stderr);
        } else if (error == ERROR_INVALID_DATA) {
            std::fputs("error:  ERROR_INVALID_DATA\n", stderr);
        }
        std::fflush(stderr);
        std::exit(-1);
    }
}

// The pixel buffer's own state: cleared, depth-tested, its own viewport and
// a 70-degree projection until the display's replaces it.
void PBuffer::PrepareContext() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(kClearDepth);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(70.0, static_cast<double>(width) / static_cast<double>(height), 1.0, 5000.0);
    glMatrixMode(GL_MODELVIEW);
    glViewport(0, 0, width, height);
}

// The texture has the pixel buffer's own size at level 0, so every copy lands
// whole. A power-of-two size is also built through GLU's mipmap builder; any
// other size is given its level 0 directly (GLU would rescale it to a power
// of two, which the copies would not fit), and the automatic mipmap
// generation fills the smaller levels.
void PBuffer::CreateTexture() {
    GLuint name = 0;
    glGenTextures(1, &name);
    texture = name;
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    // Rows of the scratch picture start on 4-byte boundaries, as OpenGL
    // reads them by default.
    const size_t rowBytes = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    std::vector<unsigned char> scratch(rowBytes * static_cast<size_t>(height));
    if (IsPowerOfTwo(width) && IsPowerOfTwo(height)) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE, scratch.data());
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, scratch.data());
    }
}

void PBuffer::MakeCurrent() {
    if (!wglMakeCurrent(pbufferDC, pbufferRC)) {
        SwitchError("PBuffer::MakeCurrent() failed.\n");
    }
}

void PBuffer::MakeWindowCurrent() {
    if (!wglMakeCurrent(windowDC, windowRC)) {
        SwitchError("WINDOW::MakeCurrent() failed.\n");
    }
}

void PBuffer::CopyToTexture() {
    glBindTexture(GL_TEXTURE_2D, texture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
}

void PBuffer::Release() {
    if (handle == nullptr) {
        return;
    }
    wglDeleteContext(pbufferRC);
    wglReleasePbufferDCARB(handle, pbufferDC);
    wglDestroyPbufferARB(handle);
    // The texture lives in the window's context, which outlives the buffer:
    // without this every buffer released (a show built again) kept its
    // picture and mipmaps.
    if (texture != 0) {
        const GLuint name = texture;
        glDeleteTextures(1, &name);
        texture = 0;
    }
    pbufferRC = nullptr;
    pbufferDC = nullptr;
    handle = nullptr;
}
