// Linux has no box to stand in for MessageBoxA's window (contract in
// SystemMessageBox.h): the stderr line MessageBox.cpp writes is all there is,
// so a show that fails never waits for a click.
#include "platform/SystemMessageBox.h"

namespace Platform {

void ShowSystemMessageBox(const char* /*text*/, const char* /*caption*/) {}

}  // namespace Platform
