// What the author-mode overlay says, line by line, apart from how it is
// drawn: the music time as m:ss.mmm, the speed as ¼× ½× 1× 2×, the loop, the
// scene, the last script events and the problems, each line with the tone it
// is drawn in. Text is UTF-8; the overlay's font draws printable ASCII and the
// few signs these lines use.
#ifndef HALVENOR_AUTHOR_AUTHOROVERLAYTEXT_H
#define HALVENOR_AUTHOR_AUTHOROVERLAYTEXT_H

#include <cstdint>
#include <string>
#include <vector>

#include "author/AuthorOverlay.h"

enum class AuthorOverlayTone { kPlain, kBright, kDim, kWarning };

struct AuthorOverlayLine {
    std::string text;
    AuthorOverlayTone tone = AuthorOverlayTone::kPlain;
};

class AuthorOverlayText {
public:
    // At most this many events and findings are shown; more findings end in
    // a line that counts the rest.
    static constexpr size_t kMaxEvents = 5;
    static constexpr size_t kMaxFindings = 4;
    // An event's script text is cut here so that the panel stays narrow.
    static constexpr int kEventColumns = 52;
    // A wrapped line goes on this many columns in, so that it reads as one.
    static constexpr int kWrapIndent = 2;

    // Music seconds rounded to the millisecond: 0:00.000, 12:34.567; more
    // minutes just make the minutes longer. Not a number: -:--.---.
    static std::string Time(double seconds);
    // The playing speed: ¼×, ½×, 1×, 2×, 4×, or the number itself (0.75×).
    static std::string Speed(double speed);
    // Every line of the overlay, top to bottom.
    static std::vector<AuthorOverlayLine> Lines(const AuthorOverlayInfo& info);

    // The text cut to at most columns characters, the cut marked with "…".
    static std::string FitColumns(const std::string& text, int columns);
    // The text in rows of at most columns characters, broken at spaces where
    // there are any (the spaces at a break dropped) and inside a word that
    // is longer than a row; rows after the first are indented kWrapIndent
    // columns. Empty text is one empty row; no room at all, no rows.
    static std::vector<std::string> Wrap(const std::string& text, int columns);
    // The characters of UTF-8 text; bytes that are not UTF-8 read as '?'.
    static std::vector<uint32_t> CodePoints(const std::string& text);
};

#endif
