#include "fx2d/Console.h"

const char* consoleBackgroundFile = "texturas\\consola_fondo.jpg";

namespace {

// The history panel covers the top 200 pixels; the input strip lies just
// below it. Heights in pixels from the top of the window.
constexpr float kPanelHeight = 200.0f;
constexpr float kBarTop = 203.0f;
constexpr float kBarBottom = 228.0f;
// The background image repeats four times across and one and a half down.
constexpr float kTextureRepeatU = 4.0f;
constexpr float kTextureRepeatV = 1.5f;
constexpr int kBackgroundBlendMode = 6;  // source plus destination times one minus source alpha
constexpr float kBarAlpha = 0.8f;

// Text: the newest history line sits at the bottom of the panel, older ones
// higher; the input line's glyphs end just inside the strip.
constexpr int kTextLeft = 2;
constexpr int kLineSpacing = 20;
constexpr int kInputFromTop = 225;
constexpr int kHistorySet = 0;
constexpr int kInputSet = 1;

}  // namespace

Console::Console() : background(), inputBar(), fadingDown(true), display(), text() {}

// A window lower than the panels leaves their tops off screen, which float
// edges express without wrapping.
void Console::Init() {
    const float w = static_cast<float>(display.Width());
    const float h = static_cast<float>(display.Height());

    background.LoadTexture(consoleBackgroundFile);
    background.x0 = 0.0f;
    background.y0 = h - kPanelHeight;
    background.x1 = w;
    background.y1 = h;
    background.alpha = kLowAlpha;
    background.blendMode = kBackgroundBlendMode;
    background.ScaleTexCoords(kTextureRepeatU, kTextureRepeatV);

    // The pivot of both panels stays at the origin: each is drawn where its
    // edges say.
    inputBar.SetTexture(background.texture);
    inputBar.x0 = 0.0f;
    inputBar.y0 = h - kBarBottom;
    inputBar.x1 = w;
    inputBar.y1 = h - kBarTop;
    inputBar.alpha = kBarAlpha;
    inputBar.blendMode = kBackgroundBlendMode;
}

// One step a frame; at each turn the alpha rests for one frame.
void Console::PulseAlpha() {
    if (fadingDown) {
        if (background.alpha > kLowAlpha) {
            background.alpha -= kAlphaStep;
        } else {
            fadingDown = false;
        }
        return;
    }
    if (background.alpha >= kHighAlpha) {
        fadingDown = true;
    } else {
        background.alpha += kAlphaStep;
    }
}

void Console::DrawHistory() {
    const int top = static_cast<int>(display.Height());
    const int count = text.LineCount();
    for (int i = 0; i < count; ++i) {
        const int y = top - static_cast<int>(kPanelHeight) + kLineSpacing * i;
        display.DrawText(kTextLeft, y, text.Line(count - 1 - i), kHistorySet, 1.0f);
    }
}

void Console::Draw() {
    PulseAlpha();
    display.SetOrtho2D();
    background.Draw();
    DrawHistory();
    display.SetOrtho2D();
    inputBar.Draw();
    const int top = static_cast<int>(display.Height());
    display.DrawText(kTextLeft, top - kInputFromTop, text.Input(), kInputSet, 1.0f);
}
