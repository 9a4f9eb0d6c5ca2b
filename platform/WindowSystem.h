// Whether the window can be opened on a window system whose OpenGL contexts
// the pixel buffers can share.
//
// Contract: WindowSystemProblem answers an empty string when the window can
// be (or, once the video mode is set, has been) opened on such a window
// system. Otherwise it answers one line, without a line break, saying why
// and what to do. It is asked after SDL's video subsystem has started, and
// again once the video mode is set. VideoStartProblem answers that line for
// SDL's video subsystem failing to start.
//
// On Linux, stands in for what a Windows desktop always has: a GLX window
// on an X server. SDL falls back to a driver without windows (offscreen,
// dummy) when no X server answers; the line then says how to play without a
// screen (xvfb-run), and an X driver asked for with no X server is named.
// On Windows: the desktop is always there; the only problem is a window
// whose OpenGL context is missing or lacks WGL_ARB_pixel_format and
// WGL_ARB_pbuffer. VideoStartProblem is a plain line (naming
// SDL_VIDEODRIVER when it was set).
#ifndef HALVENOR_PLATFORM_WINDOWSYSTEM_H
#define HALVENOR_PLATFORM_WINDOWSYSTEM_H

#include <string>

namespace Platform {

std::string WindowSystemProblem(bool windowOpen);
std::string VideoStartProblem();

}  // namespace Platform

#endif
