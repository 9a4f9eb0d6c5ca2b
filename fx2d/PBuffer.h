// An off-screen drawing surface with its own rendering context, which shares
// display lists and textures with the window's, and a texture in the window's
// context that receives a copy of each finished picture. Callers draw
// between MakeCurrent and MakeWindowCurrent and copy with CopyToTexture while
// the pixel buffer is current.
#ifndef HALVENOR_FX2D_PBUFFER_H
#define HALVENOR_FX2D_PBUFFER_H

#include <cstdint>

#include "platform/WglPbuffer.h"

class PBuffer {
public:
    static constexpr int kNameSize = 256;
    // Pixel-format choices of the mode bit set.
    static constexpr int kColourIndex = 1;
    static constexpr int kDoubleBuffer = 2;
    static constexpr int kAccumulation = 4;
    static constexpr int kDepth = 16;
    static constexpr int kStencil = 32;

    // Stores the request; no OpenGL work. The name is cut to fit.
    PBuffer(int width, int height, int mode, const char* name);
    ~PBuffer();
    PBuffer(const PBuffer&) = delete;
    PBuffer& operator=(const PBuffer&) = delete;

    // Creates the surface, its context and its texture while the window's
    // context is current. Any failure ends the process with status -1.
    void Create(bool share);
    void MakeCurrent();
    void MakeWindowCurrent();
    void CopyToTexture();
    void Release();

    const char* Name() const { return name; }
    int Width() const { return width; }
    int Height() const { return height; }
    uint32_t Texture() const { return texture; }

    HDC windowDC;
    HGLRC windowRC;
    HGLRC pbufferRC;
    HPBUFFERARB handle;
    int mode;
    char name[kNameSize];
    HDC pbufferDC;
    int32_t width;
    int32_t height;
    uint32_t texture;

private:
    void ChooseFormatAndCreate();
    void PrepareContext();
    void CreateTexture();
};

#endif
