#include "fx2d/ConsoleText.h"

#include <cstring>

ConsoleText::ConsoleText() : lines(), lineCount(0), input(), inputLength(0) { ResetInput(); }

void ConsoleText::AppendChar(char c) {
    if (inputLength >= 2 + kMaxTyped) {
        return;
    }
    input[inputLength] = c;
    inputLength += 1;
    input[inputLength] = '_';
    input[inputLength + 1] = '\0';
}

void ConsoleText::Commit() {
    input[inputLength] = '\0';
    AddLine(input);
    ResetInput();
}

void ConsoleText::ResetInput() {
    inputLength = 2;
    std::strcpy(input, ": _");
}

void ConsoleText::AddLine(const char* line) {
    if (lineCount < kLineCount) {
        std::strncpy(lines[lineCount], line, kLineSize - 1);
        lines[lineCount][kLineSize - 1] = '\0';
        lineCount += 1;
        return;
    }
    for (int i = 1; i < kLineCount; ++i) {
        std::memcpy(lines[i - 1], lines[i], kLineSize);
    }
    std::strncpy(lines[kLineCount - 1], line, kLineSize - 1);
    lines[kLineCount - 1][kLineSize - 1] = '\0';
}

const char* ConsoleText::Line(int index) const {
    if (index < 0 || index >= kLineCount) {
        return nullptr;
    }
    return lines[index];
}
