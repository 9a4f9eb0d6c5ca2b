// The WGL extension queries (contract in Wgl.h) on Windows:
// wglGetExtensionsStringARB of the current device context, and
// wglGetProcAddress with opengl32.dll's own exports for OpenGL 1.1, through
// WglDriver.
#include "platform/Wgl.h"

#include "platform/win32/WglDriver.h"

namespace Platform {

const char* WglExtensionsString() { return WglDriver::ExtensionsString(); }

void* GetProcAddress(const char* name) { return name != nullptr ? WglDriver::ProcAddress(name) : nullptr; }

bool ResolvePbufferEntryPoints() { return WglDriver::ResolvePbufferCalls(); }

}  // namespace Platform
