// The one window of the engine, its OpenGL state, and the two projections that
// every drawing step switches between: the 3D perspective for scenes and
// particles, the 2D pixel projection (origin bottom-left) for layers and text.
#ifndef HALVENOR_CORE_DISPLAY_H
#define HALVENOR_CORE_DISPLAY_H

#include <cstdint>

class Display {
public:
    Display();

    // Opens the window with its OpenGL context; ends the process on failure
    // with one line on stderr: exit status 1 for a size of 0, when SDL cannot
    // start or there is no screen to open the window on, 2 when the video
    // mode fails.
    void Open(uint32_t width, uint32_t height, int32_t bitsPerPixel, bool fullscreen);
    void InitGL();
    // The OpenGL state the show runs with, set once the window is open: only
    // nearer fragments pass the depth test, back faces are culled.
    void SetRunningState();

    void SetPerspective();
    void SetFieldOfView(float degrees);
    void SetOrtho2D();

    uint32_t Width() const { return width; }
    uint32_t Height() const { return height; }
    float FieldOfView() const { return fieldOfView; }
    bool Fullscreen() const { return fullscreen; }

    // Bitmap font: 256 display lists over the 16 x 16 glyph grid of
    // "texturas\\font.jpg".
    void InitFont();
    void FreeFont();

    uint32_t width;
    uint32_t height;
    int32_t bitsPerPixel;
    float fieldOfView;
    float nearPlane;
    float farPlane;
    bool fullscreen;
    uint32_t fontListBase;
    uint32_t fontTexture;
};

#endif
