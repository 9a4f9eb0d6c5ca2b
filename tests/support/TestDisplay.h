// The engine's display over the test window, for drawing tests.
#ifndef HALVENOR_TESTS_SUPPORT_TESTDISPLAY_H
#define HALVENOR_TESTS_SUPPORT_TESTDISPLAY_H

class Display;

namespace TestSupport {

// Opens the test window at the given size and gives the display that size
// and its OpenGL start-up state; the second also sets the state a show runs
// with.
bool OpenForDisplay(Display& display, int width, int height);
bool OpenWithRunningState(Display& display, int width, int height);

}  // namespace TestSupport

#endif
