// What the sample show looks like: frames at fixed music times, captured and
// compared with reference pictures kept in tests/capture/data (at a quarter of
// the show's size, each pixel the mean of a 4 x 4 block), within a small
// tolerance for differences between OpenGL drivers. A change that alters what
// the show looks like fails here; when the change is meant, run the test with
// HALVENOR_UPDATE_REFERENCES=1 to write new references, look at them, and
// commit them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/CaptureRun.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int kBlock = 4;
// Levels of 255 per colour channel, after averaging.
constexpr int kTolerance = 12;
// The capture's frame rate only picks the frames; the show runs the same.
constexpr double kFps = 2.0;

std::string ReferencePath(double time) {
    char name[64];
    std::snprintf(name, sizeof name, "/tests/capture/data/sample-%04.1f.png", time);
    return std::string(HALVENOR_SOURCE_DIR) + name;
}

TEST(SamplePictures, TheSampleShowLooksAsItsReferencePictures) {
    // Times on the capture's frame grid: the first camera, the second camera
    // with a ripple, the twist, the wave along normals with a rolled camera.
    const std::vector<double> times = {1.0, 5.5, 12.0, 17.0};
    TestSupport::TempDir dir(false);
    ASSERT_TRUE(TestSupport::CopySampleShow(dir.Path()));
    std::vector<TestSupport::Picture> pictures;
    ASSERT_TRUE(TestSupport::CaptureStills(dir.Path(), times, kFps, pictures));
    const bool update = std::getenv("HALVENOR_UPDATE_REFERENCES") != nullptr;
    for (size_t i = 0; i < times.size(); ++i) {
        const TestSupport::Picture small = TestSupport::Downsample(pictures[i], kBlock);
        const std::string reference = ReferencePath(times[i]);
        if (update) {
            ASSERT_TRUE(TestSupport::WritePng(reference, small)) << reference;
            continue;
        }
        TestSupport::Picture expected;
        ASSERT_TRUE(TestSupport::ReadPng(reference, expected)) << reference;
        const int difference = TestSupport::PictureDifference(small, expected);
        if (difference > kTolerance) {
            const std::string seen = "/tmp/halvenor-sample-" + std::to_string(static_cast<int>(times[i] * 10)) + ".png";
            TestSupport::WritePng(seen, small);
            ADD_FAILURE() << "at " << times[i] << " s the show differs from " << reference << " by " << difference
                          << " levels; the capture is in " << seen;
        }
    }
    if (update) {
        GTEST_SKIP() << "reference pictures written";
    }
}

}  // namespace
