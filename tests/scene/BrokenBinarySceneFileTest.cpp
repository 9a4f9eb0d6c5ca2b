// Binary scene files that are broken: cut short, absurd or negative counts,
// odd map counts, unterminated names, adjacency counts that do not add up,
// and a file that cannot be opened.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "scene/AseReader.h"
#include "scene/BinarySceneFile.h"
#include "scene/Scene.h"
#include "tests/scene/BinarySceneBytes.h"
#include "tests/scene/BinarySceneFileTest.h"
#include "tests/support/TestBoxes.h"

namespace {

using TestSupport::BinarySceneFileTest;
using TestSupport::Bytes;
using TestSupport::HandBuiltScene;
using TestSupport::Header;
using TestSupport::kMaterialsEnd;
using TestSupport::LightKeyRecord;
using TestSupport::MapRecord;
using TestSupport::MaterialRecord;
using TestSupport::TakeBoxes;

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
