// An OpenGL context without a visible window, for the tools that ask the
// driver something without drawing (halvenor-check compiles the shaders of
// a show with the driver that will play it).
//
// Contract: MakeOffscreenGlCurrent makes a context current in the calling
// thread, a context of the same kind the player's window gets (the
// driver's compatibility profile); it is made once and kept for the
// process. When a context is already current it answers true and changes
// nothing. False, with why saying so in one line, when there is none to be
// had.
//
// On Linux: a 1 x 1 GLX pbuffer of the X display named by DISPLAY (false
// when there is no X display or no GLX 1.3 config).
// On Windows: a hidden window of its own class with a plain RGB pixel
// format, and wglCreateContext / wglMakeCurrent on its device context.
#ifndef HALVENOR_PLATFORM_OFFSCREENGL_H
#define HALVENOR_PLATFORM_OFFSCREENGL_H

#include <string>

namespace Platform {

bool MakeOffscreenGlCurrent(std::string* why);

}  // namespace Platform

#endif
