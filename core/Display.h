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
    // "texturas\\font.jpg". Glyphs are 16 x 26 pixels, the pen advances 10.
    // A font image that cannot be loaded is logged and draws with texture 0.
    void InitFont();
    // Draws text with the bottom-left of its first glyph at window pixel
    // (x, y), additively, in grey brightness. Character set 0 is glyphs 0 to
    // 127, any other set glyphs 128 to 255; both start at the space, so codes
    // below 32 in set 0 have no glyph and draw nothing. Leaves the
    // perspective projection loaded and the depth test on.
    void DrawText(int x, int y, const char* text, int characterSet, float brightness);
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

private:
    void CallGlyphLists(const char* text, int set);
};

// The font image InitFont loads, relative to the show directory.
extern const char* fontImageFile;

#endif
