#include "tests/support/TestDisplay.h"

#include <cstdint>

#include "core/Display.h"
#include "tests/support/GlTestContext.h"

namespace TestSupport {

bool OpenForDisplay(Display& display, int width, int height) {
    if (!GlTestContext::Open(width, height)) {
        return false;
    }
    display.width = static_cast<uint32_t>(width);
    display.height = static_cast<uint32_t>(height);
    display.InitGL();
    return true;
}

bool OpenWithRunningState(Display& display, int width, int height) {
    if (!OpenForDisplay(display, width, height)) {
        return false;
    }
    display.SetRunningState();
    return true;
}

}  // namespace TestSupport
