// Binary scene files: gathering a scene's textures into texturas/ as it is
// written, the report beside the file, and writes that fail (folders that
// are missing, a full disk, names that are no regular file).
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <cstdint>
#include <cstdio>
#include <string>

#include "scene/BinarySceneFile.h"
#include "scene/Scene.h"
#include "tests/scene/BinarySceneFileTest.h"

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

using TestSupport::BinarySceneFileTest;

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

}  // namespace
