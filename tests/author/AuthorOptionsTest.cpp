// The editing player's command line: times in seconds or minutes and
// seconds, the offered speeds, and every wrong word refused; the built
// player refuses them with its usage and status 2, also a time outside the
// show, after printing what the show checker finds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "author/AuthorOptions.h"
#include "platform/ControlServer.h"
#include "tests/support/CaptureRun.h"
#include "tests/support/TempDir.h"

namespace {

bool Parse(std::vector<const char*> words, AuthorOptions& options, std::string& error) {
    words.insert(words.begin(), "halvenor");
    return AuthorOptions::Parse(static_cast<int>(words.size()), words.data(), options, error);
}

TEST(AuthorOptions, TimesAreSecondsOrMinutesAndSeconds) {
    double seconds = -1.0;
    EXPECT_TRUE(AuthorOptions::ParseTime("95.5", seconds));
    EXPECT_DOUBLE_EQ(seconds, 95.5);
    EXPECT_TRUE(AuthorOptions::ParseTime("1:35.5", seconds));
    EXPECT_DOUBLE_EQ(seconds, 95.5);
    EXPECT_TRUE(AuthorOptions::ParseTime("0:07", seconds));
    EXPECT_DOUBLE_EQ(seconds, 7.0);
    for (const char* wrong : {"", "-1", "1e2", "0x10", " 5", "5s", "1:5", "1:60", "1.5:00", ":30", "1:", "1:2:03",
                              "nan", "inf", "12,5", "99999"}) {
        EXPECT_FALSE(AuthorOptions::ParseTime(wrong, seconds)) << "'" << wrong << "'";
    }
}

TEST(AuthorOptions, FlagsAreReadAndWrongOnesRefused) {
    AuthorOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--edit", "--at", "1:40", "--pause", "--speed", "0.5"}, options, error)) << error;
    EXPECT_DOUBLE_EQ(options.at, 100.0);
    EXPECT_TRUE(options.pause);
    EXPECT_DOUBLE_EQ(options.speed, 0.5);
    EXPECT_FALSE(options.loopSet);

    AuthorOptions looped;
    ASSERT_TRUE(Parse({"--loop", "2", "4.5", "--edit"}, looped, error)) << error;
    EXPECT_TRUE(looped.loopSet);
    EXPECT_DOUBLE_EQ(looped.at, 2.0) << "a loop alone starts at its start";

    const std::vector<std::vector<const char*>> wrong = {
        {"--edit", "--at"},          {"--edit", "--at", "x"},           {"--edit", "--loop", "4", "2"},
        {"--edit", "--loop", "1"},   {"--edit", "--speed", "3"},        {"--edit", "--speed"},
        {"--edit", "--bogus"},       {"--edit", "extra"},               {"--at", "5"},
    };
    for (const auto& words : wrong) {
        AuthorOptions any;
        error.clear();
        EXPECT_FALSE(Parse(words, any, error)) << words.back();
        EXPECT_FALSE(error.empty());
    }
    EXPECT_TRUE(AuthorOptions::CheckTimes(options, 120.0, error));
    EXPECT_FALSE(AuthorOptions::CheckTimes(options, 100.0, error)) << "the show's end itself is outside";
    looped.loopEnd = 30.0;
    EXPECT_FALSE(AuthorOptions::CheckTimes(looped, 20.0, error));
}

TEST(AuthorOptions, ThePlayerRefusesWrongArgumentsWithItsUsageAndStatusTwo) {
    TestSupport::TempDir dir(false);
    ASSERT_TRUE(TestSupport::CopySampleShow(dir.Path()));
    // A line the checker finds wrong; the show would still play.
    const std::string add = "echo 'LOAD SONIDO otra.flac' >> '" + dir.File("preconfig.txt") + "'";
    ASSERT_EQ(std::system(add.c_str()), 0);
    const std::string player = HALVENOR_BINARY;
    const std::string env = "SDL_AUDIODRIVER=dummy";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--edit", "--at", "1:5"}, {"--edit", "--speed", "3"}, {"--edit", "--frobnicate"},
          {"--edit", "--listen"}, {"--edit", "--listen", "localhost:"}, {"--edit", "--listen", "70000"}}) {
        std::vector<std::string> command = {player};
        command.insert(command.end(), args.begin(), args.end());
        const auto result = TestSupport::RunProgram(dir.Path(), command, env);
        EXPECT_EQ(result.exitCode, 2) << args.back();
        EXPECT_NE(result.stderrText.find("usage: halvenor --edit"), std::string::npos) << result.stderrText;
    }
    // Outside the sample's 19.5 s: refused once the show is read, after the
    // checker's findings.
    const auto late = TestSupport::RunProgram(dir.Path(), {player, "--edit", "--at", "0:25"}, env);
    EXPECT_EQ(late.exitCode, 2);
    EXPECT_NE(late.stderrText.find("outside the show"), std::string::npos) << late.stderrText;
    EXPECT_NE(late.stderrText.find("preconfig.txt:"), std::string::npos) << late.stderrText;
    EXPECT_NE(late.stderrText.find("SONIDO"), std::string::npos) << late.stderrText;
    // A port another program listens on: one line that names it and what to
    // do, before the show is read or the last run's log emptied.
    ControlServer other;
    std::string error;
    ASSERT_TRUE(other.Listen("", 0, &error)) << error;
    const std::string port = std::to_string(other.Port());
    dir.Write("error_log.txt", "the last run's log\n");
    const auto taken = TestSupport::RunProgram(dir.Path(), {player, "--edit", "--listen", port}, env);
    EXPECT_EQ(taken.exitCode, 2);
    EXPECT_EQ(taken.stderrText, "halvenor: cannot listen on 127.0.0.1:" + port +
                                    ": the port is in use by another program; pick another with --listen "
                                    "[HOST:]PORT\n");
    EXPECT_EQ(dir.Read("error_log.txt"), "the last run's log\n");
    // Plain halvenor still ignores what it is given.
    const auto help = TestSupport::RunProgram(dir.Path(), {player, "--help", "--at", "x"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.stdoutText.find("--edit"), std::string::npos);
}

TEST(AuthorOptions, ListenTakesAPortOrAHostAndAPort) {
    AuthorOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--edit", "--listen", "7878"}, options, error)) << error;
    EXPECT_TRUE(options.listen);
    EXPECT_EQ(options.listenHost, "");
    EXPECT_EQ(options.listenPort, 7878);
    AuthorOptions anyHost;
    ASSERT_TRUE(Parse({"--edit", "--listen", "0.0.0.0:9000"}, anyHost, error)) << error;
    EXPECT_EQ(anyHost.listenHost, "0.0.0.0");
    EXPECT_EQ(anyHost.listenPort, 9000);
    AuthorOptions none;
    ASSERT_TRUE(Parse({"--edit"}, none, error));
    EXPECT_FALSE(none.listen);
    EXPECT_FALSE(Parse({"--edit", "--listen", "port"}, none, error));
    EXPECT_NE(error.find("write PORT or HOST:PORT"), std::string::npos) << error;
}

}  // namespace
