#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "tests/support/TempDir.h"

using TestSupport::TempDir;

// A name from a show file opens only a regular file: "-" is not standard
// input, and devices, FIFOs and directories are refused without blocking.
TEST(FileSystem, OnlyRegularFilesOpen) {
    TestSupport::TempDir dir;
    for (const char* mode : {"r", "rb", "a"}) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(Platform::OpenFile("-", "r"), nullptr);
        EXPECT_EQ(Platform::OpenFile("/dev/stdin", mode), nullptr);
        EXPECT_EQ(Platform::OpenFile("/dev/zero", mode), nullptr);
        EXPECT_EQ(Platform::OpenFile(".", mode), nullptr);
    }
    ASSERT_EQ(mkfifo(dir.File("tuberia.txt").c_str(), 0600), 0);
    EXPECT_EQ(Platform::OpenFile("tuberia.txt", "r"), nullptr);
    EXPECT_EQ(Platform::OpenFile("Tuberia.TXT", "a"), nullptr);
    EXPECT_EQ(Platform::OpenRegularFile("tuberia.txt"), -1);
    dir.Write("-", "guion\n");
    FILE* file = Platform::OpenFile("-", "r");
    ASSERT_NE(file, nullptr);
    char line[16];
    EXPECT_STREQ(Platform::ReadTextLine(line, sizeof line, file), "guion\n");
    std::fclose(file);
    const int descriptor = Platform::OpenRegularFile("-");
    EXPECT_GE(descriptor, 0);
    close(descriptor);
    // Writing creates a new file as before.
    file = Platform::OpenFile("nuevo.txt", "a");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    EXPECT_TRUE(dir.Exists("nuevo.txt"));
}

TEST(FileSystem, ResolvesBackslashesAndLetterCaseOfEveryComponent) {
    TempDir dir;
    dir.Write("Texturas/Sub/Wall.JPG", "x");
    EXPECT_EQ(Platform::ResolvePath("Texturas/Sub/Wall.JPG"), "Texturas/Sub/Wall.JPG");
    EXPECT_EQ(Platform::ResolvePath("texturas\\sub\\wall.jpg"), "Texturas/Sub/Wall.JPG");
    EXPECT_EQ(Platform::ResolvePath("TEXTURAS/SUB/WALL.jpg"), "Texturas/Sub/Wall.JPG");
    FILE* file = Platform::OpenFile("texturas\\SUB\\wall.jpg", "rb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
}

TEST(FileSystem, KeepsComponentsThatMatchNothingAsWritten) {
    TempDir dir;
    dir.Write("Shows/a.txt", "x");
    EXPECT_EQ(Platform::ResolvePath("shows\\New.txt"), "Shows/New.txt");
    EXPECT_EQ(Platform::ResolvePath("missing\\dir\\file"), "missing/dir/file");
    FILE* created = Platform::OpenFile("SHOWS\\created.txt", "w");
    ASSERT_NE(created, nullptr);
    std::fclose(created);
    EXPECT_TRUE(dir.Exists("Shows/created.txt"));
}

TEST(FileSystem, TextLinesDropTheCarriageReturnOfCrlfOnly) {
    TempDir dir;
    dir.Write("t.txt", "one\r\ntwo\rthree\nlast");
    FILE* file = Platform::OpenFile("t.txt", "r");
    ASSERT_NE(file, nullptr);
    char line[64];
    ASSERT_NE(Platform::ReadTextLine(line, sizeof line, file), nullptr);
    EXPECT_STREQ(line, "one\n");
    ASSERT_NE(Platform::ReadTextLine(line, sizeof line, file), nullptr);
    EXPECT_STREQ(line, "two\rthree\n");
    ASSERT_NE(Platform::ReadTextLine(line, sizeof line, file), nullptr);
    EXPECT_STREQ(line, "last");
    EXPECT_TRUE(std::feof(file));
    EXPECT_EQ(Platform::ReadTextLine(line, sizeof line, file), nullptr);
    std::fclose(file);
}

TEST(FileSystem, TextLinesSplitAtTheLimitCountingTranslatedCharacters) {
    TempDir dir;
    dir.Write("t.txt", "abcd\r\nefghij\r\n");
    FILE* file = Platform::OpenFile("t.txt", "r");
    ASSERT_NE(file, nullptr);
    char line[6];
    ASSERT_NE(Platform::ReadTextLine(line, sizeof line, file), nullptr);
    EXPECT_STREQ(line, "abcd\n");
    ASSERT_NE(Platform::ReadTextLine(line, sizeof line, file), nullptr);
    EXPECT_STREQ(line, "efghi");
    ASSERT_NE(Platform::ReadTextLine(line, sizeof line, file), nullptr);
    EXPECT_STREQ(line, "j\n");
    std::fclose(file);
}

TEST(FileSystem, TextModeConversionOfWholeFiles) {
    std::string text = "a\r\nb\r\r\nc\r";
    Platform::ToTextMode(text);
    EXPECT_EQ(text, "a\nb\r\nc\r");
}

// Temporary files never take an existing name, keep their prefix and ending,
// and a file's stamp changes when it is rewritten in place.
TEST(FileSystem, TemporaryFilesAndStamps) {
    TempDir dir;
    const std::string first = Platform::MakeTemporaryFile(dir.Path(), "parte-", ".wav");
    const std::string second = Platform::MakeTemporaryFile(dir.Path(), "parte-", ".wav");
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second);
    EXPECT_EQ(first.compare(0, dir.Path().size() + 7, dir.Path() + "/parte-"), 0);
    EXPECT_EQ(first.substr(first.size() - 4), ".wav");
    EXPECT_TRUE(Platform::IsRegularFile(first));
    EXPECT_TRUE(Platform::MakeTemporaryFile(dir.File("no/such"), "x", ".y").empty());

    dir.Write("a.txt", "uno");
    Platform::FileStamp before;
    Platform::FileStamp after;
    ASSERT_TRUE(Platform::StampOf("a.txt", before));
    dir.Write("a.txt", "dos!");
    ASSERT_TRUE(Platform::StampOf("a.txt", after));
    EXPECT_EQ(after.size, 4);
    EXPECT_EQ(before.inode, after.inode);
    EXPECT_FALSE(Platform::StampOf(".", after));
    EXPECT_TRUE(Platform::SameFile("a.txt", "./a.txt"));
    EXPECT_FALSE(Platform::SameFile("a.txt", first));
}
