#include "glext/GlShaderCalls.h"

#include <cstdio>
#include <string>

#include "platform/Wgl.h"

namespace {

GlShaderCalls calls;
bool resolved = false;
bool complete = false;
std::string missing;

template <typename T>
void Resolve(T& call, const char* name) {
    call = reinterpret_cast<T>(Platform::GetProcAddress(name));
    if (call == nullptr) {
        missing += missing.empty() ? name : std::string(" ") + name;
    }
}

// "4.5 (Compatibility Profile) Mesa ..." or "4.50": at least major.minor.
bool VersionAtLeast(const GLubyte* text, int major, int minor) {
    int haveMajor = 0;
    int haveMinor = 0;
    if (text == nullptr || std::sscanf(reinterpret_cast<const char*>(text), "%d.%d", &haveMajor, &haveMinor) != 2) {
        return false;
    }
    // GLSL writes 3.30 where OpenGL writes 3.3.
    if (haveMinor >= 10 && minor < 10) {
        haveMinor /= 10;
    }
    return haveMajor > major || (haveMajor == major && haveMinor >= minor);
}

void ResolveAll() {
    Resolve(calls.createShader, "glCreateShader");
    Resolve(calls.shaderSource, "glShaderSource");
    Resolve(calls.compileShader, "glCompileShader");
    Resolve(calls.getShaderiv, "glGetShaderiv");
    Resolve(calls.getShaderInfoLog, "glGetShaderInfoLog");
    Resolve(calls.deleteShader, "glDeleteShader");
    Resolve(calls.createProgram, "glCreateProgram");
    Resolve(calls.attachShader, "glAttachShader");
    Resolve(calls.linkProgram, "glLinkProgram");
    Resolve(calls.getProgramiv, "glGetProgramiv");
    Resolve(calls.getProgramInfoLog, "glGetProgramInfoLog");
    Resolve(calls.deleteProgram, "glDeleteProgram");
    Resolve(calls.useProgram, "glUseProgram");
    Resolve(calls.getUniformLocation, "glGetUniformLocation");
    Resolve(calls.uniform1i, "glUniform1i");
    Resolve(calls.uniform1f, "glUniform1f");
    Resolve(calls.uniform2f, "glUniform2f");
    Resolve(calls.uniform3f, "glUniform3f");
    Resolve(calls.uniform4f, "glUniform4f");
    Resolve(calls.uniform1fv, "glUniform1fv");
    Resolve(calls.uniform3fv, "glUniform3fv");
    Resolve(calls.activeTexture, "glActiveTexture");
    Resolve(calls.genFramebuffers, "glGenFramebuffers");
    Resolve(calls.bindFramebuffer, "glBindFramebuffer");
    Resolve(calls.framebufferTexture2D, "glFramebufferTexture2D");
    Resolve(calls.checkFramebufferStatus, "glCheckFramebufferStatus");
    Resolve(calls.deleteFramebuffers, "glDeleteFramebuffers");
}

}  // namespace

const GlShaderCalls* GlShaderCalls::Get() {
    if (!resolved) {
        missing.clear();
        // Mesa answers a pointer for any name, so the version decides.
        if (!VersionAtLeast(glGetString(GL_VERSION), 3, 0)) {
            missing = "OpenGL 3.0";
        } else if (!VersionAtLeast(glGetString(GL_SHADING_LANGUAGE_VERSION), 3, 30)) {
            missing = "GLSL 3.30";
        } else {
            ResolveAll();
        }
        if (glGetString(GL_VERSION) == nullptr) {
            // No context yet: try again with one.
            return nullptr;
        }
        resolved = true;
        complete = missing.empty();
    }
    return complete ? &calls : nullptr;
}

const char* GlShaderCalls::Missing() { return missing.c_str(); }
