#include "capture/FrameReader.h"

#include <SDL.h>

#include <cstring>

#include "glext/GlExtensions.h"

namespace {

PFNGLGENBUFFERSPROC genBuffers = nullptr;
PFNGLDELETEBUFFERSPROC deleteBuffers = nullptr;
PFNGLBINDBUFFERPROC bindBuffer = nullptr;
PFNGLBUFFERDATAPROC bufferData = nullptr;
PFNGLMAPBUFFERPROC mapBuffer = nullptr;
PFNGLUNMAPBUFFERPROC unmapBuffer = nullptr;

bool HasExtension(const char* name) {
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (list == nullptr) {
        return false;
    }
    const size_t length = std::strlen(name);
    for (const char* at = std::strstr(list, name); at != nullptr; at = std::strstr(at + 1, name)) {
        if ((at == list || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0')) {
            return true;
        }
    }
    return false;
}

template <typename T>
bool Resolve(T& entry, const char* name) {
    entry = reinterpret_cast<T>(SDL_GL_GetProcAddress(name));
    return entry != nullptr;
}

bool ResolvePixelBufferObjects() {
    if (!HasExtension("GL_ARB_pixel_buffer_object")) {
        return false;
    }
    return Resolve(genBuffers, "glGenBuffersARB") && Resolve(deleteBuffers, "glDeleteBuffersARB") &&
           Resolve(bindBuffer, "glBindBufferARB") && Resolve(bufferData, "glBufferDataARB") &&
           Resolve(mapBuffer, "glMapBufferARB") && Resolve(unmapBuffer, "glUnmapBufferARB");
}

// Rows are packed tight, whatever the show left in the pack state, which is
// given back as it was.
void ReadWindow(int width, int height, void* target) {
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, target);
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
}

}  // namespace

FrameReader::FrameReader()
    : width(0), height(0), rowBytes(0), pixelBuffers{0, 0}, pendingRepeat{0, 0}, current(0) {}

FrameReader::~FrameReader() = default;

void FrameReader::Init(int newWidth, int newHeight) {
    width = newWidth;
    height = newHeight;
    rowBytes = static_cast<size_t>(width) * 3;
    topDown.assign(rowBytes * static_cast<size_t>(height), 0);
    if (!ResolvePixelBufferObjects()) {
        direct.assign(topDown.size(), 0);
        return;
    }
    genBuffers(2, pixelBuffers);
    for (const GLuint buffer : pixelBuffers) {
        bindBuffer(GL_PIXEL_PACK_BUFFER_ARB, buffer);
        bufferData(GL_PIXEL_PACK_BUFFER_ARB, static_cast<GLsizeiptr>(topDown.size()), nullptr, GL_STREAM_READ_ARB);
    }
    bindBuffer(GL_PIXEL_PACK_BUFFER_ARB, 0);
}

void FrameReader::FlipInto(const uint8_t* bottomUp) {
    for (int row = 0; row < height; ++row) {
        std::memcpy(&topDown[static_cast<size_t>(height - 1 - row) * rowBytes],
                    bottomUp + static_cast<size_t>(row) * rowBytes, rowBytes);
    }
}

bool FrameReader::HandOn(int slot, const Deliver& deliver) {
    const int64_t repeat = pendingRepeat[slot];
    pendingRepeat[slot] = 0;
    if (repeat <= 0) {
        return true;
    }
    bindBuffer(GL_PIXEL_PACK_BUFFER_ARB, pixelBuffers[slot]);
    const auto* pixels = static_cast<const uint8_t*>(mapBuffer(GL_PIXEL_PACK_BUFFER_ARB, GL_READ_ONLY_ARB));
    if (pixels != nullptr) {
        FlipInto(pixels);
        unmapBuffer(GL_PIXEL_PACK_BUFFER_ARB);
    }
    // Whatever the show reads back next goes to client memory again.
    bindBuffer(GL_PIXEL_PACK_BUFFER_ARB, 0);
    return deliver(topDown.data(), repeat);
}

bool FrameReader::Read(int64_t repeat, const Deliver& deliver) {
    if (!UsesPixelBuffers()) {
        if (repeat <= 0) {
            return true;
        }
        ReadWindow(width, height, direct.data());
        FlipInto(direct.data());
        return deliver(topDown.data(), repeat);
    }
    if (repeat > 0) {
        bindBuffer(GL_PIXEL_PACK_BUFFER_ARB, pixelBuffers[current]);
        ReadWindow(width, height, nullptr);
        bindBuffer(GL_PIXEL_PACK_BUFFER_ARB, 0);
        pendingRepeat[current] = repeat;
    }
    current = 1 - current;
    return HandOn(current, deliver);
}

bool FrameReader::Flush(const Deliver& deliver) {
    if (!UsesPixelBuffers()) {
        return true;
    }
    current = 1 - current;
    return HandOn(current, deliver);
}

void FrameReader::Release() {
    if (UsesPixelBuffers()) {
        deleteBuffers(2, pixelBuffers);
        pixelBuffers[0] = 0;
        pixelBuffers[1] = 0;
    }
}
