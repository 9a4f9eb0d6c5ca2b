// The message boxes shown since the last call, as (text, caption) pairs; the
// list is cleared for the next check.
#ifndef HALVENOR_TESTS_SUPPORT_TESTBOXES_H
#define HALVENOR_TESTS_SUPPORT_TESTBOXES_H

#include <string>
#include <utility>
#include <vector>

#include "platform/MessageBox.h"

namespace TestSupport {

using Box = std::pair<std::string, std::string>;

inline std::vector<Box> TakeBoxes() {
    std::vector<Box> boxes;
    for (const Platform::ShownMessageBox& box : Platform::MessageBoxes()) {
        boxes.emplace_back(box.text, box.caption);
    }
    Platform::ClearMessageBoxes();
    return boxes;
}

}  // namespace TestSupport

#endif
