// The shading-language, framebuffer and texture-unit entry points that
// programmable layers call, resolved once for the process. They belong to
// OpenGL 2.0 to 3.0; a driver without them (or without GLSL 3.30) answers
// null, and the layers that need them report it and stay undrawn.
#ifndef HALVENOR_GLEXT_GLSHADERCALLS_H
#define HALVENOR_GLEXT_GLSHADERCALLS_H

#include "glext/GlExtensions.h"

struct GlShaderCalls {
    PFNGLCREATESHADERPROC createShader;
    PFNGLSHADERSOURCEPROC shaderSource;
    PFNGLCOMPILESHADERPROC compileShader;
    PFNGLGETSHADERIVPROC getShaderiv;
    PFNGLGETSHADERINFOLOGPROC getShaderInfoLog;
    PFNGLDELETESHADERPROC deleteShader;
    PFNGLCREATEPROGRAMPROC createProgram;
    PFNGLATTACHSHADERPROC attachShader;
    PFNGLLINKPROGRAMPROC linkProgram;
    PFNGLGETPROGRAMIVPROC getProgramiv;
    PFNGLGETPROGRAMINFOLOGPROC getProgramInfoLog;
    PFNGLDELETEPROGRAMPROC deleteProgram;
    PFNGLUSEPROGRAMPROC useProgram;
    PFNGLGETUNIFORMLOCATIONPROC getUniformLocation;
    PFNGLUNIFORM1IPROC uniform1i;
    PFNGLUNIFORM1FPROC uniform1f;
    PFNGLUNIFORM2FPROC uniform2f;
    PFNGLUNIFORM3FPROC uniform3f;
    PFNGLUNIFORM4FPROC uniform4f;
    PFNGLUNIFORM1FVPROC uniform1fv;
    PFNGLUNIFORM3FVPROC uniform3fv;
    PFNGLACTIVETEXTUREPROC activeTexture;
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer;
    PFNGLFRAMEBUFFERTEXTURE2DPROC framebufferTexture2D;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers;

    // The calls, or null when the current context's driver lacks OpenGL 3.0
    // or GLSL 3.30 or any of them. Needs a current context the first time.
    static const GlShaderCalls* Get();
    // Why Get answered null, for the log; empty otherwise.
    static const char* Missing();
};

#endif
