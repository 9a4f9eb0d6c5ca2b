#include "fx2d/ConsoleText.h"

#include <gtest/gtest.h>

#include <string>

TEST(ConsoleText, TypedCharactersGoBeforeTheCursorAndCommitMovesTheLineIntoTheHistory) {
    ConsoleText text;
    EXPECT_STREQ(text.Input(), ": _");
    text.AppendChar('c');
    text.AppendChar('d');
    EXPECT_STREQ(text.Input(), ": cd_");
    text.Commit();
    ASSERT_EQ(text.LineCount(), 1);
    EXPECT_STREQ(text.Line(0), ": cd");
    EXPECT_STREQ(text.Input(), ": _");
}

TEST(ConsoleText, TheHistoryKeepsTheTenNewestLines) {
    ConsoleText text;
    for (int i = 1; i <= 11; ++i) {
        text.AddLine(("line " + std::to_string(i)).c_str());
    }
    ASSERT_EQ(text.LineCount(), 10);
    EXPECT_STREQ(text.Line(0), "line 2");
    EXPECT_STREQ(text.Line(9), "line 11");
    EXPECT_EQ(text.Line(10), nullptr);
    EXPECT_EQ(text.Line(-1), nullptr);
}

TEST(ConsoleText, InputBeyondSeventySixCharactersIsIgnored) {
    ConsoleText text;
    for (int i = 0; i < 100; ++i) {
        text.AppendChar('x');
    }
    const std::string input = text.Input();
    EXPECT_EQ(input, ": " + std::string(76, 'x') + "_");
    text.Commit();
    EXPECT_EQ(std::string(text.Line(0)), ": " + std::string(76, 'x'));
}
