#include "fx2d/ShaderCheck.h"

#include <cstdlib>

#include "fx2d/ShaderLayer.h"
#include "fx2d/ShaderSource.h"
#include "glext/GlShaderCalls.h"
#include "platform/OffscreenGl.h"

namespace {

// "file:LINE: error: text" (or "file: error: text") as its parts.
ShaderCheck::Finding Parsed(const std::string& message, const std::string& fileName) {
    ShaderCheck::Finding finding{true, 0, message};
    std::string rest = message.compare(0, fileName.size(), fileName) == 0 ? message.substr(fileName.size()) : message;
    if (!rest.empty() && rest[0] == ':') {
        char* end = nullptr;
        const long line = std::strtol(rest.c_str() + 1, &end, 10);
        if (end != rest.c_str() + 1 && *end == ':') {
            finding.line = static_cast<int>(line);
            rest = end;
        }
        rest = rest.substr(rest.find_first_not_of(": "));
    }
    for (const char* kind : {"error: ", "warning: "}) {
        if (rest.compare(0, std::string(kind).size(), kind) == 0) {
            finding.error = kind[0] == 'e';
            rest = rest.substr(std::string(kind).size());
        }
    }
    finding.text = rest;
    return finding;
}

}  // namespace

std::vector<ShaderCheck::Finding> ShaderCheck::Check(const char* fileName) {
    std::vector<Finding> findings;
    ShaderSource source;
    std::vector<std::string> messages;
    if (!source.Load(fileName)) {
        messages = source.Errors();
    } else {
        std::string why;
        if (!Platform::MakeOffscreenGlCurrent(&why)) {
            findings.push_back(Finding{false, 0, "the shader was not compiled: " + why});
            return findings;
        }
        const uint32_t program = ShaderLayer::Compile(source, messages);
        if (program != 0) {
            GlShaderCalls::Get()->deleteProgram(program);
        }
    }
    for (const std::string& message : messages) {
        findings.push_back(Parsed(message, source.FileName()));
    }
    return findings;
}
