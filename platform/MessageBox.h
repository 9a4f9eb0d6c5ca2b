// The Windows MessageBoxA call: the real box on Windows, a stand-in on Linux.
//
// Contract: MessageBoxA(owner, text, caption, type) writes the caption and the
// text to stderr on one line ("[caption] text", line breaks of the text shown
// as "\n") on every port, so that logs and tests read alike, records the box
// in a list that tests can read, and answers IDOK. On Linux it never blocks:
// the stderr line is the box. On Windows it then shows the real box,
// MessageBoxA(NULL, text, caption, MB_OK) with the same bytes, modal and
// without an owner, and returns once it is closed; while a listener is set
// (the checker reading boxes as findings) no box goes on screen, only the
// line and the list. The list keeps the most recent boxes only (at least
// kKeptMessageBoxes of them, never twice as many), so a file that makes a box
// per line cannot make it grow without bound. The owner and the type are
// accepted and ignored: the engine only ever asks for an OK box without an
// owner.
#ifndef HALVENOR_PLATFORM_MESSAGEBOX_H
#define HALVENOR_PLATFORM_MESSAGEBOX_H

#include <cstddef>
#include <string>
#include <vector>

constexpr unsigned MB_OK = 0x00000000u;
constexpr int IDOK = 1;

int MessageBoxA(void* owner, const char* text, const char* caption, unsigned type);

namespace Platform {

struct ShownMessageBox {
    std::string text;
    std::string caption;
};

constexpr size_t kKeptMessageBoxes = 1000;

// The most recent boxes shown since the start or the last ClearMessageBoxes,
// oldest first.
const std::vector<ShownMessageBox>& MessageBoxes();
void ClearMessageBoxes();

// While set (null: none), called after each box is recorded: the checker
// points a box a reader shows at the line the reader was reading.
void ListenToMessageBoxes(void (*listener)(void* context), void* context);

// The line a program prints before it ends because the show cannot play
// ("halvenor: " and the text, on stderr, on every port). On Windows the text
// also goes on screen in a box captioned "halvenor": the player is a program
// without a console, and started from the desktop it has no stderr anyone
// reads. The box is not recorded in the list: it is not one of the engine's.
void ReportFatal(const std::string& text);

// For programs run unattended (a capture): from now on no box goes on
// screen, on any port; the stderr lines and the list stay as they are.
void KeepBoxesOffScreen();

}  // namespace Platform

#endif
