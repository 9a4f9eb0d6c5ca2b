#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TempDir.h"

using TestSupport::TempDir;

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
