// ASE import: conversions, block readers and their end conditions, the
// scanf-like argument reads, damaged and hostile files, encodings, log texts
// and boxes.
#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/HeapUse.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"
#include "scene/AseReader.h"
#include "scene/Scene.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestBoxes.h"

namespace {

using TestSupport::Box;
using TestSupport::TakeBoxes;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string RealExport() { return ReadFile(std::string(HALVENOR_SOURCE_DIR) + "/tests/scene/data/realistic.ase"); }

std::string Utf16(const std::string& text, bool littleEndian) {
    std::string out = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (const char c : text) {
        const char units[2] = {c, '\0'};
        out += littleEndian ? units[0] : units[1];
        out += littleEndian ? units[1] : units[0];
    }
    return out;
}

std::string Crlf(const std::string& text) {
    std::string out;
    for (const char c : text) {
        out += c == '\n' ? "\r\n" : std::string(1, c);
    }
    return out;
}

// Everything the reader stores, as text, so that two loads compare whole.
std::string Describe(const Scene& scene) {
    std::ostringstream out;
    out.precision(9);
    const SceneParams params = scene.GetParams();
    out << "params " << params.lastFrame << ' ' << params.frameSpeed << ' ' << params.ticksPerFrame;
    for (int i = 0; i < 3; ++i) {
        out << ' ' << params.background[i] << ' ' << params.ambient[i];
    }
    out << "\nmaterials " << int(scene.materialsCreated) << ' ' << scene.MaterialCount() << '\n';
    for (uint32_t i = 0; i < scene.MaterialCount(); ++i) {
        const MaterialProps& p = scene.materials[i].props;
        out << p.name << ' ' << p.index << ' ' << int(p.twoSided) << ' ' << p.mapCount << ' ' << p.shininess;
        for (int c = 0; c < 4; ++c) {
            out << ' ' << p.ambient[c] << ' ' << p.diffuse[c] << ' ' << p.specular[c];
        }
        for (int c = 0; c < 3; ++c) {
            out << ' ' << p.emission[c];
        }
        for (const TextureMap& map : scene.materials[i].maps) {
            out << " [" << map.file << ' ' << int(map.sphereMap) << ' ' << map.uTiling << ' ' << map.vTiling << ' '
                << map.uOffset << ' ' << map.vOffset << ']';
        }
        out << '\n';
    }
    for (uint32_t i = 0; i < scene.ObjectCount(); ++i) {
        const SceneObject& o = scene.objects[i];
        out << "object " << o.name << ' ' << o.materialRef << ' ' << o.VertexCount() << ' ' << o.FaceCount() << ' '
            << o.TexVertexCount() << ' ' << o.TexFaceCount() << '\n';
        for (uint32_t v = 0; v < o.VertexCount(); ++v) {
            out << ' ' << o.vertices[v].position[0] << ',' << o.vertices[v].position[1] << ','
                << o.vertices[v].position[2];
        }
        for (uint32_t f = 0; f < o.FaceCount(); ++f) {
            const Face& face = o.faces[f];
            out << " f" << face.a << ',' << face.b << ',' << face.c << ',' << face.normal[0] << ','
                << face.normal[1] << ',' << face.normal[2] << ',' << (face.va - o.vertices) << ','
                << (face.vb - o.vertices) << ',' << (face.vc - o.vertices);
        }
        for (uint32_t t = 0; t < o.TexVertexCount(); ++t) {
            out << " t" << o.texVertices[t].u << ',' << o.texVertices[t].v;
        }
        for (uint32_t f = 0; f < o.TexFaceCount(); ++f) {
            out << " g" << o.texFaces[f].a << ',' << o.texFaces[f].b << ',' << o.texFaces[f].c;
        }
        out << '\n';
    }
    for (uint32_t i = 0; i < scene.CameraCount(); ++i) {
        const Camera& c = scene.cameras[i];
        out << "camera " << c.SampleCount();
        std::vector<CameraKey> keys{c.key};
        for (uint32_t s = 0; s < c.SampleCount(); ++s) {
            keys.push_back(c.track[s]);
        }
        for (const CameraKey& k : keys) {
            out << " (" << k.eye[0] << ',' << k.eye[1] << ',' << k.eye[2] << ' ' << k.target[0] << ',' << k.target[1]
                << ',' << k.target[2] << ' ' << k.fov << ' ' << int(k.filled) << ')';
        }
        out << '\n';
    }
    for (uint32_t i = 0; i < scene.LightCount(); ++i) {
        const Light& l = scene.lights[i];
        out << "light " << l.key.number << ' ' << int(l.flare) << ' ' << l.SampleCount();
        std::vector<LightKey> keys{l.key};
        for (uint32_t s = 0; s < l.SampleCount(); ++s) {
            keys.push_back(l.track[s]);
        }
        for (const LightKey& k : keys) {
            out << " (" << k.number;
            for (int c = 0; c < 4; ++c) {
                out << ' ' << k.colour[c] << ' ' << k.position[c];
            }
            out << ')';
        }
        out << '\n';
    }
    return out.str();
}

class AseReaderTest : public ::testing::Test {
protected:
    void SetUp() override { Platform::ClearMessageBoxes(); }

    // Writes the text as a file in the working directory and reads it into
    // scene with a fresh log.
    void Load(const std::string& contents, Scene& scene, const std::string& name = "escena.ase") {
        dir.Write(name, contents);
        std::remove("error_log.txt");
        AseReader reader;
        reader.Read(name.c_str(), scene);
    }

    std::string LogText() const { return dir.Read("error_log.txt"); }

    TestSupport::TempDir dir;
};

// The reader's log for a file with the given blocks, in order.
std::string ExpectedLog(const std::string& name, const std::string& blocks, const std::string& counts) {
    return "\nLECTOR DE FICHEROS ASE v0.5 by Dralven / Brassmoor Team\n]> Comenzada la lectura del fichero .ASE\n"
           "]> LEYENDO FICHERO ASE: [ " + name + " ]\n" + blocks + "\n Leidos: " + counts +
           "\n FINALIZADA LA CARGA DEL FICHERO ASE.\n\n";
}

const char* const kSceneBlock = "*SCENE {\n\t*SCENE_LASTFRAME 9\n\t*SCENE_FRAMESPEED 30\n}\n";

// A material list of one entry with the given lines inside its block.
std::string OneMaterial(const std::string& lines, int count = 1, int number = 0) {
    return "*MATERIAL_LIST {\n\t*MATERIAL_COUNT " + std::to_string(count) + "\n\t*MATERIAL " +
           std::to_string(number) + " {\n" + lines + "\t}\n}\n";
}

std::string GeomObject(const std::string& lines) { return "*GEOMOBJECT {\n\t*NODE_NAME \"Obj\"\n" + lines + "}\n"; }

// ---------------------------------------------------------------------------

TEST_F(AseReaderTest, RealExportLoadsWithEveryConversion) {
    Scene scene;
    Load(RealExport(), scene, "realistic.ase");
    EXPECT_TRUE(TakeBoxes().empty());

    const SceneParams params = scene.GetParams();
    EXPECT_EQ(params.lastFrame, 4);
    EXPECT_EQ(params.frameSpeed, 30);
    EXPECT_EQ(params.ticksPerFrame, 160);
    EXPECT_FLOAT_EQ(params.background[2], 0.3f);
    EXPECT_FLOAT_EQ(params.ambient[1], 0.06f);
    EXPECT_STREQ(params.name, "");

    ASSERT_EQ(scene.MaterialCount(), 3u);
    const MaterialProps floor = scene.materials[0].props;
    EXPECT_STREQ(floor.name, "Suelo");
    EXPECT_FLOAT_EQ(floor.ambient[3], 1.0f);
    EXPECT_FLOAT_EQ(floor.diffuse[0], 0.6f);
    EXPECT_FLOAT_EQ(floor.shininess, 0.1f);
    EXPECT_EQ(floor.mapCount, 1);
    const TextureMap floorMap = scene.materials[0].GetMap(0);
    EXPECT_STREQ(floorMap.file, "C:\\3dsmax\\maps\\suelo.jpg");
    EXPECT_EQ(floorMap.sphereMap, 0);
    EXPECT_FLOAT_EQ(floorMap.uOffset, 0.5f);
    EXPECT_FLOAT_EQ(floorMap.vOffset, -0.25f);
    EXPECT_FLOAT_EQ(floorMap.uTiling, 2.0f);
    EXPECT_FLOAT_EQ(floorMap.vTiling, 3.0f);
    const MaterialProps glass = scene.materials[1].props;
    EXPECT_FLOAT_EQ(glass.ambient[3], 0.5f);
    EXPECT_FLOAT_EQ(glass.diffuse[3], 0.5f);
    EXPECT_FLOAT_EQ(glass.specular[3], 0.5f);
    EXPECT_EQ(glass.mapCount, 2);
    EXPECT_STREQ(scene.materials[1].maps[0].file, "texturas\\cristal.tga");
    EXPECT_STREQ(scene.materials[1].maps[1].file, "texturas\\entorno.jpg");
    EXPECT_EQ(scene.materials[1].maps[1].sphereMap, 1);
    const MaterialProps metal = scene.materials[2].props;
    EXPECT_EQ(metal.twoSided, 1);
    EXPECT_FLOAT_EQ(metal.emission[1], 0.3f);
    EXPECT_EQ(metal.mapCount, 0);
    EXPECT_EQ(metal.index, 2);

    // Opaque objects first in file order, then the translucent one.
    ASSERT_EQ(scene.ObjectCount(), 4u);
    EXPECT_STREQ(scene.objects[0].name, "Suelo01");
    EXPECT_STREQ(scene.objects[1].name, "Caja01");
    EXPECT_STREQ(scene.objects[2].name, "Esfera01");
    EXPECT_STREQ(scene.objects[3].name, "Cristal01");
    EXPECT_EQ(scene.objects[3].MaterialRef(), 1);
    const SceneObject& ground = scene.objects[0];
    ASSERT_EQ(ground.VertexCount(), 4u);
    EXPECT_FLOAT_EQ(ground.vertices[0].position[0], -50.0f);
    EXPECT_FLOAT_EQ(ground.vertices[0].position[1], 0.0f);
    EXPECT_FLOAT_EQ(ground.vertices[0].position[2], 50.0f);
    EXPECT_FLOAT_EQ(ground.vertices[3].position[2], -50.0f);
    ASSERT_EQ(ground.FaceCount(), 2u);
    EXPECT_EQ(ground.faces[0].a, 2);
    EXPECT_EQ(ground.faces[0].b, 0);
    EXPECT_EQ(ground.faces[0].c, 3);
    EXPECT_EQ(ground.faces[0].va, &ground.vertices[2]);
    EXPECT_EQ(ground.faces[0].vc, &ground.vertices[3]);
    EXPECT_FLOAT_EQ(ground.faces[1].normal[1], 0.0f);
    EXPECT_FLOAT_EQ(ground.faces[1].normal[2], 1.0f);
    EXPECT_FLOAT_EQ(ground.texVertices[2].v, -1.0f);
    EXPECT_FLOAT_EQ(ground.texVertices[1].u, 1.0f);
    EXPECT_EQ(ground.texFaces[1].ta, &ground.texVertices[1]);
    EXPECT_EQ(ground.texFaces[1].tc, &ground.texVertices[0]);
    EXPECT_EQ(ground.vertices[0].adjacentNormals, nullptr);

    ASSERT_EQ(scene.CameraCount(), 2u);
    const Camera& animated = scene.cameras[0];
    EXPECT_FLOAT_EQ(animated.key.eye[1], 20.0f);
    EXPECT_FLOAT_EQ(animated.key.eye[2], 100.0f);
    EXPECT_FLOAT_EQ(animated.key.target[1], 5.0f);
    EXPECT_FLOAT_EQ(animated.key.fov, 45.0f);
    ASSERT_EQ(animated.SampleCount(), 5u);
    for (uint32_t i = 0; i < 5; ++i) {
        const CameraKey sample = animated.GetSample(i);
        EXPECT_EQ(sample.filled, 1);
        EXPECT_FLOAT_EQ(sample.eye[0], 10.0f * i) << i;
        EXPECT_FLOAT_EQ(sample.eye[2], 100.0f) << i;
        // The target track has three samples; later samples keep what they
        // were filled with when the eye track reached them.
        EXPECT_FLOAT_EQ(sample.target[0], i < 3 ? float(i) : 0.0f) << i;
        EXPECT_FLOAT_EQ(sample.target[1], 5.0f) << i;
        EXPECT_NEAR(sample.fov, i == 0 ? 45.0f : 60.0f, 1e-3f) << i;
    }
    const Camera& still = scene.cameras[1];
    EXPECT_EQ(still.SampleCount(), 0u);
    EXPECT_EQ(still.track, nullptr);
    EXPECT_FLOAT_EQ(still.key.eye[2], -50.0f);
    EXPECT_NEAR(still.key.fov, 30.0f, 1e-3f);
    EXPECT_EQ(still.key.filled, 0);

    ASSERT_EQ(scene.LightCount(), 3u);
    const Light& omni = scene.lights[0];
    EXPECT_EQ(omni.key.number, 0);
    EXPECT_EQ(omni.flare, 0);
    EXPECT_EQ(omni.SampleCount(), 0u);
    EXPECT_FLOAT_EQ(omni.key.position[1], 30.0f);
    EXPECT_FLOAT_EQ(omni.key.position[2], -20.0f);
    EXPECT_FLOAT_EQ(omni.key.position[3], 0.0f);
    EXPECT_FLOAT_EQ(omni.key.colour[1], 0.5f);
    EXPECT_FLOAT_EQ(omni.key.colour[3], 0.0f);
    const Light& spot = scene.lights[1];
    EXPECT_EQ(spot.key.number, 1);
    EXPECT_EQ(spot.flare, 1);
    EXPECT_FLOAT_EQ(spot.key.position[1], 0.0f);  // the target node's position is kept
    EXPECT_FLOAT_EQ(spot.key.position[2], 10.0f);
    const Light& moving = scene.lights[2];
    EXPECT_EQ(moving.key.number, 2);
    ASSERT_EQ(moving.SampleCount(), 5u);
    for (uint32_t i = 0; i < 5; ++i) {
        EXPECT_FLOAT_EQ(moving.track[i].position[0], float(i));
        EXPECT_FLOAT_EQ(moving.track[i].position[1], 10.0f);
        EXPECT_EQ(moving.track[i].number, 0);
    }

    const std::string blocks =
        "]> - CARGANDO PARAMETROS ESCENA.\n]> - CARGANDO MATERIALES.\n]> - CARGANDO OBJETO.\n"
        "]> - CARGANDO OBJETO.\n]> - CARGANDO OBJETO.\n]> - CARGANDO CAMARA.\n"
        "]>   - LEYENDO ANIMACION DE CAMARA.\n]>   - LEYENDO ANIMACION DE CAMARA.\n]> - CARGANDO CAMARA.\n"
        "]> - CARGANDO LUZ.\n]> - CARGANDO LUZ.\n]> - CARGANDO LUZ.\n]>   - LEYENDO ANIMACION DE LUZ.\n"
        "]> - CARGANDO OBJETO.\n";
    EXPECT_EQ(LogText(), ExpectedLog("realistic.ase", blocks, "4 Objetos - 3 Materiales - 2 Camaras - 3 Luces."));
}

TEST_F(AseReaderTest, Utf16AndCrlfFilesLoadLikeTheirEightBitTwins) {
    const std::string text = RealExport();
    Scene plain;
    Load(text, plain);
    const std::string expected = Describe(plain);
    for (const std::string& twin : {Utf16(text, true), Utf16(text, false), Crlf(text), Utf16(Crlf(text), true)}) {
        Scene scene;
        Load(twin, scene);
        EXPECT_EQ(Describe(scene), expected);
        scene.Release();
    }
    EXPECT_TRUE(TakeBoxes().empty());

    // Characters of the 8-bit range keep their byte.
    std::string latin = GeomObject("");
    latin.replace(latin.find("Obj"), 3, "Ca\xF1o");
    Scene twinned;
    std::string wide = "\xFF\xFE";
    for (const char c : latin) {
        wide += c;
        wide += '\0';
    }
    Load(wide, twinned);
    ASSERT_EQ(twinned.ObjectCount(), 1u);
    EXPECT_STREQ(twinned.objects[0].name, "Ca\xF1o");
}

TEST_F(AseReaderTest, ArgumentsAreReadLikeScanfFormats) {
    const std::string text = GeomObject(
        "\t*MESH {\n\t\t*MESH_NUMVERTEX 3\n\t\t*MESH_NUMFACES 2\n"
        "\t\t*MESH_VERTEX    0\t1.0000\t2.0000\t3.0000\n"
        "\t\t*MESH_VERTEX 1 4 5 6\n"
        "\t\t*MESH_VERTEX    0\t7.5\tbad 9\n"  // stops at "bad": y and z stay as they were
        "\t\t*MESH_FACE    0:    A:    0 B:    2 C:    1 AB:    1 BC:    1 CA:    0\t *MESH_SMOOTHING 1 \t*MESH_MTLID 0\n"
        "\t\t*MESH_FACE 1:A:2 B:1 C:0\n"
        "\t\t*MESH_NUMTVERTEX 5\n\t\t*MESH_TVERT 4\t0.2500\t0.7500\t0.0000\n"
        "\t\t*MESH_TVERT 3 +1.5e0 -.5\n"
        "\t\t*MESH_NUMTVFACES 1\n\t\t*MESH_TFACE 0\t4\t3\t2\n"
        "\t\t*MESH_NORMALS {\n\t\t\t*MESH_FACENORMAL 0\t0.0\t1.0\t0.0\n"
        "\t\t\t\t*MESH_VERTEXNORMAL 0\t0.0\t1.0\t0.0\n\t\t\t\t*MESH_VERTEXNORMAL 2\t0.0\t1.0\t0.0\n"
        "\t\t\t\t*MESH_VERTEXNORMAL 1\t0.0\t1.0\t0.0\n\t\t}\n\t}\n");
    Scene scene;
    Load(text, scene);
    EXPECT_TRUE(TakeBoxes().empty());
    ASSERT_EQ(scene.ObjectCount(), 1u);
    const SceneObject& object = scene.objects[0];
    EXPECT_FLOAT_EQ(object.vertices[0].position[0], 7.5f);
    EXPECT_FLOAT_EQ(object.vertices[0].position[1], 3.0f);
    EXPECT_FLOAT_EQ(object.vertices[0].position[2], -2.0f);
    EXPECT_FLOAT_EQ(object.vertices[1].position[1], 6.0f);
    EXPECT_EQ(object.faces[0].b, 2);
    EXPECT_EQ(object.faces[0].vb, &object.vertices[2]);
    EXPECT_EQ(object.faces[1].a, 2);
    EXPECT_EQ(object.faces[1].c, 0);
    EXPECT_FLOAT_EQ(object.faces[0].normal[2], -1.0f);
    EXPECT_FLOAT_EQ(object.texVertices[4].u, 0.25f);
    EXPECT_FLOAT_EQ(object.texVertices[4].v, -0.75f);
    EXPECT_FLOAT_EQ(object.texVertices[3].u, 1.5f);
    EXPECT_FLOAT_EQ(object.texVertices[3].v, 0.5f);
    EXPECT_EQ(object.texFaces[0].a, 4);
    EXPECT_EQ(object.texFaces[0].tc, &object.texVertices[2]);
    EXPECT_EQ(object.MaterialRef(), -1);
}

TEST_F(AseReaderTest, DecimalsRoundAsStrtofWhateverTheirLength) {
    // Short plain decimals take a quick path; every other form the general
    // one. Both must give what strtof gives.
    const std::vector<std::string> numbers = {
        "-75.0000", "1234.5678", "0.1", "-0.0000", "16777215", "16777216", "16777217", "99999999", "123456789",
        "0.33333334", "0.333333343267", ".5", "-.25", "7.", "1e3", "2.5E-3", "-0.00000001", "3.4028235e38",
        "1.0000001", "0.70710678118", "+42.5", "00000012.50", "9.999999", "1.17549435e-38"};
    std::string lines = "\t*MESH {\n\t\t*MESH_NUMVERTEX " + std::to_string(numbers.size()) + "\n";
    for (size_t i = 0; i < numbers.size(); ++i) {
        lines += "\t\t*MESH_VERTEX " + std::to_string(i) + "\t" + numbers[i] + "\t0.0\t0.0\n";
    }
    Scene scene;
    Load(GeomObject(lines + "\t}\n"), scene);
    ASSERT_EQ(scene.ObjectCount(), 1u);
    for (size_t i = 0; i < numbers.size(); ++i) {
        SCOPED_TRACE(numbers[i]);
        const float expected = std::strtof(numbers[i].c_str(), nullptr);
        EXPECT_EQ(0, std::memcmp(&expected, &scene.objects[0].vertices[i].position[0], sizeof expected));
    }
}

TEST_F(AseReaderTest, FaceNormalsSkipFifteenTokensWhateverTheirSpacing) {
    // The three vertex-normal lines are passed over as fifteen tokens, with
    // any white space between them (and bytes that are not white space,
    // control characters and 8-bit ones, inside them), long runs included.
    const std::string spaces = "\t \v\f\r" + std::string(40, ' ');
    std::string normals = "\t\t*MESH_NORMALS {\n\t\t\t*MESH_FACENORMAL 0\t0.0\t1.0\t0.0\n";
    for (int line = 0; line < 3; ++line) {
        normals += "\t\t\t\t*MESH_VERTEXNORMAL" + spaces.substr(0, 1 + line * 20) + std::to_string(line) +
                   "\t\x01x\xE9\t0.0" + std::string(17 + line, ' ') + "1.0\n";
    }
    normals += "\t\t\t*MESH_FACENORMAL 1\t1.0\t0.0\t0.0\n";
    // Only fourteen tokens before the next face normal: its keyword is the
    // fifteenth, passed over with them.
    normals += "\t\t\t\t*MESH_VERTEXNORMAL 0 0 0 0 *MESH_VERTEXNORMAL 0 0 0 0 *MESH_VERTEXNORMAL 0 0 0\n";
    normals += "\t\t\t*MESH_FACENORMAL 2\t0.0\t0.0\t1.0\n";
    normals += "\t\t\t*MESH_FACENORMAL 3\t0.0\t0.0\t-1.0\n\t\t}\n";
    const std::string text = GeomObject("\t*MESH {\n\t\t*MESH_NUMVERTEX 3\n\t\t*MESH_NUMFACES 4\n" + normals + "\t}\n");
    Scene scene;
    Load(text, scene);
    ASSERT_EQ(scene.ObjectCount(), 1u);
    const SceneObject& object = scene.objects[0];
    // (x, y, z) is stored as (x, z, -y).
    EXPECT_FLOAT_EQ(object.faces[0].normal[2], -1.0f);
    EXPECT_FLOAT_EQ(object.faces[1].normal[0], 1.0f);
    EXPECT_FLOAT_EQ(object.faces[2].normal[1], 0.0f);
    EXPECT_FLOAT_EQ(object.faces[3].normal[1], -1.0f);
}

TEST_F(AseReaderTest, WhatFollowsAFaceStillCountsWhenItIsAKeywordOrABrace) {
    // The rest of a face line is passed over whole only when it holds nothing
    // the object reader acts on; a keyword or a brace there is read as ever.
    const std::string text = GeomObject(
        "\t*MESH {\n\t\t*MESH_NUMVERTEX 3\n\t\t*MESH_NUMFACES 2\n"
        "\t\t*MESH_FACE 0: A: 0 B: 1 C: 2 AB: 1 *MESH_SMOOTHING 1 *MESH_VERTEX 1 4.0 5.0 6.0\n"
        "\t\t*MESH_FACE 1: A: 2 B: 1 C: 0 AB: 1\t*MESH_MTLID 0 } } *MESH_VERTEX 2 7.0 8.0 9.0\n"
        "\t}\n");
    Scene scene;
    Load(text + GeomObject(""), scene);
    ASSERT_EQ(scene.ObjectCount(), 2u);
    const SceneObject& object = scene.objects[0];
    EXPECT_FLOAT_EQ(object.vertices[1].position[0], 4.0f);
    EXPECT_EQ(object.faces[1].a, 2);
    // The braces closed the object: the vertex after them was not its own.
    EXPECT_FLOAT_EQ(object.vertices[2].position[0], 0.0f);
}

TEST_F(AseReaderTest, MaterialKeywordsAndMapSlots) {
    const std::string longName(120, 'm');
    const std::string lines =
        "\t\t*MAP_TYPE Spherical\n\t\t*UVW_U_TILING 9.0\n"  // no map yet: ignored
        "\t\t*MATERIAL_NAME \"" + longName + "\"\n"
        "\t\t*MATERIAL_TRANSPARENCY 0.2500\n"
        "\t\t*MAP_DIFFUSE {\n\t\t\t*BITMAP \"uno.jpg\"\n\t\t\t*MAP_TYPE spherical\n"
        "\t\t\t*UVW_U_OFFSET 0.5000\n\t\t\t*UVW_V_OFFSET 0.5000\n\t\t}\n"
        "\t\t*MAP_BUMP {\n\t\t\t*BITMAP \"dos.jpg\"\n\t\t\t*MAP_TYPE Screen\n\t\t}\n"
        "\t\t*MAP_REFLECT {\n\t\t\t*BITMAP \"tres.jpg\"\n\t\t\t*MAP_TYPE SPHERICAL\n\t\t\t*UVW_V_TILING 4.0\n\t\t}\n"
        "\t\t*SUBMATERIAL 0 {\n\t\t\t*MATERIAL_SHINE 0.7500\n\t\t}\n"
        "\t\t*MATERIAL_SHINE 0.2500\n";
    Scene scene;
    Load(OneMaterial(lines, 2, 1), scene);
    EXPECT_TRUE(TakeBoxes().empty());
    ASSERT_EQ(scene.MaterialCount(), 2u);
    EXPECT_EQ(scene.materials[0].props.mapCount, 0);  // a slot no material fills stays default
    const Material& material = scene.materials[1];
    EXPECT_EQ(material.props.index, 1);
    EXPECT_EQ(std::string(material.props.name), longName.substr(0, 79));
    EXPECT_FLOAT_EQ(material.props.ambient[3], 0.75f);
    EXPECT_FLOAT_EQ(material.props.shininess, 0.25f);
    EXPECT_EQ(material.props.mapCount, 2);
    EXPECT_STREQ(material.maps[0].file, "uno.jpg");
    EXPECT_EQ(material.maps[0].sphereMap, 1);
    EXPECT_FLOAT_EQ(material.maps[0].uOffset, 0.5f);
    EXPECT_FLOAT_EQ(material.maps[0].vOffset, -0.5f);
    EXPECT_FLOAT_EQ(material.maps[0].uTiling, 1.0f);
    EXPECT_STREQ(material.maps[1].file, "dos.jpg");
    EXPECT_EQ(material.maps[1].sphereMap, 0);  // the third map touches nothing
    EXPECT_FLOAT_EQ(material.maps[1].vTiling, 1.0f);
}

TEST_F(AseReaderTest, MaterialsGoToTheSlotOfTheirNumberAndDecidePlacement) {
    const std::string text = "*MATERIAL_LIST {\n\t*MATERIAL_COUNT 2\n"
                             "\t*MATERIAL 5 {\n\t\t*MATERIAL_NAME \"fuera\"\n\t}\n"
                             "\t*MATERIAL 0 {\n\t\t*MATERIAL_NAME \"sin transparencia\"\n\t}\n}\n" +
                             GeomObject("\t*MATERIAL_REF 0\n") + GeomObject("\t*MATERIAL_REF 9\n");
    Scene scene;
    Load(text, scene);
    EXPECT_EQ(TakeBoxes(), (std::vector<Box>{{"Acceso fuera del vector IMPEDIDO", "Error de acceso"}}));
    EXPECT_STREQ(scene.materials[0].props.name, "sin transparencia");
    EXPECT_FLOAT_EQ(scene.materials[0].props.ambient[3], 0.0f);
    // Opacity 0 is translucent; a reference to no stored material is opaque.
    EXPECT_EQ(scene.objects[0].MaterialRef(), 9);
    EXPECT_EQ(scene.objects[1].MaterialRef(), 0);
}

TEST_F(AseReaderTest, CameraTracksFillForward) {
    std::string animation = "\t*CAMERA_ANIMATION {\n";
    for (const char* fov : {"0.5236", "0.7854", "1.0472"}) {
        animation += std::string("\t\t*CAMERA_SETTINGS {\n\t\t\t*CAMERA_FOV ") + fov + "\n\t\t}\n";
    }
    animation += "\t}\n\t*TM_ANIMATION {\n\t\t*CONTROL_POS_TRACK {\n";
    for (int i = 0; i < 12; ++i) {  // two more than the scene's ten frames
        animation += "\t\t\t*CONTROL_POS_SAMPLE " + std::to_string(i * 160) + "\t" + std::to_string(i) + " 0 0\n";
    }
    animation += "\t\t}\n\t}\n";
    const std::string camera = "*CAMERAOBJECT {\n\t*NODE_TM {\n\t\t*TM_POS 1.0 2.0 3.0\n\t}\n"
                               "\t*NODE_TM {\n\t\t*TM_POS 4.0 5.0 6.0\n\t}\n"
                               "\t*CAMERA_SETTINGS {\n\t\t*CAMERA_FOV 0.7854\n\t}\n" + animation + "}\n";
    Scene scene;
    Load(kSceneBlock + camera, scene);
    ASSERT_EQ(scene.CameraCount(), 1u);
    const Camera& result = scene.cameras[0];
    EXPECT_FLOAT_EQ(result.key.fov, 45.0f);
    EXPECT_FLOAT_EQ(result.key.eye[1], 3.0f);
    EXPECT_FLOAT_EQ(result.key.target[2], -5.0f);
    ASSERT_EQ(result.SampleCount(), 10u);
    const float fovs[3] = {30.0f, 45.0f, 60.0f};
    for (uint32_t i = 0; i < 10; ++i) {
        EXPECT_FLOAT_EQ(result.track[i].eye[0], float(i)) << i;
        EXPECT_NEAR(result.track[i].fov, fovs[i < 3 ? i : 2], 1e-3f) << i;
        EXPECT_FLOAT_EQ(result.track[i].target[1], 6.0f) << i;
    }
    EXPECT_EQ(LogText(), ExpectedLog("escena.ase",
                                     "]> - CARGANDO PARAMETROS ESCENA.\n]> - CARGANDO CAMARA.\n"
                                     "]>   - LEYENDO ANIMACION DE CAMARA.\n",
                                     "0 Objetos - 0 Materiales - 1 Camaras - 0 Luces."));
}

// An exporter that samples every 4 frames gives a quarter of the samples: the
// rest hold the last given one instead of a camera at the origin with no
// field of view, which showed nothing from there on.
TEST_F(AseReaderTest, SamplesATrackDoesNotGiveHoldTheLastGivenOne) {
    std::string camera = "*CAMERAOBJECT {\n\t*NODE_TM {\n\t\t*TM_POS 1.0 2.0 3.0\n\t}\n"
                         "\t*NODE_TM {\n\t\t*TM_POS 4.0 5.0 6.0\n\t}\n"
                         "\t*CAMERA_SETTINGS {\n\t\t*CAMERA_FOV 0.7854\n\t}\n"
                         "\t*TM_ANIMATION {\n\t\t*CONTROL_POS_TRACK {\n";
    std::string light = "*LIGHTOBJECT {\n\t*NODE_TM {\n\t\t*TM_POS 7 8 9\n\t}\n"
                        "\t*LIGHT_SETTINGS {\n\t\t*LIGHT_COLOR 1 1 1\n\t}\n"
                        "\t*TM_ANIMATION {\n\t\t*CONTROL_POS_TRACK {\n";
    for (int i = 0; i < 3; ++i) {  // frames 0, 4 and 8 of ten
        const std::string sample = "\t\t\t*CONTROL_POS_SAMPLE " + std::to_string(i * 640) + "\t" +
                                   std::to_string(10 + i) + " 0 0\n";
        camera += sample;
        light += sample;
    }
    camera += "\t\t}\n\t}\n}\n";
    light += "\t\t}\n\t}\n}\n";
    // A light whose track gives no sample at all stays where its node is.
    const std::string empty = "*LIGHTOBJECT {\n\t*NODE_TM {\n\t\t*TM_POS 1 2 3\n\t}\n"
                              "\t*LIGHT_SETTINGS {\n\t\t*LIGHT_COLOR 1 1 1\n\t}\n"
                              "\t*TM_ANIMATION {\n\t\t*CONTROL_POS_TRACK {\n\t\t}\n\t}\n}\n";
    Scene scene;
    Load(kSceneBlock + camera + light + empty, scene);
    const Camera& view = scene.cameras[0];
    ASSERT_EQ(view.SampleCount(), 10u);
    for (uint32_t i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(view.track[i].eye[0], i < 2 ? 10.0f + i : 12.0f);
        EXPECT_FLOAT_EQ(view.track[i].target[1], 6.0f);
        EXPECT_NEAR(view.track[i].fov, 45.0f, 1e-3f);
        EXPECT_EQ(view.track[i].filled, 1);
        EXPECT_FLOAT_EQ(scene.lights[0].track[i].position[0], i < 2 ? 10.0f + i : 12.0f);
        EXPECT_FLOAT_EQ(scene.lights[1].track[i].position[1], 3.0f);
    }
}

TEST_F(AseReaderTest, WithoutASceneHeaderTracksHoldOneSample) {
    const std::string text =
        "*CAMERAOBJECT {\n\t*TM_ANIMATION {\n\t\t*CONTROL_POS_TRACK {\n"
        "\t\t\t*CONTROL_POS_SAMPLE 0\t1 2 3\n\t\t\t*CONTROL_POS_SAMPLE 160\t4 5 6\n\t\t}\n\t}\n}\n"
        "*LIGHTOBJECT {\n\t*CONTROL_POS_SAMPLE 0\t9 9 9\n"  // before any track: dropped
        "\t*LIGHT_SETTINGS {\n\t\t*LIGHT_COLOR 1 1 1\n\t}\n"
        "\t*TM_ANIMATION {\n\t\t*CONTROL_POS_TRACK {\n"
        "\t\t\t*CONTROL_POS_SAMPLE 0\t1 2 3\n\t\t\t*CONTROL_POS_SAMPLE 160\t4 5 6\n\t\t}\n\t}\n}\n";
    Scene scene;
    Load(text, scene);
    EXPECT_EQ(scene.GetParams().frameSpeed, 0);
    ASSERT_EQ(scene.cameras[0].SampleCount(), 1u);
    EXPECT_FLOAT_EQ(scene.cameras[0].track[0].eye[2], -2.0f);
    ASSERT_EQ(scene.lights[0].SampleCount(), 1u);
    EXPECT_FLOAT_EQ(scene.lights[0].track[0].position[0], 1.0f);
    EXPECT_EQ(scene.materialsCreated, 0);
}

TEST_F(AseReaderTest, LightsEndByTheirBraceCounter) {
    // Without a track the light ends at its own brace; with one at the end of
    // the track. Either way the object after it is read by the top level.
    const std::string still = "*LIGHTOBJECT {\n\t*NODE_NAME \"A\"\n\t*NODE_TM {\n\t\t*TM_POS 1 2 3\n\t}\n"
                              "\t*LIGHT_USEGLOBAL 1\n\t*LIGHT_SETTINGS {\n\t\t*LIGHT_COLOR 0.5 0.5 0.5\n\t}\n}\n";
    const std::string moving = "*LIGHTOBJECT {\n\t*NODE_TM {\n\t\t*TM_POS 0 0 0\n\t}\n\t*LIGHT_USEGLOBAL 0\n"
                               "\t*LIGHT_SETTINGS {\n\t\t*LIGHT_COLOR 1 0 0\n\t}\n"
                               "\t*TM_ANIMATION {\n\t\t*CONTROL_POS_TRACK {\n"
                               "\t\t\t*CONTROL_POS_SAMPLE 0 1 2 3\n\t\t}\n\t}\n}\n";
    Scene scene;
    Load(std::string(kSceneBlock) + still + moving + still + GeomObject("\t*MATERIAL_REF 3\n"), scene);
    ASSERT_EQ(scene.LightCount(), 3u);
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(scene.lights[i].key.number, i);
    }
    EXPECT_EQ(scene.lights[0].flare, 1);
    EXPECT_EQ(scene.lights[1].flare, 0);
    EXPECT_EQ(scene.lights[2].flare, 1);
    EXPECT_FLOAT_EQ(scene.lights[2].key.colour[0], 0.5f);
    ASSERT_EQ(scene.lights[1].SampleCount(), 10u);
    EXPECT_FLOAT_EQ(scene.lights[1].track[0].position[1], 3.0f);
    // Samples the track does not give hold the last given one.
    EXPECT_FLOAT_EQ(scene.lights[1].track[9].position[1], 3.0f);
    EXPECT_EQ(scene.objects[0].MaterialRef(), 3);
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(AseReaderTest, FilesWithoutBlocksGiveEmptyArrays) {
    Scene scene;
    Load("*3DSMAX_ASCIIEXPORT\t200\n*COMMENT \"vacio\"\n", scene);
    EXPECT_TRUE(scene.objectsCreated && scene.camerasCreated && scene.lightsCreated);
    EXPECT_EQ(scene.ObjectCount() + scene.CameraCount() + scene.LightCount(), 0u);
    EXPECT_FALSE(scene.materialsCreated);
    EXPECT_EQ(LogText(), ExpectedLog("escena.ase", "", "0 Objetos - 0 Materiales - 0 Camaras - 0 Luces."));
}

TEST_F(AseReaderTest, AFileEndingInsideAWordStopsAtItsLastByte) {
    // No line end after the last word (a cut file, or bytes that are not text):
    // the scan stops at the file's end, not past it.
    Scene scene;
    Load("*3DSMAX_ASCIIEXPORT\t200\n*COMMENT", scene);
    EXPECT_EQ(scene.ObjectCount(), 0u);
    Scene binary;
    Load(std::string("\x01\x02HBIN\x7f\x80", 8), binary);
    EXPECT_EQ(binary.ObjectCount(), 0u);
}

TEST_F(AseReaderTest, AMaterialListWithoutItsCountEndsAtTheEndOfTheFile) {
    Scene scene;
    Load("*MATERIAL_LIST {\n\t*MATERIAL 0 {\n\t}\n}\n" + GeomObject(""), scene);
    EXPECT_FALSE(scene.materialsCreated);
    EXPECT_EQ(scene.ObjectCount(), 1u);  // announced by the first pass, never read
    EXPECT_STREQ(scene.objects[0].name, "");
}

TEST_F(AseReaderTest, TruncatedFilesStopInsideAnyBlockAndKeepWhatWasStored) {
    const std::string text = RealExport();
    for (size_t length = 0; length < text.size(); length += 37) {
        Scene scene;
        Load(text.substr(0, length), scene);
        EXPECT_LE(scene.ObjectCount(), 4u);
    }
    Platform::ClearMessageBoxes();

    // Cut inside the second geometry object: the first one is complete.
    const size_t cut = text.find("*MESH_FACE_LIST", text.find("Cristal01"));
    Scene scene;
    Load(text.substr(0, cut), scene);
    ASSERT_EQ(scene.ObjectCount(), 2u);
    EXPECT_STREQ(scene.objects[0].name, "Suelo01");
    EXPECT_EQ(scene.objects[0].FaceCount(), 2u);
    EXPECT_EQ(scene.MaterialCount(), 3u);
    // Read up to where the file ends, the second object is kept too, with
    // its faces pointing into its own vertices.
    const SceneObject& glass = scene.objects[1];
    EXPECT_STREQ(glass.name, "Cristal01");
    ASSERT_EQ(glass.VertexCount(), 3u);
    ASSERT_EQ(glass.FaceCount(), 1u);
    EXPECT_EQ(glass.faces[0].va, &glass.vertices[0]);
}

TEST_F(AseReaderTest, AbsurdCountsAreBoundedByTheFileSize) {
    // The material list comes last: its reader runs on to the end of the file.
    const std::string text = std::string("*SCENE {\n\t*SCENE_LASTFRAME 2000000000\n}\n") +
                             GeomObject("\t*MESH_NUMVERTEX 2000000000\n\t*MESH_NUMFACES -5\n"
                                        "\t*MESH_NUMTVERTEX 2000000000\n\t*MESH_NUMTVFACES 2000000000\n") +
                             "*CAMERAOBJECT {\n\t*CONTROL_POS_TRACK {\n\t}\n}\n" +
                             "*LIGHTOBJECT {\n\t*CONTROL_POS_TRACK {\n\t}\n}\n" +
                             "*MATERIAL_LIST {\n\t*MATERIAL_COUNT 2000000000\n}\n";
    Scene scene;
    Load(text, scene);
    EXPECT_LE(scene.MaterialCount(), text.size());
    ASSERT_EQ(scene.ObjectCount(), 1u);
    EXPECT_LE(scene.objects[0].VertexCount(), text.size() / 14);
    EXPECT_EQ(scene.objects[0].FaceCount(), 0u);
    EXPECT_LE(scene.objects[0].TexVertexCount(), text.size() / 13);
    // Tracks share one sample budget per import.
    EXPECT_LE(scene.cameras[0].SampleCount(), uint32_t(1) << 20);
    EXPECT_EQ(scene.lights[0].SampleCount(), 1u);
    const std::string log = LogText();
    EXPECT_NE(log.find("*MESH_NUMVERTEX 2000000000"), std::string::npos);
    EXPECT_NE(log.find("*MATERIAL_COUNT 2000000000"), std::string::npos);
    EXPECT_NE(log.find("*MESH_NUMFACES -5"), std::string::npos);
    EXPECT_NE(log.find("Pista de 2000000001 muestras"), std::string::npos);
}

// The records a file's counts make the reader create never take more than 48
// times the file's size (the text itself, held while reading, included), as
// long as its tracks stay within the fixed sample allowance.
TEST_F(AseReaderTest, CountsCannotMakeMemoryOutgrowTheFile) {
    const std::string materials = "*MATERIAL_LIST {\n\t*MATERIAL_COUNT 2000000000\n";
    std::string objects;
    while (objects.size() < 2 * 1024 * 1024) {
        objects += "*GEOMOBJECT\n";
    }
    const std::string padding(2 * 1024 * 1024, ' ');
    // Materials alone; objects alone; a material list running on over the
    // objects, which must not both claim the same bytes.
    for (const std::string& text : {materials + padding + "\n", objects, materials + objects}) {
        Platform::ClearMessageBoxes();
        const size_t before = Platform::HeapBytesInUse();
        Scene scene;
        Load(text, scene);
        const size_t held = Platform::HeapBytesInUse() - before;
        EXPECT_LE(held + text.size(), 48 * text.size());
        EXPECT_GT(scene.ObjectCount() + scene.MaterialCount(), 50000u) << "the blocks the file can hold are kept";
    }
    Platform::ClearMessageBoxes();
}

TEST_F(AseReaderTest, ManyObjectsCannotTogetherAnnounceMoreThanTheFileHolds) {
    std::string text;
    for (int i = 0; i < 300; ++i) {
        text += GeomObject(
            "\t*MESH_NUMVERTEX 2000000000\n\t*MESH_NUMFACES 2000000000\n"
            "\t*MESH_NUMTVERTEX 2000000000\n\t*MESH_NUMTVFACES 2000000000\n");
    }
    Scene scene;
    Load(text, scene);
    ASSERT_EQ(scene.ObjectCount(), 300u);
    uint64_t elements = 0;
    for (uint32_t i = 0; i < scene.ObjectCount(); ++i) {
        const SceneObject& object = scene.objects[i];
        elements += uint64_t(object.VertexCount()) + object.FaceCount() + object.TexVertexCount() +
                    object.TexFaceCount();
    }
    // Each element stands for a line of a dozen bytes or more.
    EXPECT_LE(elements, text.size() / 12);
}

TEST_F(AseReaderTest, CornersOutsideTheirArraysAreClampedIntoThem) {
    const std::string text = GeomObject(
        "\t*MESH_NUMVERTEX 3\n\t*MESH_NUMFACES 3\n"
        "\t*MESH_FACE 0: A: 0 B: 7 C: -2\n"
        "\t*MESH_NUMTVERTEX 2\n\t*MESH_NUMTVFACES 1\n\t*MESH_TFACE 0 5 1 0\n") +
        GeomObject("\t*MESH_NUMFACES 1\n\t*MESH_FACE 0: A: 1 B: 2 C: 3\n");
    Scene scene;
    Load(text, scene);
    const SceneObject& object = scene.objects[0];
    EXPECT_EQ(object.faces[0].b, 2);
    EXPECT_EQ(object.faces[0].c, 0);
    EXPECT_EQ(object.faces[0].vb, &object.vertices[2]);
    EXPECT_EQ(object.faces[0].vc, &object.vertices[0]);
    // Faces no line filled point at vertex 0.
    EXPECT_EQ(object.faces[2].va, &object.vertices[0]);
    EXPECT_EQ(object.texFaces[0].a, 1);
    EXPECT_EQ(object.texFaces[0].ta, &object.texVertices[1]);
    // Without vertices there is nothing to point at.
    const SceneObject& bare = scene.objects[1];
    EXPECT_EQ(bare.faces[0].a, 0);
    EXPECT_EQ(bare.faces[0].va, nullptr);
    EXPECT_NE(LogText().find("se ajustan al vector"), std::string::npos);
    EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(AseReaderTest, ElementsBeyondTheirCountShowTwoBoxesEach) {
    Scene scene;
    Load(GeomObject("\t*MESH_NUMVERTEX 1\n\t*MESH_VERTEX 0 1 2 3\n\t*MESH_VERTEX 1 4 5 6\n"
                    "\t*MESH_NUMTVERTEX 0\n\t*MESH_TVERT 0 0.5 0.5 0\n"),
         scene);
    const std::vector<Box> expected{
        {"Acceso fuera del vector IMPEDIDO.\nSe ha truncado el acceso.", "Error de acceso"},
        {"Acceso fuera del vector IMPEDIDO", "Error de acceso"},
        {"Acceso fuera del vector IMPEDIDO.\nSe ha truncado el acceso.", "Error de acceso"},
        {"Acceso fuera del vector IMPEDIDO", "Error de acceso"},
    };
    EXPECT_EQ(TakeBoxes(), expected);
    EXPECT_FLOAT_EQ(scene.objects[0].vertices[0].position[0], 1.0f);
}

TEST_F(AseReaderTest, QuotedNamesAreTheRestOfTheLineCutToFit) {
    const std::string longName(150, 'x');
    Scene scene;
    Load(GeomObject("\t*NODE_NAME \"segundo\"\n") + "*GEOMOBJECT {\n\t*NODE_NAME \"Mi caja {1}\"\n}\n" +
             "*GEOMOBJECT {\n\t*NODE_NAME \"" + longName + "\"\n}\n",
         scene);
    ASSERT_EQ(scene.ObjectCount(), 3u);
    EXPECT_STREQ(scene.objects[0].name, "Obj");  // only the first name counts
    EXPECT_STREQ(scene.objects[1].name, "Mi caja {1}");
    EXPECT_EQ(std::string(scene.objects[2].name), longName.substr(0, 99));
}

using AseReaderDeathTest = AseReaderTest;

TEST_F(AseReaderDeathTest, AMissingFileIsLoggedAndEndsWithStatus1) {
    std::remove("error_log.txt");
    Scene scene;
    AseReader reader;
    EXPECT_EXIT(reader.Read("no_existe.ase", scene), ::testing::ExitedWithCode(1), "");
    EXPECT_EQ(LogText(),
              "\nLECTOR DE FICHEROS ASE v0.5 by Dralven / Brassmoor Team\n]> Comenzada la lectura del fichero .ASE\n"
              "]> LEYENDO FICHERO ASE: [ no_existe.ase ]\n"
              "]> ** ERROR ** El fichero [ no_existe.ase ] no se encuentra. **\n");
}

TEST_F(AseReaderDeathTest, AnElementBeforeItsCountLineEndsWithStatus1) {
    Scene scene;
    EXPECT_EXIT(Load(GeomObject("\t*MESH_VERTEX 0 1 2 3\n"), scene), ::testing::ExitedWithCode(1),
                "No esta iniciado el vector de vertices");
    EXPECT_EXIT(Load(GeomObject("\t*MESH_FACENORMAL 0 0 0 1\n"), scene), ::testing::ExitedWithCode(1),
                "No esta iniciado el vector de caras");
}

// A harness that reads many files in one process takes the ending over
// (ExitProcess): the object being read gives its arrays back first, so the
// ending leaves nothing held.
jmp_buf endingJump;

TEST_F(AseReaderTest, AnEndingTakenOverLeavesNothingHeld) {
    Platform::SetExitHandler([](unsigned status) { longjmp(endingJump, static_cast<int>(status) + 1); });
    const std::string text = GeomObject("\t*MESH_NUMVERTEX 100000\n\t*MESH_FACENORMAL 0 0 0 1\n") +
                             std::string(2 * 1024 * 1024, ' ') + "\n";
    dir.Write("escena.ase", text);
    const size_t before = Platform::HeapBytesInUse();
    Scene* scene = new Scene();
    AseReader* reader = new AseReader();
    int ended = setjmp(endingJump);
    if (ended == 0) {
        reader->Read("escena.ase", *scene);
    }
    delete reader;
    scene->Release();
    delete scene;
    Platform::SetExitHandler(nullptr);
    EXPECT_EQ(ended, 2) << "ended with status 1";
    // 100000 vertices would hold 5.6 MB; a box and the log's last text remain.
    EXPECT_LT(Platform::HeapBytesInUse(), before + 64 * 1024);
    EXPECT_EQ(Platform::MessageBoxes().back().text, "No esta iniciado el vector de caras");
}

}  // namespace
