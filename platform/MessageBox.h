// Stands in for the Windows MessageBoxA call.
//
// Contract: MessageBoxA(owner, text, caption, type) never blocks. It writes the
// caption and the text to stderr on one line ("[caption] text", line breaks of
// the text shown as "\n"), records the box in a list that tests can read, and
// answers IDOK. The list keeps the most recent boxes only (at least
// kKeptMessageBoxes of them, never twice as many), so a file that makes a box
// per line cannot make it grow without bound. The owner and the type are accepted and ignored: the engine
// only ever asks for an OK box without an owner.
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

}  // namespace Platform

#endif
