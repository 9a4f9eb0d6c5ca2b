// ASE import, how the text is read: UTF-16 and CR LF files against their
// 8-bit twins, the scanf-like argument reads, decimals, tokens passed over,
// what follows a face on its line, and quoted names.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "scene/Scene.h"
#include "tests/scene/AseReaderTest.h"
#include "tests/support/TestBoxes.h"

namespace {

using TestSupport::AseReaderTest;
using TestSupport::GeomObject;
using TestSupport::RealExport;
using TestSupport::TakeBoxes;

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

}  // namespace
