#include "scene/TextureMap.h"

#include <cstring>

#include "glext/GlExtensions.h"
#include "scene/TextureCache.h"
#include "scene/TextureLoader.h"

uint32_t TextureMap::Load() {
    // The buffer may come from a file that filled it to the brim.
    char name[kFileSize];
    std::memcpy(name, file, kFileSize);
    name[kFileSize - 1] = '\0';
    if (name[0] == '\0') {
        return 0;
    }
    if (loaded != 0) {
        return texture;
    }
    const TextureFileType type = TextureTypeOfName(name);
    if (type == TextureFileType::None) {
        return 0;
    }
    // The TGA loader is never asked for sphere mapping. Maps naming the same
    // file share its texture.
    texture = TextureCache::Load(name, type, type == TextureFileType::Jpeg && sphereMap != 0);
    // Set even when the load failed: a failure is reported once, not per use.
    loaded = 1;
    return texture;
}

uint32_t TextureMap::SetFileAndLoad(const char* fileName) {
    const char* const name = fileName != nullptr ? fileName : "";
    std::strncpy(file, name, kFileSize - 1);
    file[kFileSize - 1] = '\0';
    return Load();
}

void TextureMap::Bind() const {
    if (loaded != 0) {
        glBindTexture(GL_TEXTURE_2D, texture);
    }
}
