// Reads a scene from a 3ds Max ASCII export (ASE) into a new Scene.
//
// The reader is a token scanner, not a parser: it walks whitespace-separated
// tokens, reacts to a fixed set of keywords, reads each keyword's arguments the
// way scanf would read them with that keyword's format, and skips everything
// else. A first pass counts cameras, geometry objects and lights so that the
// scene's arrays are created at their final length; the second pass fills
// them, each block type with its own way of finding the end of its block.
// Positions arrive Z-up and are stored Y-up: (x, y, z) becomes (x, z, -y).
//
// The file is scanned a window of whole lines at a time (AseTextStream: UTF-16
// files are narrowed to 8-bit text, CR LF line ends become LF), so a large
// export never sits in memory whole.
#ifndef HALVENOR_SCENE_ASEREADER_H
#define HALVENOR_SCENE_ASEREADER_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "scene/AseTextStream.h"

class Camera;
class Light;
class Scene;
class SceneObject;
struct CameraKey;

class AseReader {
public:
    AseReader();
    AseReader(const AseReader&) = delete;
    AseReader& operator=(const AseReader&) = delete;

    // Fills the new scene from the file. A file that cannot be read is
    // logged and ends the process with status 1 (ExitProcess), and so does an
    // element line before its count line, after its box.
    void Read(const char* fileName, Scene& scene);
    // Bytes of the text (as AseTextStream gives it) read so far, while Read
    // runs or after it ended the process; 0 before the scan and after a
    // read that finished. The checker points what the reader says at its line.
    uint64_t TextOffset() const { return cursor != nullptr ? stream.Offset(cursor) : 0; }

private:
    // One whitespace-delimited word of the text.
    struct Token {
        const char* text;
        size_t length;
    };

    // Opens the file and makes the first pass: the size of the text and the
    // number of cameras, geometry objects and lights.
    bool LoadText(const char* fileName);
    void CountBlocks(const char* begin, const char* stop);
    void CreateArraysFromCounts();

    // Block readers, entered just after their keyword.
    void ReadSceneParams();
    void ReadMaterialList();
    // False when the end of the text came before the material was complete.
    bool ReadMaterial(uint32_t position);
    void ReadGeomObject();
    void ReadCamera();
    void ReadLight();

    // Per-line handlers of the geometry object reader.
    void ReadMeshVertex(SceneObject& object);
    void ReadMeshTexVertex(SceneObject& object);
    void ReadMeshFace(SceneObject& object);
    void ReadMeshTexFace(SceneObject& object);
    void ReadMeshFaceNormal(SceneObject& object);
    void StoreObject(SceneObject& object);
    void ReleaseBeforeFatalRead(SceneObject& object, bool arrayCreated);

    // Camera track helpers.
    void TakeCameraSample(Camera& camera, uint32_t sample, const CameraKey& staticKey, CameraKey& key) const;
    uint32_t TrackLength();

    // An element count from the file, kept within what the rest of the text
    // could possibly describe: each element is charged the bytes of the
    // smallest block or line of its kind.
    uint32_t BoundedCount(const char* keyword, int64_t count, size_t bytesPerElement);

    // Scanner: each read follows the matching scanf conversion ("%s", "%d",
    // "%f"); a read that does not match consumes nothing beyond the white
    // space before it and answers false.
    bool NextToken(Token& token);
    bool ReadInt(int32_t& value);
    bool ReadFloat(float& value);
    // The common case of ReadFloat, a short plain decimal; false (nothing
    // consumed) for anything else.
    bool ReadPlainDecimal(float& value);
    // Up to three numbers; answers how many matched (a stop at the first miss).
    int ReadFloats(float* values, int count);
    bool MatchChar(char c);
    void SkipSpace();
    // Quoted names: blanks and an opening quote, then the rest of the line
    // without its last two characters (the closing quote and the line end),
    // cut to capacity - 1 characters.
    void ReadQuotedName(char* buffer, size_t capacity);
    // fgets into a buffer of size + 1 characters, thrown away.
    void SkipLine(size_t size);
    void SkipTokens(int count);
    // Passes over the rest of the line when none of its tokens would mean
    // anything to the geometry object reader (no brace, none of its keywords).
    void SkipIgnoredRestOfLine();
    // Bytes of the whole text after the cursor.
    uint64_t BytesLeft() const { return textSize - (cursor != nullptr ? stream.Offset(cursor) : 0); }
    // Bytes of the window after the cursor.
    size_t WindowLeft() const { return static_cast<size_t>(end - cursor); }

    struct BlockCounts {
        uint32_t cameras;
        uint32_t objects;
        uint32_t lights;
    };

    AseTextStream stream;
    uint64_t textSize;
    BlockCounts counted;
    // The window being scanned.
    const char* cursor;
    const char* end;
    int32_t objectsRead;
    int32_t camerasRead;
    int32_t lightsRead;
    Scene* scene;
    // Track samples still allowed for this import, so that an absurd last
    // frame cannot make every camera and light allocate gigabytes.
    uint64_t trackSamplesLeft;
    // Every announced element stands for a line of at least its keyword's
    // length: all the arrays of one import together never announce more
    // lines than the text could hold, however many objects claim them.
    uint64_t elementBytesLeft;
};

#endif
