// Stands in for the WGL extension queries of the Windows OpenGL driver.
//
// Contract: WglExtensionsString answers the WGL extension names that the
// window's GLX connection can honour, space-separated with a trailing space:
// "WGL_ARB_pixel_format " when GLX 1.3 frame-buffer configs (or
// GLX_SGIX_fbconfig) exist, "WGL_ARB_pbuffer " and "WGL_ARB_render_texture "
// when GLX 1.3 pbuffers (or GLX_SGIX_pbuffer) exist - the engine copies
// pbuffer pictures into textures and never binds a pbuffer, so render-texture
// is present whenever pbuffers are. It answers an empty string when no GL
// window is current.
//
// GetProcAddress resolves a GL or GLX entry point by name through
// glXGetProcAddressARB; null when the driver has none.
//
// ResolvePbufferEntryPoints resolves the GLX functions that the pixel-buffer
// stand-ins call; false when any is missing.
#ifndef HALVENOR_PLATFORM_WGL_H
#define HALVENOR_PLATFORM_WGL_H

namespace Platform {

const char* WglExtensionsString();
void* GetProcAddress(const char* name);
bool ResolvePbufferEntryPoints();

}  // namespace Platform

#endif
