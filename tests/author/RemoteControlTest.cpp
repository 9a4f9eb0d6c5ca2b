// The remote-control protocol without a socket: what each line reads as,
// what it asks of the player, and the one line it answers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "author/AuthorControl.h"
#include "author/RemoteCommand.h"
#include "author/RemoteControl.h"

namespace {

// A player that records what it is asked and refuses what a real one would.
class FakePlayer : public AuthorControl {
public:
    bool Seek(double seconds, std::string* error) override {
        calls.push_back("seek " + std::to_string(seconds));
        if (seconds > 120.0) {
            *error = "the show lasts 120 s";
            return false;
        }
        status.time = seconds;
        return true;
    }
    void SetPaused(bool paused) override {
        calls.push_back(paused ? "pause" : "play");
        status.paused = paused;
    }
    bool Step(int frames, std::string* /*error*/) override {
        calls.push_back("step " + std::to_string(frames));
        status.paused = true;
        status.time += frames / 60.0;
        return true;
    }
    bool SetLoop(double start, double end, std::string* /*error*/) override {
        calls.push_back("loop");
        status.loopSet = true;
        status.loopStart = start;
        status.loopEnd = end;
        return true;
    }
    void ClearLoop() override {
        calls.push_back("loop off");
        status.loopSet = false;
    }
    bool SetSpeed(double speed, std::string* error) override {
        calls.push_back("speed");
        if (speed > 4.0) {
            *error = "speeds go up to 4\nnot beyond";
            return false;
        }
        status.speed = speed;
        return true;
    }
    bool Reload(std::string* error) override {
        calls.push_back("reload");
        if (brokenShow) {
            status.reloaded = true;
            status.reloadOk = false;
            status.findings = 2;
            *error = "guion.txt:3: error: unknown effect 'FX_SHWO'";
            return false;
        }
        return true;
    }
    AuthorStatus Status() const override { return status; }
    void Quit() override { calls.push_back("quit"); }

    AuthorStatus status;
    std::vector<std::string> calls;
    bool brokenShow = false;
};

double Time(const std::string& word) {
    double seconds = -1.0;
    EXPECT_TRUE(RemoteCommand::ParseTime(word, seconds)) << word;
    return seconds;
}

TEST(RemoteCommand, TimesAreSecondsOrMinutesAndSeconds) {
    EXPECT_DOUBLE_EQ(Time("95.5"), 95.5);
    EXPECT_DOUBLE_EQ(Time("95"), 95.0);
    EXPECT_DOUBLE_EQ(Time(".25"), 0.25);
    EXPECT_DOUBLE_EQ(Time("1:35.5"), 95.5);
    EXPECT_DOUBLE_EQ(Time("0:05"), 5.0);
    EXPECT_DOUBLE_EQ(Time("10:00"), 600.0);
    EXPECT_DOUBLE_EQ(Time("000000000000000000000012.5"), 12.5);
    double seconds = 7.0;
    for (const char* bad : {"", "-1", "+1", "1e3", "0x10", "inf", "nan", "1:60", "1:", ":5", "1:2:3", "1.5:10",
                            "1:123", "12,5", "1.2.3", ".", "9999999", "1 ", "95.5s"}) {
        EXPECT_FALSE(RemoteCommand::ParseTime(bad, seconds)) << bad;
    }
    EXPECT_EQ(seconds, 7.0);
}

TEST(RemoteCommand, EachCommandReadsItsArgumentsAndRefusesOthers) {
    RemoteCommand command;
    std::string error;
    ASSERT_TRUE(RemoteCommand::Parse("  SEEK\t1:35.5\r", command, &error)) << error;
    EXPECT_EQ(command.kind, RemoteCommand::Kind::Seek);
    EXPECT_DOUBLE_EQ(command.time, 95.5);
    ASSERT_TRUE(RemoteCommand::Parse("step", command, &error));
    EXPECT_EQ(command.frames, 1);
    ASSERT_TRUE(RemoteCommand::Parse("step -3", command, &error));
    EXPECT_EQ(command.frames, -3);
    ASSERT_TRUE(RemoteCommand::Parse("loop 10 0:20", command, &error));
    EXPECT_EQ(command.kind, RemoteCommand::Kind::Loop);
    EXPECT_DOUBLE_EQ(command.endTime, 20.0);
    ASSERT_TRUE(RemoteCommand::Parse("loop Off", command, &error));
    EXPECT_EQ(command.kind, RemoteCommand::Kind::LoopOff);
    ASSERT_TRUE(RemoteCommand::Parse("speed 0.5", command, &error));
    EXPECT_DOUBLE_EQ(command.speed, 0.5);

    const struct {
        const char* line;
        const char* says;
    } kBad[] = {
        {"", "empty line: write seek, pause, play"},
        {"seek", "write seek T, T in seconds (95.5) or minutes:seconds (1:35.5)"},
        {"seek abc", "'abc' is not a time"},
        {"seek 1 2", "write seek T"},
        {"pause now", "pause takes no argument"},
        {"step 0", "write step [N]"},
        {"step 2.5", "write step [N]"},
        {"step 99999999999", "write step [N]"},
        {"loop 20 10", "the loop must end after it starts"},
        {"loop 10", "write loop A B"},
        {"speed 0", "'0' is not a speed"},
        {"speed fast", "'fast' is not a speed"},
        {"jump 3", "unknown command 'jump': write seek"},
        {"\x01\x7f", "unknown command '?" "?'"},
    };
    for (const auto& bad : kBad) {
        error.clear();
        EXPECT_FALSE(RemoteCommand::Parse(bad.line, command, &error)) << bad.line;
        EXPECT_EQ(error.rfind(bad.says, 0), 0u) << bad.line << " -> " << error;
    }
    const std::string longWord(5000, 'x');
    EXPECT_FALSE(RemoteCommand::Parse(longWord, command, &error));
    EXPECT_LT(error.size(), 200u);
}

TEST(RemoteControl, EachCommandDrivesThePlayerAndAnswersOneLine) {
    FakePlayer player;
    RemoteControl control(player);
    EXPECT_EQ(control.Answer("seek 1:35.5"), "ok time=95.500");
    EXPECT_EQ(control.Answer("pause"), "ok paused=yes");
    EXPECT_EQ(control.Answer("play"), "ok paused=no");
    EXPECT_EQ(control.Answer("step 3"), "ok time=95.550");
    EXPECT_EQ(control.Answer("loop 10 20.5"), "ok loop=10.000-20.500");
    EXPECT_EQ(control.Answer("speed 0.5"), "ok speed=0.5");
    player.status.fps = 59.84;
    player.status.show = "/home/ana/mis shows/100%";
    EXPECT_EQ(control.Answer("status"),
              "ok time=95.550 paused=yes speed=0.5 loop=10.000-20.500 fps=59.8 show=/home/ana/mis%20shows/100%25 "
              "reload=none findings=0 row=- rocket=off");
    EXPECT_EQ(control.Answer("loop off"), "ok loop=off");
    EXPECT_EQ(control.Answer("reload"), "ok reload=ok findings=0");
    EXPECT_EQ(control.Answer("quit"), "ok quit");
    EXPECT_EQ(player.calls, (std::vector<std::string>{"seek 95.500000", "pause", "play", "step 3", "loop", "speed",
                                                      "loop off", "reload", "quit"}));
}

TEST(RemoteControl, RefusalsAndBadLinesAnswerAnErrorAndChangeNothing) {
    FakePlayer player;
    RemoteControl control(player);
    EXPECT_EQ(control.Answer("seek 500"), "error: the show lasts 120 s");
    EXPECT_EQ(control.Answer("speed 8"), "error: speeds go up to 4 not beyond");
    EXPECT_EQ(control.Answer("seek x"), "error: 'x' is not a time: write seconds (95.5) or minutes:seconds (1:35.5)");
    EXPECT_EQ(player.status.time, 0.0);
    EXPECT_EQ(player.status.speed, 1.0);
    player.brokenShow = true;
    EXPECT_EQ(control.Answer("reload"), "error: guion.txt:3: error: unknown effect 'FX_SHWO'");
    const std::string status = control.Answer("status");
    EXPECT_NE(status.find(" reload=failed findings=2"), std::string::npos) << status;
    // Only lines that are commands reach the player.
    EXPECT_EQ(player.calls, (std::vector<std::string>{"seek 500.000000", "speed", "reload"}));
}

}  // namespace
