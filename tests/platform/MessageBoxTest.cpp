// The message-box stand-in: never blocks, and keeps only the recent boxes.
#include "platform/MessageBox.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MessageBox, KeepsTheMostRecentBoxesOnly) {
    Platform::ClearMessageBoxes();
    const size_t shown = 5 * Platform::kKeptMessageBoxes + 7;
    for (size_t i = 0; i < shown; ++i) {
        EXPECT_EQ(MessageBoxA(nullptr, std::to_string(i).c_str(), "caja", MB_OK), IDOK);
    }
    const auto& boxes = Platform::MessageBoxes();
    EXPECT_GE(boxes.size(), Platform::kKeptMessageBoxes);
    EXPECT_LT(boxes.size(), 2 * Platform::kKeptMessageBoxes);
    // Oldest first, ending with the last one shown, none missing in between.
    for (size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_EQ(boxes[i].text, std::to_string(shown - boxes.size() + i));
    }
    EXPECT_EQ(boxes.back().caption, "caja");
    Platform::ClearMessageBoxes();
    EXPECT_TRUE(Platform::MessageBoxes().empty());
}

}  // namespace
