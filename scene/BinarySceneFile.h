// The engine's own binary scene file: the records of a scene, its materials,
// objects, cameras and lights one after another, each list behind its count.
// It loads without any text parsing and holds a scene as the ASE import and
// its creation steps left it (objects centred, adjacency counts filled).
//
// The file is the 32-bit little-endian image of the records, whatever their
// layout in memory: every record goes through its fixed byte layout on the
// way in and out, and the pointer words and padding of that layout are
// written as zeros and ignored when read.
//
// Files come from anywhere, so the reader trusts nothing: a count is checked
// against the bytes left in the file before anything is allocated, a file
// that ends early leaves the scene holding only what was read whole, and a
// name that fills its field is cut inside its buffer.
//
// The writer can gather textures: each map's file name becomes "texturas\"
// plus its last path component, the texture is copied there, and a report of
// the copies is written next to the scene file (escena.bin.TXT).
#ifndef HALVENOR_SCENE_BINARYSCENEFILE_H
#define HALVENOR_SCENE_BINARYSCENEFILE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class Camera;
class Light;
class Material;
class Scene;
class SceneObject;

class BinarySceneFile {
public:
    BinarySceneFile();
    ~BinarySceneFile();
    BinarySceneFile(const BinarySceneFile&) = delete;
    BinarySceneFile& operator=(const BinarySceneFile&) = delete;

    // Fills a new scene from the file. A file that cannot be opened is logged
    // and ends the process with status 1, as a missing ASE file does. Answers
    // false when the file ended early or announced more than it holds (logged
    // with the place); the scene then keeps what was read whole.
    bool Read(const char* fileName, Scene& scene);

    // Writes the scene. False, with a log line, when the report or the scene
    // file cannot be created or a write fails; a scene file that could not be
    // written whole is removed rather than left half written.
    bool Write(const char* fileName, const Scene& scene);

    void SetNormaliseTextures(bool flag) { normaliseTextures = flag ? 1 : 0; }
    // Textures the last Write could not copy while gathering.
    int TexturesNotCopied() const { return texturesNotCopied; }
    // One line per texture the last Write gathered over another of the same
    // name from elsewhere ("old -> new replaces other"): only one survives.
    const std::vector<std::string>& TextureClashes() const { return textureClashes; }

private:
    // Reading. Each step answers false once the file has failed, after which
    // nothing more is read.
    bool ReadBytes(void* buffer, size_t size, const char* what);
    bool ReadCount(uint32_t& count, size_t elementSize, const char* what);
    // The records of an array just created for them, read a block of
    // records at a time and each decoded into its slot.
    template <typename Element, typename Decode>
    bool ReadRecords(Element* elements, uint32_t count, size_t recordSize, const char* what, Decode decode);
    bool ReadHeader(Scene& scene);
    bool ReadMaterials(Scene& scene);
    bool ReadMaterial(Material& material);
    bool ReadObjects(Scene& scene);
    bool ReadObject(SceneObject& object);
    bool ReadCameras(Scene& scene);
    bool ReadCamera(Camera& camera);
    bool ReadLights(Scene& scene);
    bool ReadLight(Light& light);
    long BytesLeft() const { return fileSize - offset; }

    // Writing: every failure is remembered and reported once at the end.
    void WriteBytes(const void* buffer, size_t size);
    void WriteCount(uint32_t count);
    void WriteMaterials(const Scene& scene);
    void WriteMaps(const Material& material, uint32_t materialIndex, int mapCount);
    void NoteClash(const std::string& oldName, const std::string& newName);
    void WriteObjects(const Scene& scene);
    void WriteCameras(const Scene& scene);
    void WriteLights(const Scene& scene);

    FILE* file;
    uint8_t normaliseTextures;

    FILE* report;
    const char* fileName;
    long fileSize;
    long offset;
    bool failed;
    // Elements read whole, so that a file that ends early leaves only them.
    uint32_t materialsRead;
    uint32_t camerasRead;
    uint32_t lightsRead;
    int texturesNotCopied;
    // Sources already gathered by the current Write, by their new name.
    std::vector<std::pair<std::string, std::string>> gathered;
    std::vector<std::string> textureClashes;
    // The block the records of an array are read into.
    std::vector<uint8_t> block;
};

// Copies a file in blocks of 2048 bytes (modes "rb"/"wb" when binary, else
// "r"/"w"). Failures are logged; answers true when the destination holds the
// whole source. A source and destination that are the same file are left as
// they are (opening the destination for writing would empty the source), and
// so is the destination when the source cannot be opened.
bool CopyFile(const char* source, const char* destination, bool binary);

#endif
