// The console in the player's frame loop: hidden at start, drawn over the
// composed frame once TAB shows it, closed by ESC without ending the show,
// and showing what was typed while it was open. Keys are pushed into the
// input queue as the frames go by; each frame is read back before it is
// presented.
#include <SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <vector>

#include "core/Application.h"
#include "core/FrameSink.h"
#include "glext/GlExtensions.h"
#include "tests/support/GlTestContext.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestImages.h"

using TestSupport::Rgba;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

void Push(SDLKey key) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

Rgba Pixel(int x, int y) {
    Rgba pixel{0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &pixel);
    return pixel;
}

// The player's window unloads Mesa's driver when it closes, before the leak
// checker runs at exit: what the driver keeps for itself would then be
// reported from an unknown module, past its suppression. Kept loaded, it is
// still told apart. Where there is no such driver this does nothing.
void PinOpenGlDriver() {
    dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_NOW | RTLD_NODELETE);
}

// Frame n gets the keys of keys[n] after it is presented.
class KeyedFrames : public FrameSink {
public:
    explicit KeyedFrames(std::vector<std::vector<SDLKey>> keys) : keys(std::move(keys)) {}

    bool FrameComposed(Engine& /*engine*/) override {
        panel.push_back(Pixel(kWidth / 2, kHeight - 100));
        historyGlyph.push_back(Pixel(30, kHeight - 200 + 8));
        const size_t frame = panel.size() - 1;
        if (frame >= keys.size()) {
            return false;
        }
        for (const SDLKey key : keys[frame]) {
            Push(key);
        }
        return true;
    }

    std::vector<std::vector<SDLKey>> keys;
    std::vector<Rgba> panel;
    std::vector<Rgba> historyGlyph;
};

TEST(ConsoleInTheFrameLoop, TabShowsItEscapeHidesItAndTypedLinesAreShown) {
    PinOpenGlDriver();
    TestSupport::TempDir dir;
    dir.Write("preconfig.txt", "LOAD DISPLAY 320 240 32 NO\n");
    dir.Write("texturas/font.jpg", TestSupport::MarkerGlyphSheet('#'));
    dir.Write("texturas/consola_fondo.jpg", TestSupport::SolidRgbJpeg(8, 8, 128, 128, 128));

    KeyedFrames sink({
        {SDLK_TAB},                                // frame 0: hidden, then shown
        {SDLK_HASH, SDLK_RETURN, SDLK_ESCAPE},     // 1: shown; '#' typed and committed, then hidden
        {SDLK_TAB},                                // 2: hidden, the show goes on
        {},                                        // 3: shown with the history line
    });
    EXPECT_EQ(Application::Run(sink), 0);
    ASSERT_EQ(sink.panel.size(), 5u);

    // The history panel at alpha 0.7 over the black frame, only while shown.
    const std::vector<bool> shown = {false, true, false, true, true};
    for (size_t frame = 0; frame < shown.size(); ++frame) {
        const int level = sink.panel[frame].g;
        if (shown[frame]) {
            EXPECT_NEAR(level, 90, 6) << "frame " << frame;
        } else {
            EXPECT_EQ(level, 0) << "frame " << frame;
        }
    }
    // The committed line ": #" is drawn at the foot of the panel: its '#'
    // glyph (red in the history's character set) after the prompt.
    EXPECT_LT(sink.historyGlyph[1].r, 100);
    EXPECT_GT(sink.historyGlyph[3].r, 200);
    EXPECT_GT(sink.historyGlyph[4].r, 200);
}

}  // namespace
