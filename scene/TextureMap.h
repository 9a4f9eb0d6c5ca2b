// One texture map: the image file it names, the OpenGL texture made from it
// and how it is laid on a surface. Embedded twice in every material and once
// in every 2D layer.
#ifndef HALVENOR_SCENE_TEXTUREMAP_H
#define HALVENOR_SCENE_TEXTUREMAP_H

#include <cstdint>

struct TextureMap {
    static constexpr int kFileSize = 256;

    // Empty file name, no texture, both flags clear; tiling 1 and offsets 0
    // for maps whose file gives no UVW values.
    TextureMap()
        : file(), texture(0), loaded(0), sphereMap(0), uTiling(1.0f), vTiling(1.0f), uOffset(0.0f), vOffset(0.0f) {}

    // Loads file once: a recognised name (TGA or JPG anywhere in it, any case)
    // sets loaded whether or not the load succeeded. Answers texture.
    uint32_t Load();
    // Copies the name (cut to fit the buffer) and loads it.
    uint32_t SetFileAndLoad(const char* fileName);
    // Binds texture on the active unit when loaded is set.
    void Bind() const;

    char file[kFileSize];
    uint32_t texture;
    uint8_t loaded;
    uint8_t sphereMap;
    float uTiling;
    float vTiling;
    float uOffset;
    float vOffset;
};

#endif
