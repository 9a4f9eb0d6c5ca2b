// The timeline file: line rules, sorting, handing out and the markers appended
// at exit.
#include "config/Script.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/Engine.h"
#include "tests/support/TempDir.h"

namespace {

class ScriptTest : public ::testing::Test {
protected:
    Script& LoadText(const std::string& text) {
        dir.Write("show.txt", text);
        script.Load("show.txt");
        return script;
    }
    std::vector<ScriptEvent> Drain() {
        std::vector<ScriptEvent> handed;
        ScriptEvent event = ScriptEvent::Empty();
        while (script.NextEvent(event)) {
            handed.push_back(event);
        }
        return handed;
    }
    TestSupport::TempDir dir;
    Script script;
};

TEST_F(ScriptTest, ReadsEveryWordOfALineAndLeavesMissingOnesUnset) {
    LoadText(
        "12.5 SCENE Land FX_CHANGE_CAM 2\n"
        "3 layer Board fx_resize 1.5 -2.25\n"
        "4 Particle Fire Fx_Show\n"
        "0.000000\n"
        "7 DEMO\n"
        "8 SKY Land FX_FLY 1\n"
        "9 SCENE\tLand FX_SHOW\n");
    ASSERT_EQ(script.Count(), 7);
    EXPECT_EQ(script.capacity, 500);
    EXPECT_EQ(script.markerCount, 0);

    const ScriptEvent& camera = script.EventAt(0);
    EXPECT_FLOAT_EQ(camera.time, 12.5f);
    EXPECT_EQ(camera.target, TARGET_SCENE);
    EXPECT_STREQ(camera.name, "Land");
    EXPECT_EQ(camera.effect, FX_CHANGE_CAM);
    EXPECT_FLOAT_EQ(camera.params[0], 2.0f);
    EXPECT_FLOAT_EQ(camera.params[1], 0.0f);

    const ScriptEvent& resize = script.EventAt(1);
    EXPECT_EQ(resize.target, TARGET_LAYER);
    EXPECT_EQ(resize.effect, FX_RESIZE);
    EXPECT_FLOAT_EQ(resize.params[0], 1.5f);
    EXPECT_FLOAT_EQ(resize.params[1], -2.25f);
    EXPECT_EQ(script.EventAt(2).target, TARGET_PARTICLE);
    EXPECT_EQ(script.EventAt(2).effect, FX_SHOW);

    // A marker line from an earlier run: a time and nothing else.
    const ScriptEvent& marker = script.EventAt(3);
    EXPECT_EQ(marker.time, 0.0f);
    EXPECT_EQ(marker.target, TARGET_NONE);
    EXPECT_STREQ(marker.name, "");
    EXPECT_EQ(marker.effect, FX_NONE);

    EXPECT_EQ(script.EventAt(4).target, TARGET_DEMO);
    EXPECT_EQ(script.EventAt(4).effect, FX_NONE);
    EXPECT_EQ(script.EventAt(5).target, TARGET_NONE);
    EXPECT_EQ(script.EventAt(5).effect, FX_NONE);
    EXPECT_FLOAT_EQ(script.EventAt(5).params[0], 1.0f);
    // A tab belongs to its word, so every later word moves one place left.
    EXPECT_EQ(script.EventAt(6).target, TARGET_NONE);
    EXPECT_STREQ(script.EventAt(6).name, "FX_SHOW");
    EXPECT_EQ(script.EventAt(6).effect, FX_NONE);
}

TEST_F(ScriptTest, KeepsTheFirstTwentyNumbers) {
    std::string line = "1 SCENE A FX_DINAMIC_OBJ";
    for (int i = 1; i <= 23; ++i) {
        line += " " + std::to_string(i);
    }
    LoadText(line + "\n");
    ASSERT_EQ(script.Count(), 1);
    for (int i = 0; i < 20; ++i) {
        EXPECT_FLOAT_EQ(script.EventAt(0).params[i], static_cast<float>(i + 1));
    }
}

TEST_F(ScriptTest, LineBreaksDecideWhatIsALine) {
    // CRLF ends, blank lines, runs of spaces, and a last line without a break.
    LoadText("1 DEMO x FX_BLUR 1\r\n\r\n   \n2  SCENE   Land  FX_SHOW\r\n3 DEMO x FX_STOP");
    ASSERT_EQ(script.Count(), 2);
    EXPECT_FLOAT_EQ(script.EventAt(0).params[0], 1.0f);
    EXPECT_EQ(script.EventAt(1).target, TARGET_SCENE);
    EXPECT_STREQ(script.EventAt(1).name, "Land");
    EXPECT_EQ(script.EventAt(1).effect, FX_SHOW);
}

TEST_F(ScriptTest, ALineLongerThanTheReadLimitReadsAsSeveralLines) {
    std::string first = "5 DEMO x FX_BLUR 1";
    first.resize(Script::kLineLimit, ' ');
    // 254 characters with the line break: one line, its last number kept.
    std::string fits = "6 DEMO x FX_SATURATE 1";
    fits.resize(Script::kLineLimit - 2, ' ');
    LoadText(first + "7.5 DEMO x FX_STOP\n" + fits + "7\n");
    ASSERT_EQ(script.Count(), 3);
    EXPECT_EQ(script.EventAt(0).effect, FX_BLUR);
    EXPECT_FLOAT_EQ(script.EventAt(1).time, 7.5f);
    EXPECT_EQ(script.EventAt(1).effect, FX_STOP);
    EXPECT_EQ(script.EventAt(2).effect, FX_SATURATE);
    EXPECT_FLOAT_EQ(script.EventAt(2).params[1], 7.0f);
}

TEST_F(ScriptTest, HandsOutEventsInTimeOrderKeepingFileOrderForEqualTimes) {
    LoadText(
        "9 DEMO x FX_STOP\n"
        "nan SCENE Late FX_SHOW\n"
        "2 SCENE First FX_SHOW\n"
        "-1 DEMO x FX_BLUR 1\n"
        "2 SCENE Second FX_HIDE\n"
        "2 SCENE Third FX_SHOW\n"
        "0.5 LAYER L FX_SHOW\n");
    script.Sort();
    const std::vector<ScriptEvent> handed = Drain();
    ASSERT_EQ(handed.size(), 7u);
    const float times[] = {-1.0f, 0.5f, 2.0f, 2.0f, 2.0f, 9.0f};
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(handed[i].time, times[i]) << i;
    }
    EXPECT_STREQ(handed[2].name, "First");
    EXPECT_STREQ(handed[3].name, "Second");
    EXPECT_STREQ(handed[4].name, "Third");
    EXPECT_TRUE(std::isnan(handed[6].time));

    // Nothing left: the record is not touched.
    ScriptEvent untouched = ScriptEvent::Empty();
    untouched.time = 42.0f;
    EXPECT_FALSE(script.NextEvent(untouched));
    EXPECT_EQ(untouched.time, 42.0f);
    EXPECT_EQ(untouched.effect, FX_NONE);
}

TEST_F(ScriptTest, AMissingFileIsAnEmptyScriptThatStillTakesMarkers) {
    script.Load("missing.txt");
    EXPECT_EQ(script.Count(), 0);
    EXPECT_EQ(script.capacity, 500);
    ScriptEvent event = ScriptEvent::Empty();
    EXPECT_FALSE(script.NextEvent(event));
    script.AddMarker(1.25f);
    EXPECT_EQ(script.Count(), 1);
    EXPECT_EQ(script.MarkerCount(), 1);
    script.SaveMarkers("missing.txt");
    EXPECT_EQ(dir.Read("missing.txt"), "1.250000\n");
}

TEST_F(ScriptTest, RefusesEventsBeyondFiveHundredWithOneLogLine) {
    std::string text;
    for (int i = 0; i < 510; ++i) {
        text += std::to_string(i) + " DEMO x FX_BLUR 1\n";
    }
    LoadText(text);
    EXPECT_EQ(script.Count(), 500);
    EXPECT_FLOAT_EQ(script.EventAt(499).time, 499.0f);
    EXPECT_EQ(dir.Read("error_log.txt"), "-> Script: demasiados eventos, se ignoran los siguientes.\n");
    // A full script refuses sync markers aloud, at each press and at exit.
    script.AddMarker(3.0f);
    script.AddMarker(4.5f);
    EXPECT_EQ(script.Count(), 500);
    EXPECT_EQ(script.MarkerCount(), 0);
    script.SaveMarkers("show.txt");
    EXPECT_EQ(dir.Read("error_log.txt"),
              "-> Script: demasiados eventos, se ignoran los siguientes.\n"
              "-> Script: guion lleno (500 eventos), la marca en 3.000000 se pierde.\n"
              "-> Script: guion lleno (500 eventos), la marca en 4.500000 se pierde.\n"
              "-> Script: 2 marcas perdidas por falta de sitio en el guion (500 eventos).\n");
    EXPECT_EQ(dir.Read("show.txt"), text);
}

TEST_F(ScriptTest, ALineWhoseTimeIsNotANumberIsSkippedWithALogLine) {
    LoadText(
        "1 SCENE Land FX_SHOW\n"
        "end DEMO x FX_STOP\n"
        "\n"
        "2.5x DEMO x FX_BLUR 1\n"
        "-.5 DEMO x FX_SATURATE 1\n");
    ASSERT_EQ(script.Count(), 3);
    script.Sort();
    const std::vector<ScriptEvent> events = Drain();
    EXPECT_FLOAT_EQ(events[0].time, -0.5f);
    EXPECT_FLOAT_EQ(events[1].time, 1.0f);
    EXPECT_FLOAT_EQ(events[2].time, 2.5f) << "a number read as far as it goes, as %f does";
    for (const ScriptEvent& event : events) {
        EXPECT_NE(event.effect, FX_STOP);
    }
    EXPECT_EQ(dir.Read("error_log.txt"),
              "-> Script: la linea 2 no empieza por un tiempo, se ignora: \"end DEMO x FX_STOP\"\n");
}

TEST_F(ScriptTest, MarkersComeAfterTheLoadedEventsAndAreAppendedInRecordingOrder) {
    const std::string original = "10 DEMO x FX_STOP\n5 SCENE Land FX_SHOW\n";
    LoadText(original);
    script.Sort();
    script.AddMarker(3.0f);
    script.AddMarker(1.5f);
    script.AddMarker(2.25f);
    EXPECT_EQ(script.Count(), 5);
    EXPECT_EQ(script.MarkerCount(), 3);

    const std::vector<ScriptEvent> handed = Drain();
    ASSERT_EQ(handed.size(), 5u);
    EXPECT_FLOAT_EQ(handed[1].time, 10.0f);
    EXPECT_FLOAT_EQ(handed[2].time, 3.0f);
    EXPECT_EQ(handed[2].target, TARGET_NONE);
    EXPECT_EQ(handed[2].effect, FX_NONE);

    script.SaveMarkers("show.txt");
    EXPECT_EQ(dir.Read("show.txt"), original + "3.000000\n1.500000\n2.250000\n");
}

TEST_F(ScriptTest, AMarkerNeverRunsOnFromALastLineWithoutABreak) {
    const std::string original = "1 DEMO x FX_BLUR 1\n2 DEMO x FX_STOP";
    LoadText(original);
    script.SaveMarkers("show.txt");
    EXPECT_EQ(dir.Read("show.txt"), original) << "no marker, nothing written";
    script.AddMarker(0.5f);
    script.SaveMarkers("show.txt");
    EXPECT_EQ(dir.Read("show.txt"), original + "\n0.500000\n");
    // The next run reads the kept line and the marker.
    Script reloaded;
    reloaded.Load("show.txt");
    EXPECT_EQ(reloaded.Count(), 3);
}

TEST_F(ScriptTest, AMarkerFileThatCannotBeOpenedIsReported) {
    LoadText("1 DEMO x FX_STOP\n");
    script.AddMarker(2.0f);
    ::testing::internal::CaptureStderr();
    script.SaveMarkers("no/such/dir/show.txt");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("no/such/dir/show.txt"), std::string::npos) << said;
}

// A script edited while the show plays is read again; the markers recorded
// before and after stay, and go at exit to the file as it is then.
TEST_F(ScriptTest, MarkersSurviveReadingTheScriptAgainAndGoToTheFileAsItIsAtExit) {
    dir.Write("guion.txt", "0 SCENE Sala FX_SHOW\n9 DEMO x FX_STOP\n");
    Engine* engine = new Engine();
    engine->LoadScript("guion.txt");
    engine->AddMarker(1.5f);
    engine->AddMarker(0.75f);
    const std::string edited = "0 SCENE Sala FX_SHOW\n4 SCENE Sala FX_HIDE\n9 DEMO x FX_STOP\n";
    dir.Write("guion.txt", edited);
    engine->ReloadScript();
    EXPECT_EQ(engine->script->Count(), 5);
    EXPECT_EQ(engine->script->MarkerCount(), 2);
    EXPECT_FLOAT_EQ(engine->script->EventAt(1).time, 4.0f);
    engine->AddMarker(6.0f);
    engine->ReloadScript();
    engine->Shutdown();
    delete engine;
    EXPECT_EQ(dir.Read("guion.txt"), edited + "1.500000\n0.750000\n6.000000\n");
}

}  // namespace
