// Pixel buffers and 2D layers in the registry, and the blur resources that
// the frame composer finds by name.
#include <cstdio>

#include "core/Display.h"
#include "core/Engine.h"
#include "core/Log.h"
#include "core/ShaderLayerLoader.h"
#include "fx2d/Layer2D.h"
#include "fx2d/PBuffer.h"
#include "glext/GlExtensions.h"
#include "scene/TextureMap.h"

namespace {

// Every pixel buffer of the show is RGBA with a depth buffer.
constexpr int kPixelBufferMode = PBuffer::kDepth;
constexpr float kBlurLayerAlpha = 0.5f;

}  // namespace

Layer2D* Engine::CreateLayer(const char* fileName, int layerType, const char* layerName) {
    return AddLayer(fileName, layerType, layerName, kMaxLayers - kBlurLayers);
}

PBuffer* Engine::CreatePixelBuffer(int width, int height, int modeFlags, const char* name) {
    // A picture that no texture can hold would be drawn for nothing (and a
    // mistyped size must not claim gigabytes): such a declaration is refused.
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (largest > Engine::kLongestPixelBufferSide) {
        largest = Engine::kLongestPixelBufferSide;
    }
    if (width <= 0 || height <= 0 || width > largest || height > largest) {
        Log::Format("-- PRECONFIG -- Pixelbuffer \"%s\" de %d x %d no valido (de 1 a %d): se ignora\n", name, width,
                    height, largest);
        return nullptr;
    }
    return AddPixelBuffer(width, height, modeFlags, name, kMaxPixelBuffers - kBlurPixelBuffers);
}

Layer2D* Engine::AddLayer(const char* fileName, int layerType, const char* layerName, int capacity) {
    if (layerCount >= capacity) {
        Log::Format("-- PRECONFIG -- Demasiados layers (maximo %d): se ignora \"%s\"\n", capacity, layerName);
        return nullptr;
    }
    Layer2D* layer = new Layer2D();
    layer->SetName(layerName);
    const uint32_t width = display != nullptr ? display->Width() : 0;
    const uint32_t height = display != nullptr ? display->Height() : 0;
    layer->SetUp(layerType, fileName, width, height);
    if (layerType == Layer2D::kShader) {
        ShaderLayerLoader::Attach(*this, *layer, fileName);
    }
    layers[layerCount] = layer;
    layerCount += 1;
    return layer;
}

PBuffer* Engine::AddPixelBuffer(int width, int height, int modeFlags, const char* name, int capacity) {
    if (pixelBufferCount >= capacity) {
        Log::Format("-- PRECONFIG -- Demasiados pixelbuffers (maximo %d): se ignora \"%s\"\n", capacity, name);
        return nullptr;
    }
    PBuffer* pbuffer = new PBuffer(width, height, modeFlags, name);
    pixelBuffers[pixelBufferCount] = pbuffer;
    pixelBufferCount += 1;
    // Sharing makes the window's textures and display lists usable inside.
    pbuffer->Create(true);
    return pbuffer;
}

int Engine::AssignLayerPixelBuffer(const char* layerName, const char* pixelBufferName) {
    Layer2D* layer = FindLayer(layerName);
    if (layer == nullptr) {
        return -1;
    }
    const PBuffer* pbuffer = FindPixelBuffer(pixelBufferName);
    if (pbuffer == nullptr) {
        return -1;
    }
    TextureMap map;
    map.loaded = 1;
    map.texture = pbuffer->Texture();
    layer->SetTexture(map);
    return 1;
}

void Engine::CreateBlurResources() {
    AddPixelBuffer(512, 512, kPixelBufferMode, "PB_BLUR", kMaxPixelBuffers);
    Layer2D* blur = AddLayer("-", Layer2D::kPixelBuffer, "LAYER_BLUR", kMaxLayers);
    AssignLayerPixelBuffer("LAYER_BLUR", "PB_BLUR");
    blur->blendMode = 0;
    blur->alpha = kBlurLayerAlpha;

    PBuffer* feedback = AddPixelBuffer(256, 256, kPixelBufferMode, "PB_BLUR2", kMaxPixelBuffers);
    Layer2D* trail = AddLayer("-", Layer2D::kPixelBuffer, "LAYER_BLUR2", kMaxLayers);
    AssignLayerPixelBuffer("LAYER_BLUR2", "PB_BLUR2");
    trail->blendMode = 0;
    trail->alpha = kBlurLayerAlpha;

    // The feedback trail starts black.
    feedback->MakeCurrent();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    feedback->CopyToTexture();
    feedback->MakeWindowCurrent();

    // Texture generation is state of each context.
    for (int i = 0; i < pixelBufferCount; ++i) {
        pixelBuffers[i]->MakeCurrent();
        PrepareSphereMaps();
        pixelBuffers[i]->MakeWindowCurrent();
    }
}
