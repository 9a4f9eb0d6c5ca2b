// OpenGL with the extension entry points the engine calls. Include this header
// instead of <GL/gl.h>: glActiveTextureARB and glMultiTexCoord2fARB name the
// entry points resolved by InitExtensions, not the library's own symbols, so
// the engine only calls what the driver said it offers.
#ifndef HALVENOR_GLEXT_GLEXTENSIONS_H
#define HALVENOR_GLEXT_GLEXTENSIONS_H

#include "platform/OpenGl.h"

extern PFNGLACTIVETEXTUREARBPROC halvenorActiveTextureARB;
extern PFNGLMULTITEXCOORD2FARBPROC halvenorMultiTexCoord2fARB;

#define glActiveTextureARB halvenorActiveTextureARB
#define glMultiTexCoord2fARB halvenorMultiTexCoord2fARB

// Checks that every name of the space-separated list occurs in the driver's GL
// or WGL extension strings and resolves the entry points of the listed
// extensions. True only when all names are present and all entry points were
// resolved. Needs a current rendering context.
bool InitExtensions(const char* required);
// The names the last InitExtensions call found missing or could not resolve,
// space-separated; empty after a success.
const char* MissingExtensions();

#endif
