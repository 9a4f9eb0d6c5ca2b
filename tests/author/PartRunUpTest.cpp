// Which pictures a part's run-up draws: every picture that draws over a
// buffer (the blur's feedback), the last writer of each other buffer before
// every picture drawn, and nothing else.
#include <gtest/gtest.h>

#include <vector>

#include "author/PartRunUp.h"

namespace {

constexpr uint32_t kFeedback = 1u << 1;
constexpr uint32_t kRoom = 1u << 0;   // a scene's buffer, drawn anew
constexpr uint32_t kOther = 1u << 2;  // another one

TEST(PartRunUp, DrawsTheFeedbackChainAndTheLastWriterOfEachBufferBeforeEachPictureDrawn) {
    const std::vector<uint32_t> written = {
        kRoom,      // 0: drawn over by 1 before anything drawn can show it
        kRoom,      // 1: the last of kRoom before the blurred picture 2
        kFeedback,  // 2: blurred
        0,          // 3
        kOther,     // 4: the last of kOther before the target
        0,          // 5
    };
    EXPECT_EQ(PartRunUp::PicturesToDraw(written, 6, kFeedback),
              (std::vector<bool>{false, true, true, false, true, false}));
    // Before picture 2 only the last writer of kRoom counts.
    EXPECT_EQ(PartRunUp::PicturesToDraw(written, 2, kFeedback), (std::vector<bool>{false, true}));
    // Without blur or buffers a run-up draws nothing.
    EXPECT_EQ(PartRunUp::PicturesToDraw({0, 0, 0}, 3, kFeedback), (std::vector<bool>{false, false, false}));
    // A buffer drawn over (a scene that does not clear) is drawn at every write.
    EXPECT_EQ(PartRunUp::PicturesToDraw({kRoom, kRoom, 0}, 3, kRoom), (std::vector<bool>{true, true, false}));
}

}  // namespace
