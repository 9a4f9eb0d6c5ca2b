#include "scene/TextureCache.h"

#include <sys/stat.h>

#include <map>
#include <tuple>

#include "glext/GlExtensions.h"
#include "platform/FileSystem.h"
#include "scene/TextureLoader.h"

namespace {

struct CacheKey {
    uint64_t device;
    uint64_t inode;
    int64_t size;
    int64_t modifiedSeconds;
    int64_t modifiedNanoseconds;
    int type;
    bool sphereMap;

    bool operator<(const CacheKey& other) const {
        return std::tie(device, inode, size, modifiedSeconds, modifiedNanoseconds, type, sphereMap) <
               std::tie(other.device, other.inode, other.size, other.modifiedSeconds, other.modifiedNanoseconds,
                        other.type, other.sphereMap);
    }
};

std::map<CacheKey, uint32_t>& Entries() {
    static std::map<CacheKey, uint32_t> entries;
    return entries;
}

bool KeyOf(const char* fileName, TextureFileType type, bool sphereMap, CacheKey& key) {
    struct stat info {};
    if (stat(Platform::ResolvePath(fileName).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    key = CacheKey{static_cast<uint64_t>(info.st_dev),
                   static_cast<uint64_t>(info.st_ino),
                   static_cast<int64_t>(info.st_size),
                   static_cast<int64_t>(info.st_mtim.tv_sec),
                   static_cast<int64_t>(info.st_mtim.tv_nsec),
                   static_cast<int>(type),
                   sphereMap};
    return true;
}

uint32_t LoadUncached(const char* fileName, TextureFileType type, bool sphereMap) {
    switch (type) {
        case TextureFileType::Tga:
            return LoadTgaTexture(fileName, sphereMap);
        case TextureFileType::Jpeg:
            return LoadJpegTexture(fileName, sphereMap);
        case TextureFileType::None:
            break;
    }
    return 0;
}

}  // namespace

uint32_t TextureCache::Load(const char* fileName, TextureFileType type, bool sphereMap) {
    if (fileName == nullptr || fileName[0] == '\0' || type == TextureFileType::None) {
        return 0;
    }
    CacheKey key{};
    if (!KeyOf(fileName, type, sphereMap, key)) {
        // Nothing to share: the loader reports the missing file itself.
        return LoadUncached(fileName, type, sphereMap);
    }
    std::map<CacheKey, uint32_t>& entries = Entries();
    const auto found = entries.find(key);
    // A texture someone deleted behind the cache's back is made again.
    if (found != entries.end() && glIsTexture(found->second) == GL_TRUE) {
        // What the loader would have left behind: the texture bound, and the
        // units' coordinate generation set for a sphere map.
        glBindTexture(GL_TEXTURE_2D, found->second);
        if (sphereMap) {
            SetUpSphereMapping(found->second);
        }
        return found->second;
    }
    const uint32_t texture = LoadUncached(fileName, type, sphereMap);
    if (texture != 0) {
        entries[key] = texture;
    }
    return texture;
}

uint32_t TextureCache::ReleaseAll() {
    std::map<CacheKey, uint32_t>& entries = Entries();
    uint32_t released = 0;
    for (const auto& entry : entries) {
        const GLuint texture = entry.second;
        glDeleteTextures(1, &texture);
        ++released;
    }
    entries.clear();
    return released;
}

void TextureCache::Forget() { Entries().clear(); }

uint32_t TextureCache::Count() { return static_cast<uint32_t>(Entries().size()); }
