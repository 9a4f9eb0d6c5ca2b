// MessageBoxA (contract in MessageBox.h), the same for every port: each box is
// one stderr line, remembered for tests, then shown by the port
// (SystemMessageBox.h: nothing more on Linux, the real box on Windows).
#include "platform/MessageBox.h"

#include <cstddef>
#include <cstdio>

#include "platform/SystemMessageBox.h"

namespace {

// Never destroyed: a fatal error shows its box and then ends the process,
// whose registry still releases the show among the static destructors; a
// box shown there must find the list, which was made after the registry.
std::vector<Platform::ShownMessageBox>& ShownBoxes() {
    static std::vector<Platform::ShownMessageBox>& boxes = *new std::vector<Platform::ShownMessageBox>;
    return boxes;
}

void (*boxListener)(void* context) = nullptr;
bool boxesOnScreen = true;
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
    // A listener reads boxes as findings (the checker): none goes on screen
    // then, or a check would wait for a click on every damaged line.
    if (boxListener == nullptr && boxesOnScreen) {
        Platform::ShowSystemMessageBox(safeText, safeCaption);
    }
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

void ReportFatal(const std::string& text) {
    std::fprintf(stderr, "halvenor: %s\n", text.c_str());
    std::fflush(stderr);
    if (boxListener == nullptr && boxesOnScreen) {
        ShowSystemMessageBox(text.c_str(), "halvenor");
    }
}

void KeepBoxesOffScreen() { boxesOnScreen = false; }

}  // namespace Platform
