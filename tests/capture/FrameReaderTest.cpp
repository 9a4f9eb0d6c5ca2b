// Reading frames back with two reads in flight: every frame arrives once, in
// order, with its repeat count, upright, and what the show reads back itself
// still goes to its own memory.
#include "capture/FrameReader.h"

#include <gtest/gtest.h>

#include <vector>

#include "glext/GlExtensions.h"
#include "tests/support/GlTestContext.h"

namespace {

using TestSupport::GlTestContext;

struct Delivered {
    uint8_t top[3];
    uint8_t bottom[3];
    int64_t repeat;
};

// A frame whose upper half has one colour and lower half another.
void DrawHalves(uint8_t top, uint8_t bottom) {
    const int width = GlTestContext::Width();
    const int height = GlTestContext::Height();
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, height / 2, width, height - height / 2);
    glClearColor(top / 255.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glScissor(0, 0, width, height / 2);
    glClearColor(0.0f, bottom / 255.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

TEST(FrameReader, HandsOnEveryFrameOnceUprightWithItsRepeatCount) {
    ASSERT_TRUE(GlTestContext::Open(33, 20));  // an odd width: rows are packed tight
    const int width = GlTestContext::Width();
    const int height = GlTestContext::Height();
    std::vector<Delivered> delivered;
    const FrameReader::Deliver deliver = [&](const uint8_t* rgb, int64_t repeat) {
        const uint8_t* last = rgb + static_cast<size_t>(height - 1) * width * 3 + (width - 1) * 3;
        delivered.push_back({{rgb[0], rgb[1], rgb[2]}, {last[0], last[1], last[2]}, repeat});
        return true;
    };
    FrameReader reader;
    reader.Init(width, height);
    EXPECT_TRUE(reader.UsesPixelBuffers());

    const int64_t repeats[] = {1, 3, 0, 2};
    for (int frame = 0; frame < 4; ++frame) {
        DrawHalves(static_cast<uint8_t>(50 + frame * 50), static_cast<uint8_t>(200 - frame * 50));
        ASSERT_TRUE(reader.Read(repeats[frame], deliver));
        // The show may read pixels itself between frames.
        uint8_t pixel[4] = {};
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        EXPECT_EQ(pixel[1], 200 - frame * 50);
    }
    ASSERT_TRUE(reader.Flush(deliver));
    reader.Release();

    // Frame 2 was not wanted and was never read.
    ASSERT_EQ(delivered.size(), 3u);
    const int frames[] = {0, 1, 3};
    for (size_t i = 0; i < delivered.size(); ++i) {
        const int frame = frames[i];
        EXPECT_EQ(delivered[i].repeat, repeats[frame]);
        EXPECT_NEAR(delivered[i].top[0], 50 + frame * 50, 1) << i;
        EXPECT_EQ(delivered[i].top[1], 0);
        EXPECT_NEAR(delivered[i].bottom[1], 200 - frame * 50, 1) << i;
        EXPECT_EQ(delivered[i].bottom[0], 0);
    }
}

TEST(FrameReader, AReceiverThatRefusesStopsTheReading) {
    ASSERT_TRUE(GlTestContext::Open(16, 16));
    FrameReader reader;
    reader.Init(16, 16);
    const FrameReader::Deliver refuse = [](const uint8_t*, int64_t) { return false; };
    DrawHalves(10, 20);
    EXPECT_TRUE(reader.Read(1, refuse));  // nothing handed on yet
    DrawHalves(30, 40);
    EXPECT_FALSE(reader.Read(1, refuse));
    EXPECT_FALSE(reader.Flush(refuse));
    reader.Release();
}

}  // namespace
