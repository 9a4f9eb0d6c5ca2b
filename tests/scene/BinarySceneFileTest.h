// What the binary scene file tests share: a temporary working directory,
// and reading bytes as a scene file with a fresh log.
#ifndef HALVENOR_TESTS_SCENE_BINARYSCENEFILETEST_H
#define HALVENOR_TESTS_SCENE_BINARYSCENEFILETEST_H

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/MessageBox.h"
#include "scene/BinarySceneFile.h"
#include "scene/Scene.h"
#include "tests/support/TempDir.h"

namespace TestSupport {

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

}  // namespace TestSupport

#endif
