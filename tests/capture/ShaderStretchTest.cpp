// The sample show's shader stretch, where a shader layer follows the music:
// it looks as its reference picture, and the picture at a music time is the
// same whether the show was drawn all the way there or run there without
// drawing (the music's spectrum comes from the music time, nothing else), and
// the editing player started there shows it too.
// HALVENOR_UPDATE_REFERENCES=1 writes the reference anew, as for the sample's
// other pictures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "author/AuthorMode.h"
#include "capture/PngOutput.h"
#include "tests/support/AuthorRun.h"
#include "tests/support/CaptureRun.h"
#include "tests/support/TempDir.h"

namespace {

constexpr double kTime = 18.5;
constexpr int kBlock = 4;
constexpr int kTolerance = 12;

TEST(ShaderStretch, MusicDrivenShaderLooksTheSameHoweverTheShowGotThere) {
    TestSupport::TempDir dir;
    ASSERT_TRUE(TestSupport::CopySampleShow(dir.Path()));
    // Drawn from the start, two pictures a second.
    std::vector<TestSupport::Picture> played;
    ASSERT_TRUE(TestSupport::CaptureStills(dir.Path(), {kTime}, 2.0, played));
    // Run to the time without drawing, then drawn.
    const TestSupport::RunResult run =
        TestSupport::RunCapture(dir.Path(), {"-r", "30", "-s", "18.5", "-t", "0.03", "-o", dir.File("fresh")});
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    TestSupport::Picture fresh;
    ASSERT_TRUE(TestSupport::ReadPng(dir.File("fresh/" + PngOutput::FileName(0)), fresh));
    EXPECT_EQ(TestSupport::PictureDifference(played[0], fresh), 0);

    // The editing player, paused at the time.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    AuthorOptions options;
    options.at = kTime;
    options.pause = true;
    options.overlay = false;
    TestSupport::FakeWallClock wall;
    AuthorMode mode(options, &wall);
    TestSupport::Picture edited;
    TestSupport::AuthorRun author(mode, [&](int, const TestSupport::Picture& picture) {
        edited = picture;
        return false;
    });
    ASSERT_EQ(author.Run(), 0);
    EXPECT_LE(TestSupport::PictureDifference(TestSupport::Downsample(edited, kBlock),
                                             TestSupport::Downsample(fresh, kBlock)),
              kTolerance);

    const std::string reference = std::string(HALVENOR_SOURCE_DIR) + "/tests/capture/data/sample-18.5.png";
    const TestSupport::Picture small = TestSupport::Downsample(played[0], kBlock);
    if (std::getenv("HALVENOR_UPDATE_REFERENCES") != nullptr) {
        ASSERT_TRUE(TestSupport::WritePng(reference, small));
        GTEST_SKIP() << "reference picture written";
    }
    TestSupport::Picture expected;
    ASSERT_TRUE(TestSupport::ReadPng(reference, expected)) << reference;
    const int difference = TestSupport::PictureDifference(small, expected);
    if (difference > kTolerance) {
        TestSupport::WritePng("/tmp/halvenor-sample-185.png", small);
        ADD_FAILURE() << "the shader stretch differs from " << reference << " by " << difference
                      << " levels; the capture is in /tmp/halvenor-sample-185.png";
    }
}

}  // namespace
