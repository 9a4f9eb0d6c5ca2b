// What the ASE reader tests share: a temporary working directory, reading a
// text as a scene file with a fresh log, the realistic export, and geometry
// objects made of a few lines.
#ifndef HALVENOR_TESTS_SCENE_ASEREADERTEST_H
#define HALVENOR_TESTS_SCENE_ASEREADERTEST_H

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/MessageBox.h"
#include "scene/AseReader.h"
#include "scene/Scene.h"
#include "tests/support/TempDir.h"

namespace TestSupport {

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string RealExport() {
    return ReadFile(std::string(HALVENOR_SOURCE_DIR) + "/tests/scene/data/realistic.ase");
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

inline std::string GeomObject(const std::string& lines) {
    return "*GEOMOBJECT {\n\t*NODE_NAME \"Obj\"\n" + lines + "}\n";
}

}  // namespace TestSupport

#endif
