// A capture split into parts: --jobs, --part runs started by GNU parallel and
// --join give the frames of one capture byte for byte; a join refuses parts
// that are missing, cut short or of another capture; a joined video holds
// the frames and sound of one capture; Ctrl-C stops every part.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "capture/PngOutput.h"
#include "capture/VideoOutput.h"
#include "tests/support/CaptureRun.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestAudio.h"

using TestSupport::RunCapture;
using TestSupport::RunProgram;
using TestSupport::TempDir;

namespace {

const std::string kCapture = std::string(HALVENOR_BINARY_DIR) + "/halvenor-capture";

// The sample at 160 x 120: its blur (4 to 9 s and again from 13 s, over the
// feedback left at 9 s), saturation, a pixel buffer and fades, small.
void MakeSmallSample(const TempDir& dir, bool endless = false) {
    ASSERT_TRUE(TestSupport::CopySampleShow(dir.Path()));
    std::string preconfig = dir.Read("preconfig.txt");
    const size_t at = preconfig.find("LOAD DISPLAY 800 600");
    ASSERT_NE(at, std::string::npos);
    preconfig.replace(at, 20, "LOAD DISPLAY 160 120");
    dir.Write("preconfig.txt", preconfig);
    // Without its stop event and its music it never ends by itself.
    if (endless) {
        std::string script = dir.Read("guion.txt");
        script.erase(script.find("19.5 DEMO Sala FX_STOP"));
        dir.Write("guion.txt", script);
        preconfig.erase(preconfig.find("LOAD SOUND musica.flac"), 22);
        dir.Write("preconfig.txt", preconfig);
    }
}

// The same stretch as every capture below: 3 s to 14 s at 10 frames a second.
std::vector<std::string> Stretch(std::vector<std::string> more) {
    std::vector<std::string> args = {"-r", "10", "-s", "3", "-t", "11"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

constexpr int kFrames = 110;

void ExpectSameFrames(const TempDir& dir, const std::string& a, const std::string& b) {
    for (int frame = 0; frame < kFrames; ++frame) {
        const std::string name = PngOutput::FileName(frame);
        ASSERT_TRUE(dir.Exists(b + "/" + name)) << b << "/" << name;
        EXPECT_TRUE(dir.Read(a + "/" + name) == dir.Read(b + "/" + name)) << b << "/" << name << " differs";
    }
    EXPECT_FALSE(dir.Exists(b + "/" + PngOutput::FileName(kFrames)));
}

std::string Listing(const std::string& path) {
    std::string text;
    if (FILE* pipe = popen(("ls -A '" + path + "'").c_str(), "r")) {
        char chunk[4096];
        size_t got = 0;
        while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) {
            text.append(chunk, got);
        }
        pclose(pipe);
    }
    return text;
}

TEST(CaptureParts, JobsAndPartsRunByParallelGiveTheFramesOfOneCapture) {
    TempDir dir(false);
    MakeSmallSample(dir);
    const auto one = RunCapture(dir.Path(), Stretch({"-o", "one"}));
    ASSERT_EQ(one.exitCode, 0) << one.stderrText;

    const auto jobs = RunCapture(dir.Path(), Stretch({"--jobs", "3", "-o", "jobs"}));
    ASSERT_EQ(jobs.exitCode, 0) << jobs.stderrText;
    EXPECT_NE(jobs.stderrText.find("110 frames (11.00 s of show)"), std::string::npos) << jobs.stderrText;
    ExpectSameFrames(dir, "one", "jobs");
    // Nothing but the frames: the parts' descriptions are gone.
    EXPECT_EQ(Listing(dir.File("jobs")), Listing(dir.File("one")));

    // As an outside scheduler runs them: one directory per part, in any order.
    std::vector<std::string> parallel = {"/usr/bin/parallel", "--will-cite", "-j", "3", kCapture};
    for (const std::string& arg : Stretch({"--part", "{}/3", "-o", "part{}"})) {
        parallel.push_back(arg);
    }
    parallel.insert(parallel.end(), {":::", "2", "0", "1"});
    const auto parts = RunProgram(dir.Path(), parallel, "", 240000);
    ASSERT_EQ(parts.exitCode, 0) << parts.stderrText;
    const auto join = RunProgram(dir.Path(), {kCapture, "--join", "part0", "part2", "part1", "-o", "joined"});
    ASSERT_EQ(join.exitCode, 0) << join.stderrText;
    ExpectSameFrames(dir, "one", "joined");

    // Refused, each naming the part at fault: one missing, one of another
    // capture (another rate), one cut short (a frame file gone).
    const auto missing = RunProgram(dir.Path(), {kCapture, "--join", "part0", "part2", "-o", "x"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.stderrText.find("part 1/3 (frames 37 to 73) is missing"), std::string::npos)
        << missing.stderrText;
    const auto other = RunCapture(dir.Path(), {"-r", "5", "-s", "3", "-t", "11", "--part", "1/3", "-o", "other"});
    ASSERT_EQ(other.exitCode, 0) << other.stderrText;
    const auto foreign = RunProgram(dir.Path(), {kCapture, "--join", "part0", "other", "part2", "-o", "x"});
    EXPECT_EQ(foreign.exitCode, 1);
    EXPECT_NE(foreign.stderrText.find("the part other (1/3) is of another frame rate"), std::string::npos)
        << foreign.stderrText;
    std::remove(dir.File("part2/000080.png").c_str());
    const auto shortPart = RunProgram(dir.Path(), {kCapture, "--join", "part0", "part1", "part2", "-o", "x"});
    EXPECT_EQ(shortPart.exitCode, 1);
    EXPECT_NE(shortPart.stderrText.find("part 2/3 (part2) is cut short: part2/000080.png is missing"),
              std::string::npos)
        << shortPart.stderrText;
    EXPECT_FALSE(dir.Exists("x"));
}

// "key=value" lines of ffprobe for one stream of the file.
std::string Probe(const std::string& file, const char* stream, const char* entries) {
    std::string text;
    const std::string command = std::string("ffprobe -v error -count_frames -select_streams ") + stream +
                                " -show_entries stream=" + entries + " -of default=noprint_wrappers=1 '" + file + "'";
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char chunk[512];
        size_t got = 0;
        while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) {
            text.append(chunk, got);
        }
        pclose(pipe);
    }
    return text;
}

TEST(CaptureParts, AJoinedVideoHoldsTheFramesAndSoundOfOneCapture) {
    if (VideoOutput::FindFfmpeg().empty()) {
        GTEST_SKIP() << "no ffmpeg";
    }
    TempDir dir(false);
    ASSERT_TRUE(TestSupport::WriteTone(dir.File("musica.wav"), 330.0, 4.0, 44100, 2, 0.2));
    dir.Write("preconfig.txt", "LOAD DISPLAY 160 120 32 NO\nLOAD SOUND musica.wav\nLOAD SCRIPT guion.txt\n");
    dir.Write("guion.txt", "0.0 DEMO x FX_BLUR 1\n3.0 DEMO x FX_STOP\n");
    const auto one = RunCapture(dir.Path(), {"-r", "25", "-s", "0.5", "-o", "one.mp4"});
    ASSERT_EQ(one.exitCode, 0) << one.stderrText;
    const auto jobs = RunCapture(dir.Path(), {"-r", "25", "-s", "0.5", "--jobs", "3", "-o", "jobs.mp4"});
    ASSERT_EQ(jobs.exitCode, 0) << jobs.stderrText;
    const std::string video = Probe(dir.File("jobs.mp4"), "v:0", "nb_read_frames,duration");
    EXPECT_NE(video.find("duration=2.520000\nnb_read_frames=63\n"), std::string::npos) << video;
    EXPECT_EQ(video, Probe(dir.File("one.mp4"), "v:0", "nb_read_frames,duration"));
    EXPECT_EQ(Probe(dir.File("jobs.mp4"), "a:0", "codec_name,nb_read_frames,duration"),
              Probe(dir.File("one.mp4"), "a:0", "codec_name,nb_read_frames,duration"));
    // The parts, their descriptions and the sound of the whole are gone.
    EXPECT_EQ(Listing(dir.Path()), "error_log.txt\nguion.txt\njobs.mp4\nmusica.wav\none.mp4\npreconfig.txt\n");
}

TEST(CaptureParts, ControlCStopsEveryPartAndSaysWhatWasKept) {
    TempDir dir(false);
    MakeSmallSample(dir, true);
    // Interrupted once both parts have written frames (at 10 frames a
    // second, part 1 of 2 of ten minutes starts at frame 3000); without a
    // display, each part on an Xvfb of its own.
    const std::string script = "'" + kCapture + "' -r 10 -t 600 --jobs 2 -o frames & pid=$!; n=0; "
                               "while [ $n -lt 2400 ] && ! { [ -e frames/000002.png ] && [ -e frames/003002.png ]; }; "
                               "do sleep 0.1; n=$((n+1)); done; kill -INT $pid; wait $pid";
    const auto run = RunProgram(dir.Path(), {"/bin/sh", "-c", script}, "-DISPLAY", 300000);
    EXPECT_EQ(run.exitCode, 1) << run.stderrText;
    EXPECT_NE(run.stderrText.find("halvenor-capture: interrupted; kept:\n  part 0/2 (frames 0 to 2999): frames 0 to "),
              std::string::npos)
        << run.stderrText;
    EXPECT_NE(run.stderrText.find("  part 1/2 (frames 3000 to 5999): frames 3000 to "), std::string::npos)
        << run.stderrText;
    EXPECT_TRUE(dir.Exists("frames/part-0-of-2.txt"));
    EXPECT_TRUE(dir.Exists("frames/003002.png"));
    EXPECT_FALSE(dir.Exists("frames/005999.png"));
}

}  // namespace
