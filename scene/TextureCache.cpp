#include "scene/TextureCache.h"

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

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

struct CacheEntry {
    uint32_t texture;
    std::string path;  // resolved
};

// Never destroyed. A fatal error after scenes were loaded ends the process
// through exit(), and the registry's destructor then releases the show,
// textures included; it runs among the static destructors, after those of
// every static made later than the registry, as this one is.
std::map<CacheKey, CacheEntry>& Entries() {
    static std::map<CacheKey, CacheEntry>& entries = *new std::map<CacheKey, CacheEntry>;
    return entries;
}

bool KeyOf(const char* fileName, TextureFileType type, bool sphereMap, CacheKey& key) {
    Platform::FileStamp stamp;
    if (!Platform::StampOf(Platform::ResolvePath(fileName), stamp)) {
        return false;
    }
    key = CacheKey{stamp.device,
                   stamp.inode,
                   stamp.size,
                   stamp.modifiedSeconds,
                   stamp.modifiedNanoseconds,
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
    std::map<CacheKey, CacheEntry>& entries = Entries();
    const auto found = entries.find(key);
    // A texture someone deleted behind the cache's back is made again.
    if (found != entries.end() && glIsTexture(found->second.texture) == GL_TRUE) {
        // What the loader would have left behind: the texture bound, and the
        // units' coordinate generation set for a sphere map.
        glBindTexture(GL_TEXTURE_2D, found->second.texture);
        if (sphereMap) {
            SetUpSphereMapping(found->second.texture);
        }
        return found->second.texture;
    }
    const uint32_t texture = LoadUncached(fileName, type, sphereMap);
    if (texture != 0) {
        entries[key] = CacheEntry{texture, Platform::ResolvePath(fileName)};
    }
    return texture;
}

uint32_t TextureCache::ReleaseAll() {
    std::map<CacheKey, CacheEntry>& entries = Entries();
    uint32_t released = 0;
    for (const auto& entry : entries) {
        const GLuint texture = entry.second.texture;
        glDeleteTextures(1, &texture);
        ++released;
    }
    entries.clear();
    return released;
}

namespace {

// Every level of source's picture, with its filters, into target: the
// owners of target keep their name and draw the new picture.
void CopyPicture(GLuint source, GLuint target) {
    glBindTexture(GL_TEXTURE_2D, source);
    GLint minFilter = 0;
    GLint magFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    struct Level {
        GLint width;
        GLint height;
        GLint format;
        std::vector<uint8_t> rgba;
    };
    std::vector<Level> levels;
    for (GLint level = 0;; ++level) {
        Level picture{0, 0, 0, {}};
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &picture.width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &picture.height);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_INTERNAL_FORMAT, &picture.format);
        if (picture.width <= 0 || picture.height <= 0) {
            break;
        }
        picture.rgba.resize(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height) * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, picture.rgba.data());
        levels.push_back(std::move(picture));
        if (level > 0 && levels.back().width == 1 && levels.back().height == 1) {
            break;
        }
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, target);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (size_t level = 0; level < levels.size(); ++level) {
        const Level& picture = levels[level];
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), picture.format, picture.width, picture.height, 0,
                     GL_RGBA, GL_UNSIGNED_BYTE, picture.rgba.data());
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
}

}  // namespace

uint32_t TextureCache::Reload(const char* fileName) {
    if (fileName == nullptr || fileName[0] == '\0') {
        return 0;
    }
    const std::string path = Platform::ResolvePath(fileName);
    std::map<CacheKey, CacheEntry>& entries = Entries();
    std::vector<std::pair<CacheKey, CacheEntry>> renewed;
    for (auto entry = entries.begin(); entry != entries.end();) {
        if (entry->second.path != path) {
            ++entry;
            continue;
        }
        const auto type = static_cast<TextureFileType>(entry->first.type);
        const bool sphereMap = entry->first.sphereMap;
        CacheKey key{};
        const uint32_t fresh = KeyOf(fileName, type, sphereMap, key) ? LoadUncached(fileName, type, sphereMap) : 0;
        if (fresh == 0) {
            ++entry;
            continue;
        }
        CopyPicture(fresh, entry->second.texture);
        const GLuint gone = fresh;
        glDeleteTextures(1, &gone);
        // Known under the file as it is now; a later request shares it.
        renewed.emplace_back(key, entry->second);
        entry = entries.erase(entry);
    }
    for (const auto& entry : renewed) {
        entries[entry.first] = entry.second;
    }
    return static_cast<uint32_t>(renewed.size());
}

uint32_t TextureCache::Release(const std::vector<uint32_t>& textures) {
    std::map<CacheKey, CacheEntry>& entries = Entries();
    uint32_t released = 0;
    for (auto entry = entries.begin(); entry != entries.end();) {
        if (std::find(textures.begin(), textures.end(), entry->second.texture) == textures.end()) {
            ++entry;
            continue;
        }
        const GLuint texture = entry->second.texture;
        glDeleteTextures(1, &texture);
        ++released;
        entry = entries.erase(entry);
    }
    return released;
}

void TextureCache::Forget() { Entries().clear(); }

uint32_t TextureCache::Count() { return static_cast<uint32_t>(Entries().size()); }
