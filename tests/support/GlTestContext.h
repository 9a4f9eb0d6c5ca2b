// A real OpenGL window for drawing tests (under Xvfb when headless), with the
// engine's extension entry points resolved. Pixels are read back with
// ReadPixel after drawing into the back buffer.
#ifndef HALVENOR_TESTS_SUPPORT_GLTESTCONTEXT_H
#define HALVENOR_TESTS_SUPPORT_GLTESTCONTEXT_H

#include <array>
#include <cstdint>
#include <string>

namespace TestSupport {

struct Rgba {
    uint8_t r, g, b, a;
};

class GlTestContext {
public:
    // Opens (or reuses) the test window at the given size. SDL 1.2 has one
    // window per process; reopening with another size replaces it.
    static bool Open(int width = 64, int height = 64);
    // Open, then the whole window as the viewport and the projection the
    // 2D layers draw in: one unit a pixel, y up from the bottom left.
    static bool OpenFlat(int width, int height);
    static void Close();

    static Rgba ReadPixel(int x, int y);
    // What the X server shows in the window after a swap (y from the top),
    // read from the server itself rather than from the GL context.
    static Rgba ScreenPixel(int x, int yFromTop);
    // Writes the back buffer to a binary PPM, for looking at a failing frame.
    static bool SaveFrame(const std::string& path);

    static int Width();
    static int Height();
};

// True when the two colours differ by at most tolerance in each of r, g, b.
bool NearColour(const Rgba& actual, int r, int g, int b, int tolerance = 3);

}  // namespace TestSupport

#endif
