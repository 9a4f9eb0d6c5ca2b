// The WGL pixel-format, pixel-buffer and context functions of the OpenGL
// driver (WGL_ARB_pixel_format, WGL_ARB_pbuffer and the wgl context calls),
// and GetLastError / SetLastError, under their Windows names.
//
// On Windows: the driver's own calls (opengl32.dll's wglCreateContext,
// wglDeleteContext, wglShareLists, wglMakeCurrent, wglGetCurrentDC and
// wglGetCurrentContext; the ARB calls as wglGetProcAddress answers them) and
// kernel32's last error. The handles are records around the system's, so
// the same window always answers the same handle; wglDeleteContext of the
// window's context leaves it to its owner. Failures answer FALSE or null
// with the system's own error codes. wglChoosePixelFormatARB answers the
// driver's formats with those without alpha bits first when the request
// asks for none: under Wine on an X server, drawing into a pbuffer with
// alpha ends the process (an X error), and without it none is read.
// Switching contexts is the driver's: each context keeps its own state, so a
// framebuffer object and viewport of the window's context are as they were
// when the window is made current again.
//
// On Linux, stand-ins over GLX 1.3 on the connection of the window's current
// context. Contract:
// - A device context (HDC) is a GLX drawable pair: wglGetCurrentDC answers
//   the one of the current window (draw and read drawable as they are), a
//   pbuffer's comes from wglGetPbufferDCARB. A rendering context (HGLRC) is a
//   GLX context; wglGetCurrentContext answers the window's without owning it.
// - wglChoosePixelFormatARB turns the attribute list into a glXChooseFBConfig
//   request for pbuffer-capable configs and answers them as pixel formats
//   (1-based positions in the screen's config list), best first.
// - wglCreateContext makes a context for a DC's config. wglShareLists makes
//   the second context share display lists and textures with the first; GLX
//   can only share when a context is made, so a context that has never been
//   current is made anew with sharing, and one that has is refused, as on
//   Windows once it owns objects.
// - wglMakeCurrent(dc, rc) makes exactly that drawable pair and context
//   current; a context keeps its own state (a framebuffer object bound in the
//   window's context stays bound when the window is made current again).
//   wglMakeCurrent(any, null) leaves no context current. Switching to a
//   context that has been current before asks the X server nothing more
//   than GLX itself does (no round trip of its own) unless the switch fails.
// - Every call answers failure the Windows way (FALSE, null) and leaves a
//   code for GetLastError: X errors raised by the call are caught (the
//   process is not ended) and mapped - resource exhaustion 1450
//   (ERROR_NO_SYSTEM_RESOURCES), a bad config 2000
//   (ERROR_INVALID_PIXEL_FORMAT), a bad value 13 (ERROR_INVALID_DATA),
//   anything else its own X error code; wrong handles give 6
//   (ERROR_INVALID_HANDLE), no current window 2000.
#ifndef HALVENOR_PLATFORM_WGLPBUFFER_H
#define HALVENOR_PLATFORM_WGLPBUFFER_H

#include <cstdint>

struct WglDeviceContext;
struct WglRenderContext;
struct WglPbuffer;

typedef WglDeviceContext* HDC;
typedef WglRenderContext* HGLRC;
typedef WglPbuffer* HPBUFFERARB;
typedef int BOOL;
typedef unsigned int UINT;

#define WGL_DRAW_TO_PBUFFER_ARB 0x202D
#define WGL_SUPPORT_OPENGL_ARB 0x2010
#define WGL_DOUBLE_BUFFER_ARB 0x2011
#define WGL_PIXEL_TYPE_ARB 0x2013
#define WGL_RED_BITS_ARB 0x2015
#define WGL_GREEN_BITS_ARB 0x2017
#define WGL_BLUE_BITS_ARB 0x2019
#define WGL_ALPHA_BITS_ARB 0x201B
#define WGL_ACCUM_BITS_ARB 0x201D
#define WGL_DEPTH_BITS_ARB 0x2022
#define WGL_STENCIL_BITS_ARB 0x2023
#define WGL_TYPE_RGBA_ARB 0x202B
#define WGL_TYPE_COLORINDEX_ARB 0x202C
#define WGL_PBUFFER_LARGEST_ARB 0x2033
#define WGL_PBUFFER_WIDTH_ARB 0x2034
#define WGL_PBUFFER_HEIGHT_ARB 0x2035

#define ERROR_INVALID_HANDLE 6
#define ERROR_INVALID_DATA 13
#define ERROR_BUSY 170
#define ERROR_NO_SYSTEM_RESOURCES 1450
#define ERROR_INVALID_PIXEL_FORMAT 2000

BOOL wglChoosePixelFormatARB(HDC dc, const int* intAttributes, const float* floatAttributes, UINT maxFormats,
                             int* formats, UINT* formatCount);
HPBUFFERARB wglCreatePbufferARB(HDC dc, int pixelFormat, int width, int height, const int* attributes);
HDC wglGetPbufferDCARB(HPBUFFERARB pbuffer);
int wglReleasePbufferDCARB(HPBUFFERARB pbuffer, HDC dc);
BOOL wglDestroyPbufferARB(HPBUFFERARB pbuffer);
BOOL wglQueryPbufferARB(HPBUFFERARB pbuffer, int attribute, int* value);

HGLRC wglCreateContext(HDC dc);
BOOL wglDeleteContext(HGLRC context);
BOOL wglShareLists(HGLRC first, HGLRC second);
BOOL wglMakeCurrent(HDC dc, HGLRC context);
HDC wglGetCurrentDC();
HGLRC wglGetCurrentContext();

uint32_t GetLastError();
void SetLastError(uint32_t code);

namespace Platform {
// Pixel buffers and rendering contexts made and not yet destroyed: what a
// leak check counts (the window's own context is not one of them).
int LivePbufferCount();
int LiveContextCount();
}  // namespace Platform

#endif
