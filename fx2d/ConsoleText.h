// The developer console's text: a ten-line history (oldest first) and the
// input line, which holds the prompt ": ", the typed characters and the cursor
// "_". A committed line only moves into the history: the console interprets
// nothing.
#ifndef HALVENOR_FX2D_CONSOLETEXT_H
#define HALVENOR_FX2D_CONSOLETEXT_H

#include <cstdint>

class ConsoleText {
public:
    static constexpr int kLineCount = 10;
    static constexpr int kLineSize = 80;
    // Prompt, 76 typed characters, cursor and terminator fill the 80 bytes.
    static constexpr int kMaxTyped = kLineSize - 4;

    ConsoleText();

    // Appends one byte before the cursor; bytes beyond the 76th are ignored.
    void AppendChar(char c);
    // Moves the input line, without its cursor, into the history.
    void Commit();
    void ResetInput();
    // Drops the oldest line once the history is full.
    void AddLine(const char* line);

    int32_t LineCount() const { return lineCount; }
    // Null unless 0 <= index < kLineCount.
    const char* Line(int index) const;
    const char* Input() const { return input; }

private:
    char lines[kLineCount][kLineSize];
    int32_t lineCount;
    char input[kLineSize];
    int32_t inputLength;
};

#endif
