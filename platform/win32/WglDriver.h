// The Windows OpenGL driver's WGL calls, behind plain types: the one place
// of the Windows port that includes <windows.h> for them, so that the
// pixel-buffer service (whose contract names HDC, HGLRC, BOOL and the WGL
// functions itself) never meets the system's declarations of the same names.
//
// Device contexts, rendering contexts and pixel buffers travel as void*, the
// system's own handles. WGL_ARB_pixel_format and WGL_ARB_pbuffer are reached
// through wglGetProcAddress, which answers only while a context is current;
// every call answers null/false when its entry point is missing, with
// ERROR_INVALID_FUNCTION left for GetLastError.
#ifndef HALVENOR_PLATFORM_WIN32_WGLDRIVER_H
#define HALVENOR_PLATFORM_WIN32_WGLDRIVER_H

#include <cstdint>

class WglDriver {
public:
    // True once the pixel-format and pbuffer entry points are resolved (they
    // are resolved at the first call made with a context current).
    static bool ResolvePbufferCalls();
    // The driver's WGL extension names, or "" with no current context.
    static const char* ExtensionsString();
    // An OpenGL entry point: wglGetProcAddress for what came after 1.1 and
    // for extensions, opengl32.dll's export for 1.1 itself.
    static void* ProcAddress(const char* name);

    static bool ChoosePixelFormat(void* dc, const int* attributes, unsigned maxFormats, int* formats,
                                  unsigned* count);
    // The value of one WGL_ARB_pixel_format attribute of a format, or -1.
    static int PixelFormatAttribute(void* dc, int format, int attribute);
    static void* CreatePbuffer(void* dc, int format, int width, int height, const int* attributes);
    static void* PbufferDC(void* pbuffer);
    static int ReleasePbufferDC(void* pbuffer, void* dc);
    static bool DestroyPbuffer(void* pbuffer);
    static bool QueryPbuffer(void* pbuffer, int attribute, int* value);

    static void* CreateContext(void* dc);
    static bool DeleteContext(void* context);
    static bool ShareLists(void* first, void* second);
    static bool MakeCurrent(void* dc, void* context);
    static void* CurrentDC();
    static void* CurrentContext();

    static uint32_t LastError();
    static void SetLastError(uint32_t code);
};

#endif
