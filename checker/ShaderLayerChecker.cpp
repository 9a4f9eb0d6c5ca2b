#include "checker/ShaderLayerChecker.h"

#include <cstdlib>

#include "checker/ArgumentChecker.h"
#include "checker/CheckedShow.h"
#include "checker/FileChecker.h"
#include "checker/FindingText.h"
#include "checker/ShowPath.h"
#include "config/PreconfigKeywords.h"
#include "config/PreconfigLine.h"
#include "fx2d/Layer2D.h"
#include "fx2d/ShaderCheck.h"
#include "fx2d/ShaderLayer.h"

namespace {

using Kind = ShowResources::Kind;

// The detail a shader layer is registered with starts with its type word.
const char* const kShaderDetail = "SHADER ";

}  // namespace

bool ShaderLayerChecker::IsShaderLayer(const PreconfigLine& words) {
    return EqualsIgnoringCase(words.Kind(), "LAYER2D") &&
           PreconfigKeywords::LayerTypeCode(words.Arg(2)) == Layer2D::kShader;
}

bool ShaderLayerChecker::IsChannel(const PreconfigLine& words) {
    return EqualsIgnoringCase(words.Kind(), "LAYER2D") && EqualsIgnoringCase(words.Arg(2), "CHANNEL");
}

bool ShaderLayerChecker::IsShaderLayerName(const std::string& name) const {
    const int index = show.resources.Find(Kind::Layer, name);
    return index >= 0 && show.resources.layers[index].detail.rfind(kShaderDetail, 0) == 0;
}

void ShaderLayerChecker::TakeLoad(const std::string& file, int line, const PreconfigLine& words) {
    const std::string shader = words.Arg(1);
    show.files.Add(ShowFile::Kind::Shader, shader, words.Arg(3));
    if (!FileChecker::Exists(show.findings, file, line, shader, "shader")) {
        return;
    }
    const std::string shown = ShowPath::OnDisk(shader);
    for (const ShaderCheck::Finding& finding : ShaderCheck::Check(shader.c_str())) {
        const std::string consequence = finding.error ? " (the layer is not drawn)" : "";
        show.findings.Add(finding.error, shown, finding.line, finding.text + consequence);
    }
}

void ShaderLayerChecker::CheckChannel(const std::string& file, int line, const PreconfigLine& words) {
    const std::string layer = words.Arg(1);
    if (!ArgumentChecker(show).Check(file, line, PreconfigArg::Layer, words.Arg(1), "")) {
        return;
    }
    if (!IsShaderLayerName(layer)) {
        show.findings.Add(false, file, line, "layer " + FindingText::Quoted(layer) +
                                                 " is not a SHADER layer: CHANNEL changes nothing");
        return;
    }
    const char* number = words.Arg(3);
    char* end = nullptr;
    const long channel = std::strtol(number, &end, 10);
    if (end == number || *end != '\0' || channel < 0 || channel >= ShaderLayer::kChannels) {
        show.findings.Add(true, file, line, "a shader layer has 4 channels, 0 to 3: " + FindingText::Quoted(number) +
                                                " is none of them and the line changes nothing");
        return;
    }
    const std::string source = words.Arg(4);
    if (source.empty()) {
        show.findings.Add(true, file, line, "too few words: write SET LAYER2D name CHANNEL channel "
                                            "image-file|MUSIC|PREVIOUS|PBUFFER buffer");
    } else if (EqualsIgnoringCase(source.c_str(), "PBUFFER")) {
        if (*words.Arg(5) == '\0') {
            show.findings.Add(true, file, line, "CHANNEL " + std::string(number) +
                                                    " PBUFFER names no pixel buffer: the channel stays black");
        } else {
            ArgumentChecker(show).Check(file, line, PreconfigArg::PixelBuffer, words.Arg(5), "");
        }
    } else if (!EqualsIgnoringCase(source.c_str(), "MUSIC") && !EqualsIgnoringCase(source.c_str(), "PREVIOUS")) {
        show.files.Add(ShowFile::Kind::Texture, source, layer);
        ArgumentChecker(show).Check(file, line, PreconfigArg::Image, source.c_str(), "channel image");
    }
}
