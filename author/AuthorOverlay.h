// The author-mode overlay: the player's time, speed, loop, scene and camera,
// the last script events that fired and the show's problems, drawn over the
// finished frame with a real TrueType font (not the show's own font.jpg), so
// that it reads the same in every show. Captures never draw it.
#ifndef HALVENOR_AUTHOR_AUTHOROVERLAY_H
#define HALVENOR_AUTHOR_AUTHOROVERLAY_H

#include <string>
#include <vector>

#include "author/AuthorControl.h"

struct AuthorOverlayEvent {
    int line = 0;       // the script line that fired
    std::string text;   // that line as written
};

struct AuthorOverlayInfo {
    AuthorStatus status;
    double frameMs = 0.0;                    // averaged with status.fps
    std::string scene;                       // the current scene's name
    int camera = 0;                          // its current camera
    std::string musicPosition;               // extra music position (a module's order:row), or empty
    std::vector<AuthorOverlayEvent> events;  // the last events that fired, oldest first, at most five
    std::vector<std::string> findings;       // problems to show (file:line: error: …), at most a few
    std::string notice;                      // what just happened ("reloaded (script)"), or empty
};

class AuthorOverlay {
public:
    AuthorOverlay();
    ~AuthorOverlay();
    AuthorOverlay(const AuthorOverlay&) = delete;
    AuthorOverlay& operator=(const AuthorOverlay&) = delete;

    // Loads the font (fontFile, or the system's monospaced default when
    // empty) in the current rendering context; false with the reason in
    // *error when no font can be read. Draw does nothing until it succeeds.
    bool Init(const std::string& fontFile, std::string* error);
    // Draws over whatever the window holds, in window pixels, leaving the
    // OpenGL state as the frame's drawing expects it.
    void Draw(const AuthorOverlayInfo& info, int windowWidth, int windowHeight);
    // Frees the font's texture; harmless to repeat.
    void Release();

private:
    struct Font;
    Font* font;
};

#endif
