// The real Windows message box (contract in SystemMessageBox.h):
// MessageBoxA, modal, without an owner, OK only. Kept apart from
// MessageBox.h, whose stand-in carries the same name as this call.
#include "platform/SystemMessageBox.h"

#include <windows.h>

namespace Platform {

void ShowSystemMessageBox(const char* text, const char* caption) {
    // The answer is always OK (or 0 when no box could be made, say without
    // a desktop): either way the caller goes on as after a click.
    ::MessageBoxA(nullptr, text, caption, MB_OK);
}

}  // namespace Platform
