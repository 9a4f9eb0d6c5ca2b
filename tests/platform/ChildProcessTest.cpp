#include "platform/ChildProcess.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/FileSystem.h"
#include "tests/support/TempDir.h"

using TestSupport::TempDir;

// What is written to a child's input reaches it whole, its end is seen once
// the input closes, and its exit status comes back.
TEST(ChildProcess, FeedsTheInputOfAChild) {
    TempDir dir;
    Platform::ChildProcess child;
    std::string error;
    ASSERT_TRUE(child.StartWithInput({"/bin/sh", "-c", "cat > fed.bin; exit 3"}, error)) << error;
    std::string bytes(300000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7);
    }
    EXPECT_TRUE(child.WriteInput(bytes.data(), bytes.size()));
    child.CloseInput();
    EXPECT_EQ(child.Wait(), 3);
    EXPECT_EQ(dir.Read("fed.bin"), bytes);
    EXPECT_FALSE(child.WriteInput("x", 1));
}

// A program run to its end works in the directory it is given, and a
// program that does not exist is a failure, not a hang.
TEST(ChildProcess, RunsAProgramToItsEndElsewhere) {
    TempDir dir;
    TempDir other(false);
    EXPECT_EQ(Platform::ChildProcess::RunToEnd({"/bin/sh", "-c", "echo dentro > aqui.txt; exit 5"}, other.Path(), true),
              5);
    EXPECT_TRUE(other.Exists("aqui.txt"));
    EXPECT_FALSE(dir.Exists("aqui.txt"));
    EXPECT_NE(Platform::ChildProcess::RunToEnd({"/no/such/program"}, std::string(), true), 0);
    EXPECT_FALSE(Platform::FindProgram("sh").empty());
    EXPECT_TRUE(Platform::FindProgram("no-such-program-here").empty());
}
