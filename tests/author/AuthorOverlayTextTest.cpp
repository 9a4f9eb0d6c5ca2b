// What the author overlay says, without drawing it: the time and speed
// formats, which lines appear in which tone, and cutting UTF-8 text to a width.
#include "author/AuthorOverlayText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

AuthorOverlayInfo FullInfo() {
    AuthorOverlayInfo info;
    info.status.time = 83.4567;
    info.status.paused = true;
    info.status.speed = 0.5;
    info.status.loopSet = true;
    info.status.loopStart = 10.0;
    info.status.loopEnd = 20.5;
    info.status.fps = 59.94;
    info.status.findings = 3;
    info.frameMs = 16.68;
    info.scene = "intro";
    info.camera = 2;
    info.musicPosition = "03:12";
    for (int i = 1; i <= 7; ++i) {
        info.events.push_back({i * 10, "FADE\tlayer " + std::to_string(i)});
    }
    return info;
}

}  // namespace

TEST(AuthorOverlayTextTest, TimesRoundToTheMillisecondAndMinutesGrow) {
    EXPECT_EQ(AuthorOverlayText::Time(0.0), "0:00.000");
    EXPECT_EQ(AuthorOverlayText::Time(59.9995), "1:00.000");
    EXPECT_EQ(AuthorOverlayText::Time(59.9994), "0:59.999");
    EXPECT_EQ(AuthorOverlayText::Time(754.321), "12:34.321");
    EXPECT_EQ(AuthorOverlayText::Time(6000.0), "100:00.000");
    EXPECT_EQ(AuthorOverlayText::Time(-1.5), "-0:01.500");
    EXPECT_EQ(AuthorOverlayText::Time(std::nan("")), "-:--.---");
    EXPECT_EQ(AuthorOverlayText::Time(1e300), "-:--.---");
}

TEST(AuthorOverlayTextTest, SpeedsReadAsFractionsAndMultiples) {
    EXPECT_EQ(AuthorOverlayText::Speed(0.25), "\xC2\xBC\xC3\x97");
    EXPECT_EQ(AuthorOverlayText::Speed(0.5), "\xC2\xBD\xC3\x97");
    EXPECT_EQ(AuthorOverlayText::Speed(1.0), "1\xC3\x97");
    EXPECT_EQ(AuthorOverlayText::Speed(2.0), "2\xC3\x97");
    EXPECT_EQ(AuthorOverlayText::Speed(0.75), "0.75\xC3\x97");
}

TEST(AuthorOverlayTextTest, LinesShowEveryFieldAndOnlyTheLastFiveEvents) {
    const std::vector<AuthorOverlayLine> lines = AuthorOverlayText::Lines(FullInfo());
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0].text, "1:23.457  [03:12]  paused \xC2\xBD\xC3\x97");
    EXPECT_EQ(lines[1].text, "16.7 ms  59.9 fps  loop 0:10.000\xE2\x80\x93" "0:20.500");
    EXPECT_EQ(lines[2].text, "scene intro  camera 2");
    EXPECT_EQ(lines[3].text, "3 problems");
    EXPECT_EQ(lines[3].tone, AuthorOverlayTone::kWarning);
    // Oldest first; tabs of the script read as spaces.
    EXPECT_EQ(lines[4].text, "   30  FADE layer 3");
    EXPECT_EQ(lines[8].text, "   70  FADE layer 7");
}

TEST(AuthorOverlayTextTest, QuietShowHasNoWarningsAndFindingsAreCounted) {
    AuthorOverlayInfo info;
    std::vector<AuthorOverlayLine> lines = AuthorOverlayText::Lines(info);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, "0:00.000  playing 1\xC3\x97");
    EXPECT_EQ(lines[1].text, "0.0 ms  0.0 fps  loop off");
    EXPECT_EQ(lines[3].text, "0 problems");
    EXPECT_NE(lines[3].tone, AuthorOverlayTone::kWarning);

    info.status.reloadOk = false;
    for (int i = 0; i < 6; ++i) {
        info.findings.push_back("guion.txt:" + std::to_string(i + 1) + ": error: unknown command");
    }
    lines = AuthorOverlayText::Lines(info);
    ASSERT_EQ(lines.size(), 4u + AuthorOverlayText::kMaxFindings + 1);
    EXPECT_EQ(lines[3].text, "0 problems  reload failed");
    EXPECT_EQ(lines[3].tone, AuthorOverlayTone::kWarning);
    EXPECT_EQ(lines[4].text, "guion.txt:1: error: unknown command");
    EXPECT_EQ(lines[4].tone, AuthorOverlayTone::kWarning);
    EXPECT_EQ(lines.back().text, "2 more");
}

TEST(AuthorOverlayTextTest, LongLinesWrapAtSpacesIndentedAndLongWordsBreak) {
    using Rows = std::vector<std::string>;
    EXPECT_EQ(AuthorOverlayText::Wrap("short", 10), Rows{"short"});
    EXPECT_EQ(AuthorOverlayText::Wrap("", 10), Rows{""});
    EXPECT_EQ(AuthorOverlayText::Wrap("abc", 0), Rows{});
    // The space right past the room is a break too; spaces at a break go,
    // those inside a row stay.
    EXPECT_EQ(AuthorOverlayText::Wrap("guion.txt:3: error:  no such layer", 12),
              (Rows{"guion.txt:3:", "  error:  no", "  such layer"}));
    // A word longer than a row is cut where the row ends, counting
    // characters, not bytes (½ is two bytes).
    EXPECT_EQ(AuthorOverlayText::Wrap("\xC2\xBD" "bcdefghij k", 4),
              (Rows{"\xC2\xBD" "bcd", "  ef", "  gh", "  ij", "  k"}));
    // Nothing is lost: every row within its room, the words all there.
    const std::string finding =
        "escena.ase:1204: error: the object's faces come before their count, so the scene cannot be read";
    std::string joined;
    for (const std::string& row : AuthorOverlayText::Wrap(finding, 30)) {
        EXPECT_LE(row.size(), 30u) << row;
        joined += (joined.empty() ? "" : " ") + row.substr(row.find_first_not_of(' '));
    }
    EXPECT_EQ(joined, finding);
}

TEST(AuthorOverlayTextTest, AReloadNoticeIsABrightLineUnderTheProblems) {
    AuthorOverlayInfo info;
    info.notice = "reloaded (script)";
    const std::vector<AuthorOverlayLine> lines = AuthorOverlayText::Lines(info);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[4].text, "reloaded (script)");
    EXPECT_EQ(lines[4].tone, AuthorOverlayTone::kBright);
}

TEST(AuthorOverlayTextTest, CuttingCountsCharactersNotBytes) {
    EXPECT_EQ(AuthorOverlayText::FitColumns("abc", 3), "abc");
    EXPECT_EQ(AuthorOverlayText::FitColumns("abcdef", 4), "abc\xE2\x80\xA6");
    EXPECT_EQ(AuthorOverlayText::FitColumns("\xC2\xBD\xC3\x97xyz", 3), "\xC2\xBD\xC3\x97\xE2\x80\xA6");
    EXPECT_EQ(AuthorOverlayText::FitColumns("abc", 0), "");
    // A stray byte, a cut-short sequence and an overlong one each read as '?'.
    const std::vector<uint32_t> codes = AuthorOverlayText::CodePoints("a\x80" "b\xE2\x80" "c\xC0\xAF");
    EXPECT_EQ(codes, (std::vector<uint32_t>{'a', '?', 'b', '?', '?', 'c', '?', '?'}));
}
