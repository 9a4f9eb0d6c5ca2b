// Image files to OpenGL texture objects. Every loader needs the window's
// rendering context current and leaves the new texture bound on the active
// texture unit (unit 0 after a sphere-mapped load). A result of 0 means no
// texture; callers carry on without one.
#ifndef HALVENOR_SCENE_TEXTURELOADER_H
#define HALVENOR_SCENE_TEXTURELOADER_H

#include <cstdint>
#include <memory>

// Which loader a file name asks for. The test is a substring test on the
// whole upper-cased path, TGA before JPG, so "wall.tga.jpg" is a TGA and
// "photo.jpeg" is nothing.
enum class TextureFileType { None, Tga, Jpeg };
TextureFileType TextureTypeOfName(const char* fileName);

// A decoded JPEG picture: rows of rowBytes (width x 3) bytes, RGB, first
// decoded row (the top of the picture) first, no padding.
struct DecodedImage {
    uint32_t rowBytes = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    std::unique_ptr<uint8_t[]> pixels;
};

// A TGA picture as read: bitsPerPixel / 8 bytes a pixel (R, G, B and A for
// 32 bits), rows in file order.
struct TgaImage {
    uint32_t bitsPerPixel = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    std::unique_ptr<uint8_t[]> pixels;
};

// The decoding halves of the two loaders, which need no OpenGL. Each keeps
// what a file makes it hold within the file's memory budget
// (FileMemoryBudget); false for a file that cannot be opened, is not a
// picture of the accepted kind, or would need more.
bool DecodeJpegFile(const char* fileName, DecodedImage& image);
bool ReadTgaFile(const char* fileName, TgaImage& image);

// Picks the loader by TextureTypeOfName and never asks for sphere mapping.
// 0 for an empty or unrecognised name or a failed load. The texture is shared
// with every other owner of the same file (TextureCache).
uint32_t LoadTexture(const char* fileName);

// A mipmapped RGB texture. Greyscale and CMYK files are turned into RGB.
// An unopenable or undecodable file is logged and answers 0.
uint32_t LoadJpegTexture(const char* fileName, bool sphereMap);

// An unmipmapped RGB (24-bit) or RGBA (32-bit) texture at the file's own
// size, rows in file order. Only uncompressed true-colour files with no image
// ID, no colour map and zero origins are accepted; anything else answers 0
// without a message.
uint32_t LoadTgaTexture(const char* fileName, bool sphereMap);

// Sphere mapping on both texture units for texture (the mode belongs to the
// unit, not the texture); leaves it bound on unit 0, unit 0 active.
void SetUpSphereMapping(uint32_t texture);

#endif
