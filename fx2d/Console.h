// The developer console: a translucent panel at the top of the window with
// the ten newest history lines, and a strip below it with the input line.
// It interprets nothing; the frame loop decides when it is shown and feeds
// it the typed keys. It draws with its own copy of the engine's display,
// which carries the font.
#ifndef HALVENOR_FX2D_CONSOLE_H
#define HALVENOR_FX2D_CONSOLE_H

#include "core/Display.h"
#include "fx2d/ConsoleText.h"
#include "fx2d/Layer2D.h"

class Console {
public:
    // The background's alpha pulses between these, one step a drawn frame.
    static constexpr float kLowAlpha = 0.7f;
    static constexpr float kHighAlpha = 0.8f;
    static constexpr float kAlphaStep = 0.002f;

    Console();

    // Sets up both panels for the size of display, which must already hold
    // the engine's display. A background image that cannot be loaded is
    // logged and the panels draw with texture 0.
    void Init();
    // Draws the console over the frame; once per frame while it is shown.
    void Draw();

    Layer2D background;
    Layer2D inputBar;
    bool fadingDown;
    Display display;
    ConsoleText text;

private:
    void PulseAlpha();
    void DrawHistory();
};

// The console background Init loads, relative to the show directory.
extern const char* consoleBackgroundFile;

#endif
