// One OpenGL texture per picture file and loader setting, shared by every
// material, layer, flare and particle system that names the file. Exporters
// write one material per object, so a scene of fifty objects naming one large
// picture would otherwise decode, mipmap and upload it fifty times.
//
// Entries are keyed by the file the name resolves to (device, inode, size and
// modification time, so that two spellings of one file share and a file
// rewritten in place loads anew), the loader and the sphere-map setting.
// Every owner keeps its own texture name; the cache owns the texture objects
// and deletes each once, at shutdown. Each entry remembers the path it was
// read from, so that a changed file can be loaded again into the textures
// its owners hold. Failed loads are not remembered: each
// owner reports its own failure as before.
#ifndef HALVENOR_SCENE_TEXTURECACHE_H
#define HALVENOR_SCENE_TEXTURECACHE_H

#include <cstdint>
#include <vector>

// Declared in TextureLoader.h.
enum class TextureFileType;

class TextureCache {
public:
    // The texture for the file as the loader of type makes it (sphereMap only
    // matters to the JPEG loader), loaded on the first request. Like the
    // loaders, leaves it bound on the active unit and sets up sphere mapping
    // when asked. 0 when there is no texture.
    static uint32_t Load(const char* fileName, TextureFileType type, bool sphereMap);

    // The file changed on disk: every texture made from it (each loader and
    // sphere-map setting) takes the new picture under the name it has, so
    // that every owner draws the new picture without loading anything else.
    // Answers how many textures changed: 0 when none was made from the file
    // or the new picture does not load (the old ones stay then).
    static uint32_t Reload(const char* fileName);

    // Deletes every texture the cache made, each once, with the context that
    // made them current (or none, when it is gone already). Answers how many.
    static uint32_t ReleaseAll();

    // Deletes the named textures the cache made, each once, and forgets
    // them: a later request for their files loads them afresh. Textures of
    // others (the console's) stay. Answers how many went.
    static uint32_t Release(const std::vector<uint32_t>& textures);

    // Drops every entry without deleting anything: the context that held the
    // textures is gone (a new window was opened).
    static void Forget();

    // Textures held now.
    static uint32_t Count();
};

#endif
