// OpenGL's own declarations (the 1.1 functions, the later enums and entry
// point types, GLU), as the engine includes them everywhere it draws.
//
// Contract: including this header declares OpenGL and GLU and nothing of
// the operating system. On Linux: Mesa's <GL/gl.h>, <GL/glext.h> and
// <GL/glu.h> as they are. On Windows: the same headers of the SDK, whose
// <GL/gl.h> would otherwise pull all of <windows.h> in only for its calling
// convention and import markers; those two are given here instead, so that
// the engine's files keep the Windows-named stand-ins of platform/ (HDC,
// BOOL, GetLastError ...) free of clashes. Entry points beyond OpenGL 1.1
// are not exported by the Windows OpenGL library: the engine resolves them
// at run time (Wgl.h's GetProcAddress).
#ifndef HALVENOR_PLATFORM_OPENGL_H
#define HALVENOR_PLATFORM_OPENGL_H

#if defined(_WIN32) && !defined(WINGDIAPI)
// Given only while the headers are read, so that a file including
// <windows.h> afterwards meets no second meaning of them.
#define HALVENOR_GL_CONVENTIONS_GIVEN
#define WINGDIAPI __declspec(dllimport)
#define APIENTRY __stdcall
#define CALLBACK __stdcall
#endif

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#ifdef HALVENOR_GL_CONVENTIONS_GIVEN
#undef HALVENOR_GL_CONVENTIONS_GIVEN
#undef WINGDIAPI
#undef APIENTRY
#undef CALLBACK
#endif

#endif
