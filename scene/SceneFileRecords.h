// The byte layouts of the records of a binary scene file: 32-bit
// little-endian integers and IEEE single floats, one-byte flags, fixed name
// fields, as 32-bit machines laid the records out in memory. Encoding writes
// every byte of the layout (pointer words and padding as zeros, name fields
// zero-filled after their terminator); decoding ignores pointer words and
// padding and always leaves a name terminated inside its buffer.
#ifndef HALVENOR_SCENE_SCENEFILERECORDS_H
#define HALVENOR_SCENE_SCENEFILERECORDS_H

#include <cstddef>
#include <cstdint>

#include "scene/CameraKey.h"
#include "scene/Face.h"
#include "scene/LightKey.h"
#include "scene/MaterialProps.h"
#include "scene/SceneParams.h"
#include "scene/TexFace.h"
#include "scene/TexVertex.h"
#include "scene/TextureMap.h"
#include "scene/Vertex.h"

namespace SceneFileRecords {

constexpr size_t kHeaderSize = 324;
constexpr size_t kMaterialSize = 160;
constexpr size_t kMapSize = 272;
constexpr size_t kMapNameSize = 255;
constexpr size_t kVertexSize = 52;
constexpr size_t kFaceSize = 36;
constexpr size_t kTexVertexSize = 16;
constexpr size_t kTexFaceSize = 24;
constexpr size_t kCameraKeySize = 32;
constexpr size_t kLightKeySize = 36;
constexpr size_t kCountSize = 4;
constexpr size_t kPositionSize = 12;

void EncodeHeader(const SceneParams& params, uint8_t* out);
SceneParams DecodeHeader(const uint8_t* in);

void EncodeMaterialProps(const MaterialProps& props, uint8_t* out);
MaterialProps DecodeMaterialProps(const uint8_t* in);

// The map record under the given file name (the writer may store another
// name than the map's own).
void EncodeMap(const TextureMap& map, const char* fileName, uint8_t* out);
// A default map with the record's name, flag, tiling and offsets.
TextureMap DecodeMap(const uint8_t* in);

void EncodeVertex(const Vertex& vertex, uint8_t* out);
// The adjacency list is never taken from a file: it comes back null.
Vertex DecodeVertex(const uint8_t* in);

void EncodeFace(const Face& face, uint8_t* out);
// Indices and normal; the vertex pointers are the caller's to set.
Face DecodeFace(const uint8_t* in);

void EncodeTexVertex(const TexVertex& texVertex, uint8_t* out);
TexVertex DecodeTexVertex(const uint8_t* in);

void EncodeTexFace(const TexFace& texFace, uint8_t* out);
TexFace DecodeTexFace(const uint8_t* in);

void EncodeCameraKey(const CameraKey& key, uint8_t* out);
CameraKey DecodeCameraKey(const uint8_t* in);

void EncodeLightKey(const LightKey& key, uint8_t* out);
LightKey DecodeLightKey(const uint8_t* in);

void EncodeInt(int32_t value, uint8_t* out);
int32_t DecodeInt(const uint8_t* in);
void EncodeFloats(const float* values, int count, uint8_t* out);
void DecodeFloats(const uint8_t* in, int count, float* values);

}  // namespace SceneFileRecords

#endif
