// Binary scene files: a file laid out byte by byte from the record layouts,
// a loaded file drawn, and write-and-read round trips.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "core/Display.h"
#include "core/Engine.h"
#include "glext/GlExtensions.h"
#include "scene/AseReader.h"
#include "scene/BinarySceneFile.h"
#include "scene/Scene.h"
#include "tests/scene/BinarySceneBytes.h"
#include "tests/scene/BinarySceneFileTest.h"
#include "tests/support/GlTestContext.h"
#include "tests/support/TestDisplay.h"
#include "tests/support/TestBoxes.h"

namespace {

using TestSupport::BinarySceneFileTest;
using TestSupport::GlTestContext;
using TestSupport::HandBuiltScene;
using TestSupport::TakeBoxes;

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

}  // namespace
