// Binary scene files written byte by byte from the record layouts, for
// reading tests: little-endian fields, names with junk after their
// terminator, and a small hand-built scene.
#ifndef HALVENOR_TESTS_SCENE_BINARYSCENEBYTES_H
#define HALVENOR_TESTS_SCENE_BINARYSCENEBYTES_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>

namespace TestSupport {

// Little-endian bytes as the record layouts have them.
class Bytes {
public:
    Bytes& Int(int32_t value) {
        for (int i = 0; i < 4; ++i) {
            data += static_cast<char>(static_cast<uint32_t>(value) >> (8 * i) & 0xFF);
        }
        return *this;
    }
    Bytes& Float(float value) {
        int32_t bits = 0;
        std::memcpy(&bits, &value, 4);
        return Int(bits);
    }
    Bytes& Floats(std::initializer_list<float> values) {
        for (const float v : values) {
            Float(v);
        }
        return *this;
    }
    Bytes& Byte(uint8_t value) {
        data += static_cast<char>(value);
        return *this;
    }
    // Words and padding the reader must not interpret.
    Bytes& Junk(size_t count) {
        data.append(count, '\xA5');
        return *this;
    }
    // The text, its terminator, then junk up to the field's size.
    Bytes& Name(const std::string& text, size_t field) {
        data += text;
        if (text.size() < field) {
            data += '\0';
            Junk(field - text.size() - 1);
        }
        return *this;
    }
    std::string data;
};

inline Bytes& Header(Bytes& b, int32_t lastFrame = 9) {
    b.Name("Otra", 256).Int(lastFrame).Int(25).Int(160);
    b.Floats({0.2f, 0.4f, 0.6f}).Floats({0.1f, 0.1f, 0.1f}).Floats({0.0f, 0.0f, 0.0f, 0.0f});
    return b.Floats({0.0f, 0.0f, 0.0f}).Byte(0).Junk(3);
}

inline Bytes& MaterialRecord(Bytes& b, const std::string& name, int32_t index, float opacity, float red,
                             float blue, int32_t mapCount, int32_t blendMode = 0) {
    b.Name(name, 80).Int(index);
    b.Floats({1.0f, 1.0f, 1.0f, opacity}).Floats({0.5f, 0.5f, 0.5f, opacity}).Floats({0.9f, 0.9f, 0.9f, opacity});
    b.Floats({red, 0.0f, blue}).Byte(0).Junk(3).Int(mapCount).Float(0.25f).Int(blendMode);
    return b;
}

inline Bytes& MapRecord(Bytes& b, const std::string& name, uint8_t sphere = 1) {
    return b.Name(name, 255).Byte(sphere).Floats({2.0f, 3.0f, 0.5f, 0.25f});
}

inline Bytes& VertexRecord(Bytes& b, float x, float y, float z, int32_t adjacent) {
    b.Floats({x, y, z}).Floats({0.0f, 0.0f, 0.0f, 1.0f}).Floats({0.0f, 0.0f, 1.0f});
    return b.Int(adjacent).Int(77).Junk(4);
}

inline Bytes& FaceRecord(Bytes& b, int32_t a, int32_t c1, int32_t c2) {
    return b.Int(a).Int(c1).Int(c2).Junk(12).Floats({0.0f, 0.0f, 1.0f});
}

// A quad of half size 20 facing +z: vertices 0 and 2 are on both faces.
inline Bytes& QuadObject(Bytes& b, float x, int32_t material) {
    b.Floats({x, 0.0f, 0.0f}).Int(4);
    VertexRecord(b, -20.0f, -20.0f, 0.0f, 2);
    VertexRecord(b, 20.0f, -20.0f, 0.0f, 1);
    VertexRecord(b, 20.0f, 20.0f, 0.0f, 2);
    VertexRecord(b, -20.0f, 20.0f, 0.0f, 1);
    b.Int(2);
    FaceRecord(b, 0, 1, 2);
    FaceRecord(b, 0, 2, 3);
    b.Int(4).Floats({0, 0, 9, 9}).Floats({1, 0, 9, 9}).Floats({1, 1, 9, 9}).Floats({0, 1, 9, 9});
    b.Int(2).Int(0).Int(1).Int(2).Junk(12).Int(0).Int(2).Int(3).Junk(12);
    return b.Int(material);
}

inline Bytes& CameraKeyRecord(Bytes& b, float z, float fov) {
    return b.Floats({0.0f, 0.0f, z}).Floats({0.0f, 0.0f, 0.0f}).Float(fov).Byte(1).Junk(3);
}

inline Bytes& LightKeyRecord(Bytes& b, int32_t number, float z) {
    return b.Int(number).Floats({0.0f, 0.0f, 0.0f, 1.0f}).Floats({0.0f, 0.0f, z, 1.0f});
}

// Materials red (opaque, no maps) and blue (translucent, one map); a
// translucent quad far to the right stored first, then the red quad at the
// origin; one camera with a track of two samples; one black light.
inline std::string HandBuiltScene() {
    Bytes b;
    Header(b).Int(2);
    MaterialRecord(b, "Rojo", 0, 1.0f, 1.0f, 0.0f, 0);
    MaterialRecord(b, "Cristal", 1, 0.5f, 0.0f, 1.0f, 1, 6);
    MapRecord(b, "texturas\\nada.jpg");
    b.Int(2);
    QuadObject(b, 1000.0f, 1);
    QuadObject(b, 0.0f, 0);
    b.Int(1);
    CameraKeyRecord(b, 100.0f, 45.0f).Int(2);
    CameraKeyRecord(b, 100.0f, 45.0f);
    CameraKeyRecord(b, 90.0f, 45.0f);
    b.Int(1);
    LightKeyRecord(b, 0, 1000.0f).Byte(0).Int(1);
    LightKeyRecord(b, 0, 900.0f);
    return b.data;
}

// The size of the hand-built file up to the end of its material list.
constexpr size_t kMaterialsEnd = 324 + 4 + 160 + 160 + 272;

}  // namespace TestSupport

#endif
