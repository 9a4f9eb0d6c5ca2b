#include "scene/SceneFileRecords.h"

#include <cstring>

namespace SceneFileRecords {

namespace {

// Builds one record front to back; bytes not written stay zero.
class Packer {
public:
    Packer(uint8_t* out, size_t size) : bytes(out), at(0) { std::memset(out, 0, size); }
    void Int(int32_t value) {
        EncodeInt(value, bytes + at);
        at += 4;
    }
    void Floats(const float* values, int count) {
        EncodeFloats(values, count, bytes + at);
        at += static_cast<size_t>(count) * 4;
    }
    void Float(float value) { Floats(&value, 1); }
    void Byte(uint8_t value) { bytes[at++] = value; }
    // The text up to its terminator or the field's last byte, whichever comes
    // first; the rest of the field stays zero, so a name always ends inside it.
    void Name(const char* text, size_t fieldSize) {
        for (size_t i = 0; i + 1 < fieldSize && text[i] != '\0'; ++i) {
            bytes[at + i] = static_cast<uint8_t>(text[i]);
        }
        at += fieldSize;
    }
    void Skip(size_t count) { at += count; }

private:
    uint8_t* bytes;
    size_t at;
};

// Reads one record front to back.
class Unpacker {
public:
    explicit Unpacker(const uint8_t* in) : bytes(in), at(0) {}
    int32_t Int() {
        const int32_t value = DecodeInt(bytes + at);
        at += 4;
        return value;
    }
    void Floats(float* values, int count) {
        DecodeFloats(bytes + at, count, values);
        at += static_cast<size_t>(count) * 4;
    }
    float Float() {
        float value = 0.0f;
        Floats(&value, 1);
        return value;
    }
    uint8_t Byte() { return bytes[at++]; }
    // A field without a terminator is cut at the buffer's last character.
    void Name(char* buffer, size_t bufferSize, size_t fieldSize) {
        const size_t copied = fieldSize < bufferSize - 1 ? fieldSize : bufferSize - 1;
        std::memcpy(buffer, bytes + at, copied);
        std::memset(buffer + copied, 0, bufferSize - copied);
        at += fieldSize;
    }
    void Skip(size_t count) { at += count; }

private:
    const uint8_t* bytes;
    size_t at;
};

}  // namespace

void EncodeInt(int32_t value, uint8_t* out) {
    const uint32_t bits = static_cast<uint32_t>(value);
    out[0] = static_cast<uint8_t>(bits);
    out[1] = static_cast<uint8_t>(bits >> 8);
    out[2] = static_cast<uint8_t>(bits >> 16);
    out[3] = static_cast<uint8_t>(bits >> 24);
}

int32_t DecodeInt(const uint8_t* in) {
    const uint32_t bits = uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
    return static_cast<int32_t>(bits);
}

void EncodeFloats(const float* values, int count, uint8_t* out) {
    for (int i = 0; i < count; ++i) {
        int32_t bits = 0;
        std::memcpy(&bits, &values[i], 4);
        EncodeInt(bits, out + 4 * i);
    }
}

void DecodeFloats(const uint8_t* in, int count, float* values) {
    for (int i = 0; i < count; ++i) {
        const int32_t bits = DecodeInt(in + 4 * i);
        std::memcpy(&values[i], &bits, 4);
    }
}

void EncodeHeader(const SceneParams& params, uint8_t* out) {
    Packer p(out, kHeaderSize);
    p.Name(params.name, SceneParams::kNameSize);
    p.Int(params.lastFrame);
    p.Int(params.frameSpeed);
    p.Int(params.ticksPerFrame);
    p.Floats(params.background, 3);
    p.Floats(params.ambient, 3);
    p.Floats(params.fogColor, 4);
    p.Float(params.fogDensity);
    p.Float(params.fogEnd);
    p.Float(params.fogStart);
    p.Byte(params.fogEnabled);
}

SceneParams DecodeHeader(const uint8_t* in) {
    SceneParams params = DefaultSceneParams();
    Unpacker u(in);
    u.Name(params.name, SceneParams::kNameSize, SceneParams::kNameSize);
    params.lastFrame = u.Int();
    params.frameSpeed = u.Int();
    params.ticksPerFrame = u.Int();
    u.Floats(params.background, 3);
    u.Floats(params.ambient, 3);
    u.Floats(params.fogColor, 4);
    params.fogDensity = u.Float();
    params.fogEnd = u.Float();
    params.fogStart = u.Float();
    params.fogEnabled = u.Byte();
    return params;
}

void EncodeMaterialProps(const MaterialProps& props, uint8_t* out) {
    Packer p(out, kMaterialSize);
    p.Name(props.name, MaterialProps::kNameSize);
    p.Int(props.index);
    p.Floats(props.ambient, 4);
    p.Floats(props.diffuse, 4);
    p.Floats(props.specular, 4);
    p.Floats(props.emission, 3);
    p.Byte(props.twoSided);
    p.Skip(3);
    p.Int(props.mapCount);
    p.Float(props.shininess);
    p.Int(props.blendMode);
}

MaterialProps DecodeMaterialProps(const uint8_t* in) {
    MaterialProps props{};
    Unpacker u(in);
    u.Name(props.name, MaterialProps::kNameSize, MaterialProps::kNameSize);
    props.index = u.Int();
    u.Floats(props.ambient, 4);
    u.Floats(props.diffuse, 4);
    u.Floats(props.specular, 4);
    u.Floats(props.emission, 3);
    props.twoSided = u.Byte();
    u.Skip(3);
    props.mapCount = u.Int();
    props.shininess = u.Float();
    props.blendMode = u.Int();
    return props;
}

void EncodeMap(const TextureMap& map, const char* fileName, uint8_t* out) {
    Packer p(out, kMapSize);
    p.Name(fileName, kMapNameSize);
    p.Byte(map.sphereMap);
    p.Float(map.uTiling);
    p.Float(map.vTiling);
    p.Float(map.uOffset);
    p.Float(map.vOffset);
}

TextureMap DecodeMap(const uint8_t* in) {
    TextureMap map;
    Unpacker u(in);
    u.Name(map.file, TextureMap::kFileSize, kMapNameSize);
    map.sphereMap = u.Byte();
    map.uTiling = u.Float();
    map.vTiling = u.Float();
    map.uOffset = u.Float();
    map.vOffset = u.Float();
    return map;
}

void EncodeVertex(const Vertex& vertex, uint8_t* out) {
    Packer p(out, kVertexSize);
    p.Floats(vertex.position, 3);
    p.Floats(vertex.reserved, 4);
    p.Floats(vertex.normal, 3);
    p.Int(vertex.adjacentCount);
    p.Int(vertex.adjacentFilled);
}

Vertex DecodeVertex(const uint8_t* in) {
    Vertex vertex = DefaultVertex();
    Unpacker u(in);
    u.Floats(vertex.position, 3);
    u.Floats(vertex.reserved, 4);
    u.Floats(vertex.normal, 3);
    vertex.adjacentCount = u.Int();
    vertex.adjacentFilled = u.Int();
    vertex.adjacentNormals = nullptr;
    return vertex;
}

void EncodeFace(const Face& face, uint8_t* out) {
    Packer p(out, kFaceSize);
    p.Int(face.a);
    p.Int(face.b);
    p.Int(face.c);
    p.Skip(12);
    p.Floats(face.normal, 3);
}

Face DecodeFace(const uint8_t* in) {
    Face face{};
    Unpacker u(in);
    face.a = u.Int();
    face.b = u.Int();
    face.c = u.Int();
    u.Skip(12);
    u.Floats(face.normal, 3);
    return face;
}

void EncodeTexVertex(const TexVertex& texVertex, uint8_t* out) {
    Packer p(out, kTexVertexSize);
    p.Float(texVertex.u);
    p.Float(texVertex.v);
    p.Float(texVertex.s);
    p.Float(texVertex.t);
}

TexVertex DecodeTexVertex(const uint8_t* in) {
    Unpacker u(in);
    TexVertex texVertex{};
    texVertex.u = u.Float();
    texVertex.v = u.Float();
    texVertex.s = u.Float();
    texVertex.t = u.Float();
    return texVertex;
}

void EncodeTexFace(const TexFace& texFace, uint8_t* out) {
    Packer p(out, kTexFaceSize);
    p.Int(texFace.a);
    p.Int(texFace.b);
    p.Int(texFace.c);
}

TexFace DecodeTexFace(const uint8_t* in) {
    TexFace texFace{};
    Unpacker u(in);
    texFace.a = u.Int();
    texFace.b = u.Int();
    texFace.c = u.Int();
    return texFace;
}

void EncodeCameraKey(const CameraKey& key, uint8_t* out) {
    Packer p(out, kCameraKeySize);
    p.Floats(key.eye, 3);
    p.Floats(key.target, 3);
    p.Float(key.fov);
    p.Byte(key.filled);
}

CameraKey DecodeCameraKey(const uint8_t* in) {
    CameraKey key{};
    Unpacker u(in);
    u.Floats(key.eye, 3);
    u.Floats(key.target, 3);
    key.fov = u.Float();
    key.filled = u.Byte();
    return key;
}

void EncodeLightKey(const LightKey& key, uint8_t* out) {
    Packer p(out, kLightKeySize);
    p.Int(key.number);
    p.Floats(key.colour, 4);
    p.Floats(key.position, 4);
}

LightKey DecodeLightKey(const uint8_t* in) {
    LightKey key{};
    Unpacker u(in);
    key.number = u.Int();
    u.Floats(key.colour, 4);
    u.Floats(key.position, 4);
    return key;
}

}  // namespace SceneFileRecords
