// Stands in for MessageBoxA (contract in MessageBox.h): boxes never block; each
// is one stderr line, remembered for tests.
#include "platform/MessageBox.h"

#include <cstddef>
#include <cstdio>

namespace {

std::vector<Platform::ShownMessageBox>& ShownBoxes() {
    static std::vector<Platform::ShownMessageBox> boxes;
    return boxes;
}

void (*boxListener)(void* context) = nullptr;
void* boxListenerContext = nullptr;

// Keeps the stderr record on one line whatever the text holds.
std::string OneLine(const char* text) {
    std::string line;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '\n') {
            line += "\\n";
        } else if (*c != '\r') {
            line += *c;
        }
    }
    return line;
}

}  // namespace

int MessageBoxA(void* /*owner*/, const char* text, const char* caption, unsigned /*type*/) {
    const char* safeText = text != nullptr ? text : "";
    const char* safeCaption = caption != nullptr ? caption : "";
    std::fprintf(stderr, "[%s] %s\n", OneLine(safeCaption).c_str(), OneLine(safeText).c_str());
    std::fflush(stderr);
    std::vector<Platform::ShownMessageBox>& boxes = ShownBoxes();
    // The oldest half goes at once, so that keeping the list short costs
    // nothing per box.
    if (boxes.size() >= 2 * Platform::kKeptMessageBoxes) {
        boxes.erase(boxes.begin(), boxes.end() - static_cast<std::ptrdiff_t>(Platform::kKeptMessageBoxes) + 1);
    }
    boxes.push_back({safeText, safeCaption});
    if (boxListener != nullptr) {
        boxListener(boxListenerContext);
    }
    return IDOK;
}

namespace Platform {

const std::vector<ShownMessageBox>& MessageBoxes() { return ShownBoxes(); }

void ClearMessageBoxes() { ShownBoxes().clear(); }

void ListenToMessageBoxes(void (*listener)(void* context), void* context) {
    boxListener = listener;
    boxListenerContext = context;
}

}  // namespace Platform
