// Binary scene files: a file laid out byte by byte from the record layouts,
// write-and-read round trips, texture gathering and its report, and broken
// files (cut short, absurd counts, odd map counts, unterminated names).
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/Display.h"
#include "core/Engine.h"
#include "glext/GlExtensions.h"
#include "scene/AseReader.h"
#include "scene/BinarySceneFile.h"
#include "scene/Scene.h"
#include "tests/support/GlTestContext.h"
#include "tests/support/TestDisplay.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestBoxes.h"

namespace {

// Files may grow only to a few bytes while it lives, as on a disk that is
// full: a write past that fails (EFBIG) instead of raising SIGXFSZ.
class FullDisk {
public:
    explicit FullDisk(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &kept);
        keptHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit tiny = kept;
        tiny.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &tiny);
    }
    ~FullDisk() {
        setrlimit(RLIMIT_FSIZE, &kept);
        std::signal(SIGXFSZ, keptHandler);
    }

private:
    rlimit kept{};
    void (*keptHandler)(int) = nullptr;
};

using TestSupport::GlTestContext;
using TestSupport::TakeBoxes;

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

Bytes& Header(Bytes& b, int32_t lastFrame = 9) {
    b.Name("Otra", 256).Int(lastFrame).Int(25).Int(160);
    b.Floats({0.2f, 0.4f, 0.6f}).Floats({0.1f, 0.1f, 0.1f}).Floats({0.0f, 0.0f, 0.0f, 0.0f});
    return b.Floats({0.0f, 0.0f, 0.0f}).Byte(0).Junk(3);
}

Bytes& MaterialRecord(Bytes& b, const std::string& name, int32_t index, float opacity, float red, float blue,
                      int32_t mapCount, int32_t blendMode = 0) {
    b.Name(name, 80).Int(index);
    b.Floats({1.0f, 1.0f, 1.0f, opacity}).Floats({0.5f, 0.5f, 0.5f, opacity}).Floats({0.9f, 0.9f, 0.9f, opacity});
    b.Floats({red, 0.0f, blue}).Byte(0).Junk(3).Int(mapCount).Float(0.25f).Int(blendMode);
    return b;
}

Bytes& MapRecord(Bytes& b, const std::string& name, uint8_t sphere = 1) {
    return b.Name(name, 255).Byte(sphere).Floats({2.0f, 3.0f, 0.5f, 0.25f});
}

Bytes& VertexRecord(Bytes& b, float x, float y, float z, int32_t adjacent) {
    b.Floats({x, y, z}).Floats({0.0f, 0.0f, 0.0f, 1.0f}).Floats({0.0f, 0.0f, 1.0f});
    return b.Int(adjacent).Int(77).Junk(4);
}

Bytes& FaceRecord(Bytes& b, int32_t a, int32_t c1, int32_t c2) {
    return b.Int(a).Int(c1).Int(c2).Junk(12).Floats({0.0f, 0.0f, 1.0f});
}

// A quad of half size 20 facing +z: vertices 0 and 2 are on both faces.
Bytes& QuadObject(Bytes& b, float x, int32_t material) {
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

Bytes& CameraKeyRecord(Bytes& b, float z, float fov) {
    return b.Floats({0.0f, 0.0f, z}).Floats({0.0f, 0.0f, 0.0f}).Float(fov).Byte(1).Junk(3);
}

Bytes& LightKeyRecord(Bytes& b, int32_t number, float z) {
    return b.Int(number).Floats({0.0f, 0.0f, 0.0f, 1.0f}).Floats({0.0f, 0.0f, z, 1.0f});
}

// Materials red (opaque, no maps) and blue (translucent, one map); a
// translucent quad far to the right stored first, then the red quad at the
// origin; one camera with a track of two samples; one black light.
std::string HandBuiltScene() {
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

std::string RealExport() {
    std::ifstream in(std::string(HALVENOR_SOURCE_DIR) + "/tests/scene/data/realistic.ase", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// An object as text: what a file stores and what a write does not keep
// (name, rotation, deformation).
std::string DescribeObject(const SceneObject& o) {
    std::ostringstream out;
    out.precision(9);
    out << "object '" << o.name << "' " << o.materialRef << ' ' << o.position[0] << ',' << o.position[1] << ','
        << o.position[2] << " rot " << o.rotationSpeed << ' ' << o.rotationAngle << " deform " << o.deformFlags
        << '\n';
    for (uint32_t v = 0; v < o.VertexCount(); ++v) {
        const Vertex& x = o.vertices[v];
        out << " v" << x.position[0] << ',' << x.position[1] << ',' << x.position[2] << ',' << x.reserved[3] << ','
            << x.normal[2] << ',' << x.adjacentCount;
    }
    for (uint32_t f = 0; f < o.FaceCount(); ++f) {
        const Face& face = o.faces[f];
        out << " f" << face.a << ',' << face.b << ',' << face.c << ',' << face.normal[1] << ','
            << (face.va - o.vertices) << ',' << (face.vb - o.vertices) << ',' << (face.vc - o.vertices);
    }
    for (uint32_t t = 0; t < o.TexVertexCount(); ++t) {
        out << " t" << o.texVertices[t].u << ',' << o.texVertices[t].v << ',' << o.texVertices[t].s;
    }
    for (uint32_t f = 0; f < o.TexFaceCount(); ++f) {
        const TexFace& face = o.texFaces[f];
        out << " g" << face.a << ',' << face.b << ',' << face.c << ',' << (face.ta - o.texVertices) << ','
            << (face.tc - o.texVertices);
    }
    return out.str() + '\n';
}

// The rest of a scene as text, objects apart.
std::string Describe(const Scene& scene) {
    std::ostringstream out;
    out.precision(9);
    const SceneParams p = scene.GetParams();
    out << "params " << p.lastFrame << ' ' << p.frameSpeed << ' ' << p.ticksPerFrame << ' ' << p.background[2]
        << ' ' << p.ambient[1] << ' ' << int(p.fogEnabled) << '\n';
    out << "materials " << int(scene.materialsCreated) << ' ' << scene.MaterialCount() << '\n';
    for (uint32_t i = 0; i < scene.MaterialCount(); ++i) {
        const MaterialProps& m = scene.materials[i].props;
        out << m.name << ' ' << m.index << ' ' << m.mapCount << ' ' << m.ambient[3] << ' ' << m.emission[0] << ' '
            << int(m.twoSided) << ' ' << m.shininess << ' ' << m.blendMode;
        for (int j = 0; j < m.mapCount && j < 2; ++j) {
            const TextureMap& map = scene.materials[i].maps[j];
            out << " [" << map.file << ' ' << int(map.sphereMap) << ' ' << map.uTiling << ' ' << map.vTiling << ' '
                << map.uOffset << ' ' << map.vOffset << ']';
        }
        out << '\n';
    }
    out << "objects " << int(scene.objectsCreated) << ' ' << scene.ObjectCount() << '\n';
    for (uint32_t i = 0; i < scene.CameraCount(); ++i) {
        const Camera& c = scene.cameras[i];
        out << "camera " << c.SampleCount() << ' ' << c.roll << ' ' << c.key.eye[0] << ' ' << c.key.target[2] << ' '
            << c.key.fov;
        for (uint32_t s = 0; s < c.SampleCount(); ++s) {
            out << " (" << c.track[s].eye[0] << ',' << c.track[s].eye[1] << ',' << c.track[s].eye[2] << ')';
        }
        out << '\n';
    }
    for (uint32_t i = 0; i < scene.LightCount(); ++i) {
        const Light& l = scene.lights[i];
        out << "light " << l.key.number << ' ' << int(l.flare) << ' ' << l.key.colour[0] << ' ' << l.SampleCount();
        for (uint32_t s = 0; s < l.SampleCount(); ++s) {
            out << " (" << l.track[s].position[0] << ',' << l.track[s].position[2] << ')';
        }
        out << '\n';
    }
    return out.str();
}

class BinarySceneFileTest : public ::testing::Test {
protected:
    void SetUp() override { Platform::ClearMessageBoxes(); }

    // Reads the bytes as a file with a fresh log; answers the reader's result.
    bool Load(const std::string& bytes, Scene& scene, const std::string& name = "escena.bin") {
        dir.Write(name, bytes);
        std::remove("error_log.txt");
        BinarySceneFile reader;
        return reader.Read(name.c_str(), scene);
    }

    std::string LogText() const { return dir.Read("error_log.txt"); }

    TestSupport::TempDir dir;
};

TEST_F(BinarySceneFileTest, AFileLaidOutFromTheTablesReadsIntoTheExpectedArrays) {
    Scene scene;
    EXPECT_TRUE(Load(HandBuiltScene(), scene));
    EXPECT_TRUE(TakeBoxes().empty());
    const SceneParams params = scene.GetParams();
    EXPECT_STREQ(params.name, "Otra");
    EXPECT_EQ(params.lastFrame, 9);
    EXPECT_EQ(params.frameSpeed, 25);
    EXPECT_EQ(params.ticksPerFrame, 160);
    EXPECT_FLOAT_EQ(params.background[1], 0.4f);
    EXPECT_EQ(params.fogEnabled, 0);

    ASSERT_EQ(scene.MaterialCount(), 2u);
    const Material& red = scene.materials[0];
    EXPECT_STREQ(red.props.name, "Rojo");
    EXPECT_EQ(red.props.mapCount, 0);
    EXPECT_FLOAT_EQ(red.props.emission[0], 1.0f);
    EXPECT_FLOAT_EQ(red.props.shininess, 0.25f);
    const Material& glass = scene.materials[1];
    EXPECT_EQ(glass.props.index, 1);
    EXPECT_FLOAT_EQ(glass.props.ambient[3], 0.5f);
    EXPECT_EQ(glass.props.blendMode, 6);
    ASSERT_EQ(glass.props.mapCount, 1);
    EXPECT_STREQ(glass.maps[0].file, "texturas\\nada.jpg");
    EXPECT_EQ(glass.maps[0].sphereMap, 1);
    EXPECT_EQ(glass.maps[0].loaded, 0);
    EXPECT_EQ(glass.maps[0].texture, 0u);
    EXPECT_FLOAT_EQ(glass.maps[0].vTiling, 3.0f);
    EXPECT_FLOAT_EQ(glass.maps[0].vOffset, 0.25f);

    // The translucent quad was stored first but goes behind the opaque one.
    ASSERT_EQ(scene.ObjectCount(), 2u);
    const SceneObject& quad = scene.objects[0];
    EXPECT_EQ(quad.materialRef, 0);
    EXPECT_EQ(scene.objects[1].materialRef, 1);
    EXPECT_FLOAT_EQ(scene.objects[1].position[0], 1000.0f);
    ASSERT_EQ(quad.VertexCount(), 4u);
    EXPECT_FLOAT_EQ(quad.vertices[2].position[1], 20.0f);
    EXPECT_FLOAT_EQ(quad.vertices[2].reserved[3], 1.0f);
    EXPECT_EQ(quad.vertices[2].adjacentCount, 2);
    EXPECT_EQ(quad.vertices[2].adjacentNormals, nullptr);
    ASSERT_EQ(quad.FaceCount(), 2u);
    EXPECT_EQ(quad.faces[1].c, 3);
    EXPECT_EQ(quad.faces[1].vb, &quad.vertices[2]);
    EXPECT_EQ(quad.faces[1].vc, &quad.vertices[3]);
    EXPECT_FLOAT_EQ(quad.faces[1].normal[2], 1.0f);
    ASSERT_EQ(quad.TexVertexCount(), 4u);
    EXPECT_FLOAT_EQ(quad.texVertices[2].v, 1.0f);
    EXPECT_FLOAT_EQ(quad.texVertices[2].s, 9.0f);
    ASSERT_EQ(quad.TexFaceCount(), 2u);
    EXPECT_EQ(quad.texFaces[1].tb, &quad.texVertices[2]);

    ASSERT_EQ(scene.CameraCount(), 1u);
    EXPECT_FLOAT_EQ(scene.cameras[0].key.eye[2], 100.0f);
    EXPECT_FLOAT_EQ(scene.cameras[0].key.fov, 45.0f);
    EXPECT_EQ(scene.cameras[0].key.filled, 1);
    ASSERT_EQ(scene.cameras[0].SampleCount(), 2u);
    EXPECT_FLOAT_EQ(scene.cameras[0].track[1].eye[2], 90.0f);
    ASSERT_EQ(scene.LightCount(), 1u);
    EXPECT_EQ(scene.lights[0].flare, 0);
    ASSERT_EQ(scene.lights[0].SampleCount(), 1u);
    EXPECT_FLOAT_EQ(scene.lights[0].track[0].position[2], 900.0f);

    EXPECT_EQ(LogText(),
              "[BIN IMP/EXP v0.9b] - Abriendo fichero BINARIO [ escena.bin ] para lectura.\n"
              "[BIN IMP/EXP v0.9b] - Cargando 2 materiales.\n"
              "[BIN IMP/EXP v0.9b] - Cargando 2 objetos.\n"
              "[BIN IMP/EXP v0.9b] - Cargando 1 camaras.\n"
              "[BIN IMP/EXP v0.9b] - Cargando 1 luces.\n");
    scene.Release();
}

TEST_F(BinarySceneFileTest, ALoadedHandBuiltSceneDraws) {
    Display display;
    ASSERT_TRUE(TestSupport::OpenWithRunningState(display, 64, 64));
    const GLfloat none[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
    dir.Write("escena.bin", HandBuiltScene());
    Engine engine;
    engine.display = &display;
    EXPECT_EQ(engine.LoadSceneBin("escena.bin", "Sala"), 1);
    Scene& scene = *engine.FindScene("sala");
    EXPECT_STREQ(scene.Name(), "Sala");
    // Positions come from the file: nothing is centred again.
    EXPECT_FLOAT_EQ(scene.objects[1].position[0], 1000.0f);
    EXPECT_EQ(scene.objects[0].vertices[0].adjacentFilled, 2);
    EXPECT_EQ(scene.objects[0].material, &scene.materials[0]);
    EXPECT_EQ(scene.objects[0].hasRestVertices, 1);

    scene.Draw();
    EXPECT_TRUE(TestSupport::NearColour(GlTestContext::ReadPixel(32, 32), 255, 0, 0));
    EXPECT_TRUE(TestSupport::NearColour(GlTestContext::ReadPixel(1, 1), 51, 102, 153));
    EXPECT_TRUE(TakeBoxes().empty());
    engine.display = nullptr;
}

// Files exported before sparse camera tracks were filled on import hold
// samples never given (all zeros): read back, they hold the last given one.
TEST_F(BinarySceneFileTest, CameraSamplesNeverGivenHoldTheLastGivenOne) {
    Scene scene;
    scene.InitMaterials(0);
    scene.InitCameras(1);
    scene.InitLights(0);
    Camera camera;
    CameraKey given{};
    given.eye[0] = 5.0f;
    given.target[2] = -3.0f;
    given.fov = 45.0f;
    given.filled = 1;
    camera.SetKey(given);
    camera.CreateTrack(4);
    camera.SetSample(0, given);
    scene.SetCamera(0, camera);
    BinarySceneFile writer;
    ASSERT_TRUE(writer.Write("viejo.bin", scene));
    Scene read;
    ASSERT_TRUE(Load(dir.Read("viejo.bin"), read, "copia.bin"));
    ASSERT_EQ(read.cameras[0].SampleCount(), 4u);
    EXPECT_FLOAT_EQ(read.cameras[0].track[3].eye[0], 5.0f);
    EXPECT_FLOAT_EQ(read.cameras[0].track[3].target[2], -3.0f);
    EXPECT_FLOAT_EQ(read.cameras[0].track[3].fov, 45.0f);
    scene.Release();
    read.Release();
}

TEST_F(BinarySceneFileTest, WriteThenReadGivesTheSameArraysWithTranslucentObjectsReversed) {
    // A second translucent object, so that their order shows.
    std::string text = RealExport();
    const size_t glass = text.find("*GEOMOBJECT {\n\t*NODE_NAME \"Cristal01\"");
    ASSERT_NE(glass, std::string::npos);
    const size_t end = text.find("*GEOMOBJECT", glass + 1);
    std::string copy = text.substr(glass, end - glass);
    copy.replace(copy.find("Cristal01"), 9, "Cristal02");
    text += copy;
    dir.Write("sala.ase", text);
    Scene written;
    AseReader reader;
    reader.Read("sala.ase", written);
    for (uint32_t i = 0; i < written.objectCount; ++i) {
        written.objects[i].Centre();
    }
    written.LinkMaterials();
    for (uint32_t i = 0; i < written.objectCount; ++i) {
        written.objects[i].Prepare(false);
    }
    ASSERT_EQ(written.ObjectCount(), 5u);
    ASSERT_EQ(written.frontCount, 3);
    ASSERT_GE(written.CameraCount(), 1u);
    // What a file does not keep: roll, object names, rotation, deformation.
    written.cameras[0].roll = 15.0f;
    for (uint32_t i = 0; i < written.objectCount; ++i) {
        ASSERT_NE(written.objects[i].name[0], '\0');
        written.objects[i].rotationSpeed = 2.0f;
        written.objects[i].deformFlags = 1;
    }
    BinarySceneFile writer;
    ASSERT_TRUE(writer.Write("sala.bin", written));

    Scene read;
    ASSERT_TRUE(Load(dir.Read("sala.bin"), read, "sala.bin"));
    EXPECT_TRUE(TakeBoxes().empty());
    written.cameras[0].roll = 0.0f;
    EXPECT_EQ(Describe(read), Describe(written));
    ASSERT_EQ(read.ObjectCount(), 5u);
    for (uint32_t i = 0; i < 5; ++i) {
        SceneObject& o = written.objects[i];
        o.name[0] = '\0';
        o.rotationSpeed = 0.0f;
        o.deformFlags = 0;
        // Opaque objects keep their order; the two translucent ones swap.
        const uint32_t from = i < 3 ? i : 7 - i;
        EXPECT_EQ(DescribeObject(read.objects[from]), DescribeObject(o)) << "object " << i;
    }
    written.Release();
    read.Release();
}

TEST_F(BinarySceneFileTest, ASceneWithoutObjectsAndAMaterialWithoutMaps) {
    Scene empty;
    empty.InitMaterials(1);
    Material material;
    std::memset(material.props.name, 'x', sizeof material.props.name);
    std::memcpy(material.props.name, "Solo", 5);
    material.props.mapCount = 0;
    std::snprintf(material.maps[0].file, sizeof material.maps[0].file, "%s", "ignorada.jpg");
    empty.SetMaterial(0, material);
    BinarySceneFile writer;
    ASSERT_TRUE(writer.Write("vacia.bin", empty));
    // Header, material count and record, then the three counts, all 0.
    const std::string bytes = dir.Read("vacia.bin");
    ASSERT_EQ(bytes.size(), 324u + 4 + 160 + 4 + 4 + 4);
    EXPECT_EQ(bytes.substr(324 + 4 + 160), std::string(12, '\0'));
    // Padding is written as zeros, and so is a name field after its text.
    EXPECT_EQ(bytes.substr(321, 3), std::string(3, '\0'));
    EXPECT_EQ(bytes.substr(324 + 4 + 145, 3), std::string(3, '\0'));
    EXPECT_EQ(bytes.substr(324 + 4 + 4, 76), std::string(76, '\0'));

    Scene read;
    EXPECT_TRUE(Load(bytes, read));
    EXPECT_EQ(read.objectsCreated, 0);
    EXPECT_EQ(read.ObjectCount(), 0u);
    EXPECT_EQ(read.materialsCreated, 1);
    EXPECT_STREQ(read.materials[0].props.name, "Solo");
    EXPECT_EQ(read.camerasCreated, 1);
    EXPECT_EQ(read.lightsCreated, 1);
    EXPECT_EQ(read.CameraCount() + read.LightCount(), 0u);
    empty.Release();
    read.Release();
}

// ---------------------------------------------------------------------------
// Texture gathering

class GatheringTest : public BinarySceneFileTest {
protected:
    // One material with the given map names.
    static void AddMaterial(Scene& scene, uint32_t index, const char* first, const char* second = nullptr) {
        Material material;
        material.props.mapCount = second != nullptr ? 2 : 1;
        std::snprintf(material.maps[0].file, sizeof material.maps[0].file, "%s", first);
        if (second != nullptr) {
            std::snprintf(material.maps[1].file, sizeof material.maps[1].file, "%s", second);
        }
        scene.SetMaterial(index, material);
    }
};

TEST_F(GatheringTest, NamesBecomeTexturasPlusTheirBaseNameAndTheTexturesAreCopied) {
    dir.Write("D:/scenes/tex/wall.jpg", "wall texels");
    dir.Write("suelo.tga", "floor texels");
    dir.Write("texturas/ya.jpg", "in place");
    Scene scene;
    scene.InitMaterials(2);
    AddMaterial(scene, 0, "D:\\scenes\\tex\\wall.jpg", "suelo.tga");
    AddMaterial(scene, 1, "texturas\\ya.jpg");
    BinarySceneFile writer;
    writer.SetNormaliseTextures(true);
    std::remove("error_log.txt");
    ASSERT_TRUE(writer.Write("escena.bin", scene));
    EXPECT_EQ(writer.TexturesNotCopied(), 0);

    EXPECT_EQ(dir.Read("escena.bin.TXT"),
              "Copiando D:\\scenes\\tex\\wall.jpg -> texturas\\wall.jpg ...OK\n"
              "Copiando suelo.tga -> texturas\\suelo.tga ...OK\n"
              "Copiando texturas\\ya.jpg -> texturas\\ya.jpg ...OK\n");
    EXPECT_EQ(dir.Read("texturas/wall.jpg"), "wall texels");
    EXPECT_EQ(dir.Read("texturas/suelo.tga"), "floor texels");
    // A texture already where it belongs is not emptied by copying it onto itself.
    EXPECT_EQ(dir.Read("texturas/ya.jpg"), "in place");
    // The scene in memory keeps its names; the file has the new ones.
    EXPECT_STREQ(scene.materials[0].maps[0].file, "D:\\scenes\\tex\\wall.jpg");
    Scene read;
    ASSERT_TRUE(Load(dir.Read("escena.bin"), read, "copia.bin"));
    EXPECT_STREQ(read.materials[0].maps[0].file, "texturas\\wall.jpg");
    EXPECT_STREQ(read.materials[0].maps[1].file, "texturas\\suelo.tga");
    EXPECT_STREQ(read.materials[1].maps[0].file, "texturas\\ya.jpg");
    scene.Release();
    read.Release();
}

TEST_F(GatheringTest, AMissingTextureIsLoggedLeavesAnEmptyFileAndTheReportStillSaysOk) {
    dir.Write("texturas/.keep", "");
    Scene scene;
    scene.InitMaterials(1);
    AddMaterial(scene, 0, "C:\\maps\\falta.jpg");
    BinarySceneFile writer;
    writer.SetNormaliseTextures(true);
    std::remove("error_log.txt");
    EXPECT_TRUE(writer.Write("escena.bin", scene));
    EXPECT_EQ(writer.TexturesNotCopied(), 1);
    EXPECT_EQ(dir.Read("escena.bin.TXT"), "Copiando C:\\maps\\falta.jpg -> texturas\\falta.jpg ...OK\n");
    EXPECT_TRUE(dir.Exists("texturas/falta.jpg"));
    EXPECT_EQ(dir.Read("texturas/falta.jpg"), "");
    const std::string log = LogText();
    EXPECT_NE(log.find("[BIN IMP/EXP v0.9b] - [NORMALIZANDO] - Copiando [C:\\maps\\falta.jpg] -> "
                       "[texturas\\falta.jpg]\n[ERROR] (normalizando...) Fichero origen no se pudo abrir.\n"),
              std::string::npos)
        << log;
    scene.Release();
}

// Re-exporting on a machine without the modeller's folders once emptied the
// textures the first export had gathered.
TEST_F(GatheringTest, AGatheredTextureSurvivesASecondExportWhoseSourceIsMissing) {
    dir.Write("D:/scenes/tex/wall.jpg", "wall texels");
    dir.Write("texturas/.keep", "");
    Scene scene;
    scene.InitMaterials(1);
    AddMaterial(scene, 0, "D:\\scenes\\tex\\wall.jpg");
    BinarySceneFile first;
    first.SetNormaliseTextures(true);
    ASSERT_TRUE(first.Write("escena.bin", scene));
    std::remove(dir.File("D:/scenes/tex/wall.jpg").c_str());
    std::remove("error_log.txt");
    BinarySceneFile second;
    second.SetNormaliseTextures(true);
    EXPECT_TRUE(second.Write("escena.bin", scene));
    EXPECT_EQ(second.TexturesNotCopied(), 1);
    EXPECT_EQ(dir.Read("texturas/wall.jpg"), "wall texels");
    EXPECT_EQ(dir.Read("escena.bin.TXT"), "Copiando D:\\scenes\\tex\\wall.jpg -> texturas\\wall.jpg ...OK\n");
    EXPECT_NE(LogText().find("[ERROR] (normalizando...) Fichero origen no se pudo abrir."), std::string::npos);
    scene.Release();
}

// A scene exported on Linux names its maps with slashes; two maps of one base
// name from different folders end on one file, and the author is told.
TEST_F(GatheringTest, SlashesSeparateFoldersAndMapsOfOneNameFromTwoFoldersAreReported) {
    dir.Write("home/me/tex/wall.jpg", "linux wall");
    dir.Write("otra/wall.jpg", "other wall");
    dir.Write("texturas/.keep", "");
    Scene scene;
    scene.InitMaterials(2);
    AddMaterial(scene, 0, "home/me/tex/wall.jpg", "home/me/tex/wall.jpg");
    AddMaterial(scene, 1, "otra\\wall.jpg");
    BinarySceneFile writer;
    writer.SetNormaliseTextures(true);
    std::remove("error_log.txt");
    ASSERT_TRUE(writer.Write("escena.bin", scene));
    EXPECT_EQ(writer.TexturesNotCopied(), 0);
    ASSERT_EQ(writer.TextureClashes().size(), 1u);
    EXPECT_EQ(writer.TextureClashes()[0], "otra\\wall.jpg -> texturas\\wall.jpg replaces home/me/tex/wall.jpg");
    EXPECT_EQ(dir.Read("escena.bin.TXT"),
              "Copiando home/me/tex/wall.jpg -> texturas\\wall.jpg ...OK\n"
              "Copiando home/me/tex/wall.jpg -> texturas\\wall.jpg ...OK\n"
              "Copiando otra\\wall.jpg -> texturas\\wall.jpg ...OK\n"
              "AVISO: home/me/tex/wall.jpg y otra\\wall.jpg se copian los dos a texturas\\wall.jpg: el segundo "
              "sustituye al primero\n");
    EXPECT_NE(LogText().find("** AVISO ** [home/me/tex/wall.jpg] y [otra\\wall.jpg] se copian los dos a "
                             "[texturas\\wall.jpg]"),
              std::string::npos)
        << LogText();
    EXPECT_EQ(dir.Read("texturas/wall.jpg"), "other wall");
    Scene read;
    ASSERT_TRUE(Load(dir.Read("escena.bin"), read, "copia.bin"));
    EXPECT_STREQ(read.materials[0].maps[0].file, "texturas\\wall.jpg");
    scene.Release();
    read.Release();
}

// Names come from scene files: a device would be copied for ever and a FIFO
// would block, at either end of the copy.
TEST_F(GatheringTest, OnlyRegularFilesAreCopied) {
    dir.Write("tubo.jpg", "texels");
    dir.Write("texturas/.keep", "");
    ASSERT_EQ(mkfifo(dir.File("texturas/tubo.jpg").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(dir.File("humo.tga").c_str(), 0600), 0);
    Scene scene;
    scene.InitMaterials(2);
    AddMaterial(scene, 0, "/dev/zero", "tubo.jpg");
    AddMaterial(scene, 1, "humo.tga");
    BinarySceneFile writer;
    writer.SetNormaliseTextures(true);
    EXPECT_TRUE(writer.Write("escena.bin", scene));
    EXPECT_EQ(writer.TexturesNotCopied(), 3);
    // As for a missing texture, the copy is left empty.
    EXPECT_EQ(dir.Read("texturas/zero"), "");
    EXPECT_NE(LogText().find("[ERROR] (normalizando...) Fichero destino no se pudo abrir."), std::string::npos);
    scene.Release();
}

TEST_F(GatheringTest, FailuresToCreateOrWriteAreReportedAndNeverReadAsSuccess) {
    Scene scene;
    scene.InitMaterials(1);
    AddMaterial(scene, 0, "a.jpg");
    BinarySceneFile writer;
    std::remove("error_log.txt");
    EXPECT_FALSE(writer.Write("no/existe/escena.bin", scene));
    EXPECT_NE(LogText().find("** ERROR ** No se puede crear el fichero [ no/existe/escena.bin ]"),
              std::string::npos);

    writer.SetNormaliseTextures(true);
    EXPECT_FALSE(writer.Write("no/existe/escena.bin", scene));
    EXPECT_NE(LogText().find("No se puede crear el informe [ no/existe/escena.bin.TXT ]"), std::string::npos);

    // A full disk: every write may seem to pass until the stream is flushed.
    // A scene file that could not be written whole is not left behind.
    // The disk fills between the log's lines and the scene's size, so the
    // log can still say so.
    writer.SetNormaliseTextures(false);
    Scene large;
    large.InitMaterials(100);
    std::remove("error_log.txt");
    ASSERT_TRUE(writer.Write("sonda.bin", large));
    const size_t logBytes = LogText().size();
    const size_t sceneBytes = dir.Read("sonda.bin").size();
    ASSERT_GT(sceneBytes, logBytes + 1024);
    dir.Write("b.jpg", std::string(sceneBytes, 'x'));
    std::remove("error_log.txt");
    {
        FullDisk full(logBytes + 512);
        EXPECT_FALSE(writer.Write("lleno.bin", large));
        // A copy onto a full disk is counted as not copied.
        EXPECT_FALSE(CopyFile("b.jpg", "lleno.jpg", true));
    }
    large.Release();
    EXPECT_NE(LogText().find("No se pudo escribir entero el fichero [ lleno.bin ]"), std::string::npos);
    EXPECT_FALSE(dir.Exists("lleno.bin"));
    EXPECT_TRUE(CopyFile("b.jpg", "c.jpg", true));
    EXPECT_EQ(dir.Read("c.jpg"), dir.Read("b.jpg"));
    scene.Release();
}

// ---------------------------------------------------------------------------
// Broken files

TEST_F(BinarySceneFileTest, FilesCutShortKeepWhatWasReadWhole) {
    const std::string whole = HandBuiltScene();
    for (size_t size = 0; size < whole.size(); size += 5) {
        SCOPED_TRACE(size);
        Scene scene;
        EXPECT_FALSE(Load(whole.substr(0, size), scene));
        EXPECT_TRUE(TakeBoxes().empty());
        EXPECT_NE(LogText().find("** ERROR **"), std::string::npos);
        // Every element left is whole: creation steps and drawing find
        // complete arrays.
        EXPECT_LE(scene.MaterialCount(), 2u);
        EXPECT_LE(scene.ObjectCount(), 2u);
        EXPECT_EQ(scene.frontCount, scene.backIndex);
        for (uint32_t i = 0; i < scene.ObjectCount(); ++i) {
            EXPECT_EQ(scene.objects[i].TexFaceCount(), 2u);
        }
        for (uint32_t i = 0; i < scene.CameraCount(); ++i) {
            EXPECT_EQ(scene.cameras[i].SampleCount(), 2u);
        }
        EXPECT_EQ(scene.LightCount(), 0u);
        scene.LinkMaterials();
        for (uint32_t i = 0; i < scene.ObjectCount(); ++i) {
            scene.objects[i].Prepare(true);
            scene.objects[i].Snapshot();
        }
        scene.Release();
    }
    // Cut inside the map of the second material: the first stays.
    Scene scene;
    EXPECT_FALSE(Load(whole.substr(0, 324 + 4 + 320 + 100), scene));
    EXPECT_EQ(scene.MaterialCount(), 1u);
    EXPECT_NE(LogText().find("1 mapas no caben en los 100 bytes que quedan del fichero [ escena.bin ] (byte 648)"),
              std::string::npos)
        << LogText();
    scene.Release();
    // Cut inside the header: the place and what was being read.
    EXPECT_FALSE(Load(whole.substr(0, 100), scene));
    EXPECT_NE(LogText().find("El fichero [ escena.bin ] termina antes de tiempo: byte 0, leyendo la cabecera.\n"),
              std::string::npos);
    scene.Release();
    // Cut where two materials no longer fit: the count itself is refused.
    EXPECT_FALSE(Load(whole.substr(0, 324 + 4 + 300), scene));
    EXPECT_EQ(scene.materialsCreated, 0);
    EXPECT_NE(LogText().find("2 materiales no caben en los 300 bytes que quedan del fichero [ escena.bin ] "
                             "(byte 324)."),
              std::string::npos);
    scene.Release();
    // Cut inside the second object: only the translucent one stays, moved to the front.
    EXPECT_FALSE(Load(whole.substr(0, kMaterialsEnd + 4 + 500), scene));
    ASSERT_EQ(scene.ObjectCount(), 1u);
    EXPECT_EQ(scene.objects[0].materialRef, 1);
    scene.Release();
}

TEST_F(BinarySceneFileTest, CountsAreBoundedByTheBytesLeftAndNegativeCountsAreZero) {
    const std::string whole = HandBuiltScene();
    // A material count no file of this size could hold: nothing is allocated.
    std::string absurd = whole;
    absurd.replace(324, 4, std::string("\xFF\xFF\xFF\x7F", 4));
    Scene scene;
    EXPECT_FALSE(Load(absurd, scene));
    EXPECT_EQ(scene.materialsCreated, 0);
    EXPECT_NE(LogText().find("2147483647 materiales no caben en los "), std::string::npos) << LogText();
    scene.Release();

    // A vertex count of a quarter of a gigabyte in the first object.
    absurd = whole;
    absurd.replace(kMaterialsEnd + 4 + 12, 4, std::string("\x00\x00\x00\x10", 4));
    EXPECT_FALSE(Load(absurd, scene));
    EXPECT_EQ(scene.ObjectCount(), 0u);
    EXPECT_NE(LogText().find("268435456 vertices no caben"), std::string::npos);
    scene.Release();

    // The camera count as -1: no cameras, and the light after them is read
    // from where the cameras would have started.
    Bytes b;
    Header(b).Int(0).Int(0).Int(-1).Int(1);
    LightKeyRecord(b, 3, 5.0f).Byte(1).Int(0);
    EXPECT_TRUE(Load(b.data, scene));
    EXPECT_EQ(scene.camerasCreated, 1);
    EXPECT_EQ(scene.CameraCount(), 0u);
    ASSERT_EQ(scene.LightCount(), 1u);
    EXPECT_EQ(scene.lights[0].key.number, 3);
    EXPECT_EQ(scene.lights[0].flare, 1);
    EXPECT_NE(LogText().find("Cuenta negativa (-1) de camaras"), std::string::npos);
    scene.Release();
}

TEST_F(BinarySceneFileTest, ExtraMapsAreSkippedAndFullNamesAreCutInsideTheirBuffers) {
    Bytes b;
    Header(b).Int(2);
    MaterialRecord(b, std::string(80, 'm'), 0, 1.0f, 1.0f, 0.0f, 4);
    MapRecord(b, std::string(255, 'a'));
    MapRecord(b, "segundo.jpg");
    MapRecord(b, "tercero.jpg");
    MapRecord(b, "cuarto.jpg");
    MaterialRecord(b, "Siguiente", 1, 1.0f, 0.0f, 1.0f, 0);
    b.Int(0).Int(0).Int(0);
    Scene scene;
    EXPECT_TRUE(Load(b.data, scene));
    ASSERT_EQ(scene.MaterialCount(), 2u);
    const Material& first = scene.materials[0];
    EXPECT_EQ(first.props.mapCount, 2);
    EXPECT_EQ(std::string(first.props.name), std::string(79, 'm'));
    EXPECT_EQ(std::string(first.maps[0].file), std::string(255, 'a'));
    EXPECT_STREQ(first.maps[1].file, "segundo.jpg");
    // The stream stayed aligned past the two maps that were dropped.
    EXPECT_STREQ(scene.materials[1].props.name, "Siguiente");
    EXPECT_NE(LogText().find("con 4 mapas: se usan 2."), std::string::npos);

    // Written back, the material has its two maps and a terminated name.
    BinarySceneFile writer;
    ASSERT_TRUE(writer.Write("otra.bin", scene));
    const std::string bytes = dir.Read("otra.bin");
    EXPECT_EQ(bytes.size(), 324u + 4 + 160 + 2 * 272 + 160 + 12);
    EXPECT_EQ(bytes[324 + 4 + 79], '\0');
    EXPECT_EQ(bytes[324 + 4 + 148], '\x02');
    scene.Release();
}

TEST_F(BinarySceneFileTest, AdjacencyCountsThatDoNotAddUpToTheFacesAreCountedAgain) {
    // Every vertex claims six faces (the most two faces could give one
    // vertex); together they claim four times the corners there are.
    std::string bytes = HandBuiltScene();
    const size_t firstVertex = kMaterialsEnd + 4 + 12 + 4;
    for (int v = 0; v < 4; ++v) {
        bytes.replace(firstVertex + v * 52 + 40, 4, std::string("\x06\x00\x00\x00", 4));
    }
    Scene scene;
    ASSERT_TRUE(Load(bytes, scene));
    SceneObject& glass = scene.objects[1];
    EXPECT_EQ(glass.vertices[0].adjacentCount, 6);
    glass.Prepare(true);
    const int32_t expected[4] = {2, 1, 2, 1};
    for (int v = 0; v < 4; ++v) {
        EXPECT_EQ(glass.vertices[v].adjacentCount, expected[v]);
        EXPECT_EQ(glass.vertices[v].adjacentFilled, expected[v]);
        EXPECT_FLOAT_EQ(glass.vertices[v].normal[2], 1.0f);
    }
    // Counts that add up are used as they are.
    scene.objects[0].Prepare(true);
    EXPECT_EQ(scene.objects[0].vertices[0].adjacentCount, 2);
    scene.Release();
}

TEST_F(BinarySceneFileTest, AnAseMaterialWithoutItsNumberIsWrittenWithItsPlace) {
    dir.Write("sin.ase",
              "*MATERIAL_LIST {\n\t*MATERIAL_COUNT 2\n\t*MATERIAL 0 {\n\t\t*MATERIAL_NAME \"A\"\n\t}\n"
              "\t{\n\t\t*MATERIAL_NAME \"B\"\n\t}\n}\n");
    Scene scene;
    AseReader reader;
    reader.Read("sin.ase", scene);
    ASSERT_EQ(scene.MaterialCount(), 2u);
    EXPECT_STREQ(scene.materials[1].props.name, "B");
    BinarySceneFile writer;
    ASSERT_TRUE(writer.Write("sin.bin", scene));
    Scene read;
    ASSERT_TRUE(Load(dir.Read("sin.bin"), read));
    EXPECT_EQ(read.materials[1].props.index, 1);
    scene.Release();
    read.Release();
}

using BinarySceneFileDeathTest = BinarySceneFileTest;

TEST_F(BinarySceneFileDeathTest, AFileThatCannotBeOpenedIsLoggedAndEndsWithStatus1) {
    std::remove("error_log.txt");
    Scene scene;
    BinarySceneFile reader;
    EXPECT_EXIT(reader.Read("no_existe.bin", scene), ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(LogText(),
              "[BIN IMP/EXP v0.9b] - Abriendo fichero BINARIO [ no_existe.bin ] para lectura.\n"
              "[BIN IMP/EXP v0.9b] - ** ERROR ** El fichero [ no_existe.bin ] no se puede abrir. **\n");
}

}  // namespace
