// The box each port puts on the screen for MessageBoxA; MessageBox.cpp writes
// the stderr line and keeps the list, the same for every port.
//
// Contract: ShowSystemMessageBox(text, caption) shows a modal OK box without
// an owner and returns once it is closed. Linux: nothing (the stderr line is
// the box). Windows: MessageBoxA(NULL, text, caption, MB_OK) itself, with the
// bytes as given.
#ifndef HALVENOR_PLATFORM_SYSTEMMESSAGEBOX_H
#define HALVENOR_PLATFORM_SYSTEMMESSAGEBOX_H

namespace Platform {

void ShowSystemMessageBox(const char* text, const char* caption);

}  // namespace Platform

#endif
