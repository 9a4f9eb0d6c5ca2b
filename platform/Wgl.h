// The WGL extension queries of the OpenGL driver.
//
// On Windows: the driver's own answers. WglExtensionsString is
// wglGetExtensionsStringARB of the current device context ("" with no
// context current); GetProcAddress is wglGetProcAddress, and for the OpenGL
// 1.1 functions (which wglGetProcAddress does not answer) opengl32.dll's own
// exports; ResolvePbufferEntryPoints resolves wglChoosePixelFormatARB, the
// pbuffer calls and wglGetPixelFormatAttribivARB through wglGetProcAddress
// and answers whether all were there.
//
// On Linux, stand-ins over GLX. Contract: WglExtensionsString answers the
// WGL extension names that the window's GLX connection can honour,
// space-separated with a trailing space:
// "WGL_ARB_pixel_format WGL_ARB_pbuffer WGL_ARB_render_texture " when both
// the X server and the client library offer GLX 1.3 or later, whose
// frame-buffer configs and pbuffers the pixel-buffer stand-in
// (WglPbuffer.h) calls - the engine copies pbuffer pictures into textures
// and never binds a pbuffer, so render-texture is present whenever pbuffers
// are. It answers an empty string when no GL window is current or GLX is
// older.
//
// GetProcAddress resolves a GL or GLX entry point by name through
// glXGetProcAddressARB; null when the driver has none.
//
// ResolvePbufferEntryPoints answers whether the GLX 1.3 functions that the
// pixel-buffer stand-in calls really work on this connection. A resolved
// pointer proves nothing (Mesa's glXGetProcAddressARB answers one for any
// name), so it asks the server and the client for their GLX versions.
#ifndef HALVENOR_PLATFORM_WGL_H
#define HALVENOR_PLATFORM_WGL_H

namespace Platform {

const char* WglExtensionsString();
void* GetProcAddress(const char* name);
bool ResolvePbufferEntryPoints();

}  // namespace Platform

#endif
