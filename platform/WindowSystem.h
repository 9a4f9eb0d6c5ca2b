// Stands in for what a Windows desktop always has: a screen to open the
// window on, with the OpenGL driver and its pixel buffers behind it.
//
// Contract: WindowSystemProblem answers an empty string when the window can
// be (or, once the video mode is set, has been) opened on a window system
// whose OpenGL contexts the pixel buffers can share - a GLX window on an X
// server. Otherwise it answers one line, without a line break, saying why
// there is no usable display and how to play without one (xvfb-run). It is
// asked after SDL's video subsystem has started, and again once the video
// mode is set.
//
// VideoStartProblem answers that line for SDL's video subsystem failing to
// start (an X driver asked for with no X server, say).
#ifndef HALVENOR_PLATFORM_WINDOWSYSTEM_H
#define HALVENOR_PLATFORM_WINDOWSYSTEM_H

#include <string>

namespace Platform {

std::string WindowSystemProblem(bool windowOpen);
std::string VideoStartProblem();

}  // namespace Platform

#endif
