#include "fx2d/ConsoleText.h"

#include <cstdio>
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
    if (lineCount == kLineCount) {
        std::memmove(lines[0], lines[1], sizeof(lines[0]) * (kLineCount - 1));
        lineCount -= 1;
    }
    std::snprintf(lines[lineCount], kLineSize, "%s", line);
    lineCount += 1;
}

const char* ConsoleText::Line(int index) const {
    if (index < 0 || index >= kLineCount) {
        return nullptr;
    }
    return lines[index];
}
