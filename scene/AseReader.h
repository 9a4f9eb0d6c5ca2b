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
// This class makes the two passes and reads the scene header; each other
// block has a reader of its own (AseMaterialReader, AseObjectReader,
// AseCameraLightReader), all over one AseScanner and one AseImportBudget.
// The file is scanned a window of whole lines at a time (AseTextStream: UTF-16
// files are narrowed to 8-bit text, CR LF line ends become LF), so a large
// export never sits in memory whole.
#ifndef HALVENOR_SCENE_ASEREADER_H
#define HALVENOR_SCENE_ASEREADER_H

#include <cstddef>
#include <cstdint>

#include "scene/AseImportBudget.h"
#include "scene/AseScanner.h"

class Scene;

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
    uint64_t TextOffset() const { return scanner.Offset(); }

private:
    // Opens the file and makes the first pass: the size of the text and the
    // number of cameras, geometry objects and lights.
    bool LoadText(const char* fileName);
    void CountBlocks(const char* begin, const char* stop);
    void CreateArraysFromCounts(Scene& scene);
    // The scene header, entered just after its keyword.
    void ReadSceneParams(Scene& scene);

    struct BlockCounts {
        uint32_t cameras;
        uint32_t objects;
        uint32_t lights;
    };

    AseScanner scanner;
    AseImportBudget budget;
    BlockCounts counted;
};

#endif
