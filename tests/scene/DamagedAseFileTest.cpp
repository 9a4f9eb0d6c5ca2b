// ASE import of damaged and hostile files: files cut inside a word or a
// block, absurd counts bounded by the file's size and its memory, corners
// and elements outside their arrays, files that end the process, and an
// ending taken over by a harness.
#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/HeapUse.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"
#include "scene/AseReader.h"
#include "scene/Scene.h"
#include "tests/scene/AseReaderTest.h"
#include "tests/support/TestBoxes.h"

namespace {

using TestSupport::AseReaderTest;
using TestSupport::Box;
using TestSupport::GeomObject;
using TestSupport::RealExport;
using TestSupport::TakeBoxes;

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
