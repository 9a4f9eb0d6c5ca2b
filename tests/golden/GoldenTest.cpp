// The golden corpus: every show under tests/golden/shows is played by the
// plain halvenor player, whose exit status, stderr and error_log.txt must be
// the expected ones byte for byte, and, when it names frames, captured by
// halvenor-capture at those music times, whose pictures must be the expected
// ones. A change on the player's path thus shows up as a difference here.
//
// With HALVENOR_GOLDEN_UPDATE=1 the runs write the expectations instead
// (scripts/golden-update.sh); HALVENOR_GOLDEN_SHOWS="a b" limits the runs to
// those shows. What was seen when a show differs is kept in
// build/golden-actual/SHOW for a look. tests/golden/README.md has the rest.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <string>
#include <vector>

#include "capture/PngOutput.h"
#include "tests/support/CaptureRun.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

const fs::path kCorpus = fs::path(HALVENOR_SOURCE_DIR) / "tests" / "golden";
const fs::path kActual = fs::path(HALVENOR_BINARY_DIR) / "golden-actual";
// The settings of a show's runs, and its expectations, live beside its files.
const char* const kSettingsFile = "golden.txt";
const char* const kExpected = "expected";

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// golden.txt: "fps N", "frames T1 T2 ..." (music times of the pictures kept),
// "env NAME=value ..." (for the player and the capture), "assets no" (the
// shared assets are not copied in), "remove FILE ..." (shared assets left
// out); # starts a comment line.
struct Settings {
    double fps = 10.0;
    std::vector<double> frames;
    std::string env = "SDL_AUDIODRIVER=dummy";
    bool assets = true;
    std::vector<std::string> removed;
};

Settings ReadSettings(const fs::path& show) {
    Settings settings;
    std::istringstream lines(ReadText(show / kSettingsFile));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "fps") {
            words >> settings.fps;
        } else if (key == "frames") {
            for (double time = 0.0; words >> time;) {
                settings.frames.push_back(time);
            }
        } else if (key == "env") {
            for (std::string assignment; words >> assignment;) {
                settings.env += " " + assignment;
            }
        } else if (key == "assets") {
            std::string value;
            words >> value;
            settings.assets = value != "no";
        } else if (key == "remove") {
            for (std::string file; words >> file;) {
                settings.removed.push_back(file);
            }
        }
    }
    return settings;
}

// The show's own files over the shared assets, without its settings and
// expectations.
void CopyShow(const fs::path& show, const Settings& settings, const fs::path& target) {
    const auto options = fs::copy_options::recursive | fs::copy_options::overwrite_existing;
    if (settings.assets) {
        fs::copy(kCorpus / "assets", target, options);
    }
    for (const std::string& file : settings.removed) {
        fs::remove(target / file);
    }
    for (const auto& entry : fs::directory_iterator(show)) {
        const std::string name = entry.path().filename().string();
        if (name != kSettingsFile && name != kExpected) {
            fs::copy(entry.path(), target / name, options);
        }
    }
}

std::string FrameName(double time) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%05.2f.png", time);
    return name;
}

// What one show did: the player's status, stderr and log, and the pictures
// of the capture at the settings' times.
struct Outcome {
    std::string status;
    std::string stderrText;
    std::string log;
    std::vector<TestSupport::Picture> frames;
    std::string captureProblem;
};

// The capture of the show in dir at the settings' times, into dir/stills.
TestSupport::RunResult CaptureShow(const std::string& dir, const Settings& settings) {
    char rate[32];
    char duration[32];
    std::snprintf(rate, sizeof rate, "%.6f", settings.fps);
    std::snprintf(duration, sizeof duration, "%.6f", settings.frames.back() + 1.0 / settings.fps);
    return TestSupport::RunCapture(dir, {"-r", rate, "-t", duration, "-o", dir + "/stills"}, settings.env);
}

Outcome PlayShow(const fs::path& show, const Settings& settings) {
    Outcome outcome;
    // The player and the capture each play a copy of their own, side by side.
    TestSupport::TempDir dir(false);
    TestSupport::TempDir captureDir(false);
    CopyShow(show, settings, dir.Path());
    std::future<TestSupport::RunResult> capturing;
    if (!settings.frames.empty()) {
        CopyShow(show, settings, captureDir.Path());
        capturing = std::async(std::launch::async, CaptureShow, captureDir.Path(), settings);
    }
    const TestSupport::RunResult run = TestSupport::RunPlayer(dir.Path(), 0, settings.env);
    outcome.status = std::to_string(run.exitCode) + "\n";
    outcome.stderrText = run.stderrText;
    outcome.log = dir.Read("error_log.txt");
    if (settings.frames.empty()) {
        return outcome;
    }
    const TestSupport::RunResult capture = capturing.get();
    const fs::path stills = fs::path(captureDir.Path()) / "stills";
    if (capture.exitCode != 0) {
        outcome.captureProblem = "the capture ended with status " + std::to_string(capture.exitCode) + ": " +
                                 capture.stderrText;
        return outcome;
    }
    for (const double time : settings.frames) {
        TestSupport::Picture picture;
        const auto file = stills / PngOutput::FileName(std::llround(time * settings.fps));
        if (!TestSupport::ReadPng(file.string(), picture)) {
            outcome.captureProblem = "no frame at " + std::to_string(time) + " s";
        }
        outcome.frames.push_back(picture);
    }
    return outcome;
}

void WriteOutcome(const Outcome& outcome, const Settings& settings, const fs::path& to) {
    fs::remove_all(to);
    WriteText(to / "status", outcome.status);
    WriteText(to / "stderr.txt", outcome.stderrText);
    WriteText(to / "error_log.txt", outcome.log);
    for (size_t i = 0; i < outcome.frames.size(); ++i) {
        TestSupport::WritePng((to / FrameName(settings.frames[i])).string(), outcome.frames[i]);
    }
}

std::vector<std::string> ShowNames() {
    std::vector<std::string> names;
    const char* only = std::getenv("HALVENOR_GOLDEN_SHOWS");
    if (only != nullptr && only[0] != '\0') {
        std::istringstream words(only);
        for (std::string name; words >> name;) {
            names.push_back(name);
        }
        return names;
    }
    for (const auto& entry : fs::directory_iterator(kCorpus / "shows")) {
        if (entry.is_directory()) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

class GoldenShow : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenShow, PlaysAsExpected) {
    const fs::path show = kCorpus / "shows" / GetParam();
    ASSERT_TRUE(fs::is_directory(show)) << show;
    const Settings settings = ReadSettings(show);
    const Outcome outcome = PlayShow(show, settings);
    ASSERT_EQ(outcome.captureProblem, "");
    if (std::getenv("HALVENOR_GOLDEN_UPDATE") != nullptr) {
        WriteOutcome(outcome, settings, show / kExpected);
        GTEST_SKIP() << "expectations written to " << (show / kExpected);
    }
    const fs::path expected = show / kExpected;
    bool same = true;
    auto expectText = [&](const std::string& seen, const char* file) {
        const std::string wanted = ReadText(expected / file);
        EXPECT_EQ(seen, wanted) << GetParam() << ": " << file;
        same = same && seen == wanted;
    };
    expectText(outcome.status, "status");
    expectText(outcome.stderrText, "stderr.txt");
    expectText(outcome.log, "error_log.txt");
    for (size_t i = 0; i < outcome.frames.size(); ++i) {
        const std::string name = FrameName(settings.frames[i]);
        TestSupport::Picture wanted;
        ASSERT_TRUE(TestSupport::ReadPng((expected / name).string(), wanted)) << expected / name;
        const int difference = TestSupport::PictureDifference(outcome.frames[i], wanted);
        EXPECT_EQ(difference, 0) << GetParam() << ": " << name << " differs by up to " << difference << " levels";
        same = same && difference == 0;
    }
    if (!same) {
        WriteOutcome(outcome, settings, kActual / GetParam());
        ADD_FAILURE() << "what " << GetParam() << " did is in " << (kActual / GetParam());
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, GoldenShow, ::testing::ValuesIn(ShowNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& c : name) {
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

}  // namespace
