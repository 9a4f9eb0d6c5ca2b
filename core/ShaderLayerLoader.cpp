#include "core/ShaderLayerLoader.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "config/PreconfigLine.h"
#include "core/Engine.h"
#include "core/Log.h"
#include "core/ShaderMusic.h"
#include "fx2d/Layer2D.h"
#include "fx2d/PBuffer.h"
#include "fx2d/ShaderLayer.h"
#include "glext/GlExtensions.h"
#include "platform/FileSystem.h"
#include "scene/TextureMap.h"

namespace {

const char* const kIndent = "             ";

// Both the log and stderr: the author must see it even without the log open.
void Report(const char* logLine, const char* stderrLine, const std::vector<std::string>& details) {
    Log::Write(logLine);
    std::fputs(stderrLine, stderr);
    for (const std::string& detail : details) {
        Log::Format("%s%s\n", kIndent, detail.c_str());
        std::fprintf(stderr, "%s\n", detail.c_str());
    }
}

void ReportShaderErrors(const Layer2D& layer, const ShaderLayer& shader) {
    const std::string logLine = "]> ** ERROR ** El shader [ " + shader.FileName() + " ] no se puede usar: el layer \"" +
                                layer.Name() + "\" no se dibuja. **\n";
    const std::string stderrLine = "halvenor: el shader [ " + shader.FileName() + " ] no se puede usar: el layer \"" +
                                   std::string(layer.Name()) + "\" no se dibuja\n";
    Report(logLine.c_str(), stderrLine.c_str(), shader.Errors());
}

void ChannelError(const Layer2D& layer, int n, const std::string& why) {
    const std::string text = "canal " + std::to_string(n) + " del layer \"" + layer.Name() + "\": " + why;
    Report(("]> ** ERROR ** " + text + ". **\n").c_str(), ("halvenor: " + text + "\n").c_str(), {});
}

// The shows' shader layers share one answerer of their inputs.
std::shared_ptr<ShaderInputs> SharedInputs(Engine& engine) {
    for (int i = 0; i < engine.layerCount; ++i) {
        if (engine.layers[i] != nullptr && engine.layers[i]->shader != nullptr) {
            return engine.layers[i]->shader->Inputs();
        }
    }
    return std::make_shared<ShaderMusic>(engine);
}

void TextureSize(uint32_t texture, int& width, int& height) {
    GLint kept = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &kept);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(kept));
}

bool IsRegularFile(const char* name) {
    FILE* file = Platform::OpenFile(name, "rb");
    if (file == nullptr) {
        return false;
    }
    std::fclose(file);
    return true;
}

void SetImageChannel(Layer2D& layer, int n, const char* fileName) {
    if (!IsRegularFile(fileName)) {
        ChannelError(layer, n, std::string("no se encuentra la imagen [ ") + fileName + " ], el canal queda negro");
        return;
    }
    TextureMap map;
    const uint32_t texture = map.SetFileAndLoad(fileName);
    if (texture == 0) {
        ChannelError(layer, n,
                     std::string("la imagen [ ") + fileName + " ] no es un JPEG o TGA que se pueda leer, el canal queda negro");
        return;
    }
    int width = 0;
    int height = 0;
    TextureSize(texture, width, height);
    layer.shader->SetChannel(n, ShaderLayer::Channel::Image, texture, width, height);
    Log::Format("%s-- Canal %d: imagen [ %s ] de %d x %d\n", kIndent, n, fileName, width, height);
}

}  // namespace

void ShaderLayerLoader::Attach(Engine& engine, Layer2D& layer, const char* fileName) {
    layer.shader = std::make_shared<ShaderLayer>(SharedInputs(engine));
    if (layer.shader->Load(fileName)) {
        Log::Format("-- PRECONFIG -- Shader [ %s ] compilado para el layer \"%s\"\n", fileName, layer.Name());
    } else {
        ReportShaderErrors(layer, *layer.shader);
    }
}

bool ShaderLayerLoader::Reload(Layer2D& layer) {
    if (layer.shader == nullptr) {
        return false;
    }
    if (layer.shader->Reload()) {
        Log::Format("-> Shader [ %s ] compilado de nuevo\n", layer.shader->FileName().c_str());
        return true;
    }
    ReportShaderErrors(layer, *layer.shader);
    return false;
}

void ShaderLayerLoader::ReloadNamed(Engine& engine, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (Layer2D* layer = engine.FindLayer(name.c_str())) {
            Reload(*layer);
        }
    }
    // Uniforms the new text declares get their tracks.
    engine.BindTracks();
}

void ShaderLayerLoader::SetChannel(Engine& engine, Layer2D& layer, const char* number, const char* source,
                                   const char* argument) {
    char* end = nullptr;
    const long n = std::strtol(number, &end, 10);
    if (layer.shader == nullptr) {
        Log::Format("%s-- El layer \"%s\" no es de tipo SHADER: CHANNEL no cambia nada\n", kIndent, layer.Name());
        return;
    }
    if (end == number || *end != '\0' || n < 0 || n >= ShaderLayer::kChannels) {
        const std::string text = std::string("el layer \"") + layer.Name() + "\" tiene " +
                                 std::to_string(ShaderLayer::kChannels) + " canales (0 a 3): no hay canal " + number;
        Report(("]> ** ERROR ** " + text + ". **\n").c_str(), ("halvenor: " + text + "\n").c_str(), {});
        return;
    }
    const int channel = static_cast<int>(n);
    if (EqualsIgnoringCase(source, "MUSIC")) {
        layer.shader->SetChannel(channel, ShaderLayer::Channel::Music);
        Log::Format("%s-- Canal %d: la musica (512 x 2)\n", kIndent, channel);
    } else if (EqualsIgnoringCase(source, "PREVIOUS")) {
        layer.shader->SetChannel(channel, ShaderLayer::Channel::Previous);
        Log::Format("%s-- Canal %d: la imagen anterior del layer\n", kIndent, channel);
    } else if (EqualsIgnoringCase(source, "PBUFFER")) {
        const PBuffer* pbuffer = engine.FindPixelBuffer(argument);
        if (pbuffer == nullptr) {
            ChannelError(layer, channel, std::string("no existe el pixelbuffer \"") + argument + "\"");
            return;
        }
        layer.shader->SetChannel(channel, ShaderLayer::Channel::PixelBuffer, pbuffer->Texture(), pbuffer->Width(),
                                 pbuffer->Height());
        Log::Format("%s-- Canal %d: el pixelbuffer \"%s\"\n", kIndent, channel, argument);
    } else {
        SetImageChannel(layer, channel, source);
    }
}
