#include "config/PreconfigLine.h"

#include <gtest/gtest.h>

#include <string>

TEST(PreconfigLine, SplitsAtRunsOfSpacesAndCutsTheLineFeedFromTheLastWord) {
    const PreconfigLine line("LOAD   ESCENA_ASE  escena.ase    Intro\n");
    EXPECT_STREQ(line.Command(), "LOAD");
    EXPECT_STREQ(line.Kind(), "ESCENA_ASE");
    ASSERT_EQ(line.ArgCount(), 2);
    EXPECT_STREQ(line.Arg(1), "escena.ase");
    EXPECT_STREQ(line.Arg(2), "Intro");
    EXPECT_STREQ(line.Arg(3), "");
}

TEST(PreconfigLine, TabsBelongToWordsAndKeywordsMatchInAnyCase) {
    const PreconfigLine line("load\tdisplay 640\n");
    EXPECT_STREQ(line.Command(), "load\tdisplay");
    EXPECT_FALSE(line.CommandIs("LOAD"));

    const PreconfigLine lower("sEt escena Name\tX clear\n");
    EXPECT_TRUE(lower.CommandIs("SET"));
    EXPECT_TRUE(lower.KindIs("ESCENA"));
    EXPECT_STREQ(lower.Arg(1), "Name\tX");
}

TEST(PreconfigLine, ALineWithoutArgumentsKeepsTheFeedOnItsKind) {
    const PreconfigLine line("LOAD DISPLAY\n");
    EXPECT_STREQ(line.Kind(), "DISPLAY\n");
    EXPECT_FALSE(line.KindIs("DISPLAY"));
    EXPECT_EQ(line.ArgCount(), 0);
}

TEST(PreconfigLine, ATrailingSpaceLeavesAnEmptyLastArgument) {
    const PreconfigLine line("LOAD DISPLAY 640 480 32 YES \n");
    ASSERT_EQ(line.ArgCount(), 5);
    EXPECT_STREQ(line.Arg(4), "YES");
    EXPECT_STREQ(line.Arg(5), "");
}

TEST(PreconfigLine, NumbersUseTheStandardConversions) {
    const PreconfigLine line("SET ESCENA s FOG 10 500.5 abc -3\n");
    EXPECT_EQ(line.IntArg(3), 10);
    EXPECT_FLOAT_EQ(line.FloatArg(4), 500.5f);
    EXPECT_FLOAT_EQ(line.FloatArg(5), 0.0f);
    EXPECT_EQ(line.IntArg(6), -3);
}

TEST(PreconfigLine, ExtraWordsAreIgnoredAndLongWordsCutToFit) {
    std::string text = "SET LAYER2D";
    for (int i = 1; i <= 14; ++i) {
        text += " w" + std::to_string(i);
    }
    text += "\n";
    const PreconfigLine many(text.c_str());
    ASSERT_EQ(many.ArgCount(), PreconfigLine::kMaxArgs);
    EXPECT_STREQ(many.Arg(10), "w10");

    const std::string longWord(300, 'x');
    const PreconfigLine cut(("LOAD SOUND " + longWord + "\n").c_str());
    EXPECT_EQ(std::string(cut.Arg(1)), std::string(PreconfigLine::kWordSize - 1, 'x'));
}

TEST(PreconfigLine, CommentsAreLinesWhoseFirstWordIsTwoSlashes) {
    EXPECT_TRUE(PreconfigLine("// LOAD DISPLAY 640 480 32 NO\n").IsComment());
    EXPECT_FALSE(PreconfigLine("//LOAD DISPLAY 640 480 32 NO\n").IsComment());
    EXPECT_FALSE(PreconfigLine("//LOAD DISPLAY 640 480 32 NO\n").CommandIs("LOAD"));
}
