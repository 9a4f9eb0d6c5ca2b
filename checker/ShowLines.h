// A show's text files read as the engine reads them: line by line within the
// reader's line limit, words separated by spaces only, numbers as the
// standard conversions read them.
#ifndef HALVENOR_CHECKER_SHOWLINES_H
#define HALVENOR_CHECKER_SHOWLINES_H

#include <cstdio>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

class ShowLines {
public:
    // Reads a text file line by line with the engine's limits. For each line
    // the engine reads, calls take(line number, text) with its first piece;
    // reports over-long lines and a last line without a line break through
    // problem(line number, message). False when the file cannot be opened.
    template <typename Take, typename Problem>
    static bool Read(const std::string& name, int limit, Take take, Problem problem);

    // A number as the standard conversions read it, with nothing left over:
    // "12,5" and "1.5s" are not numbers, although the engine reads 12 and 1.5
    // from them.
    static bool IsNumber(const char* word);
    static bool ContainsTab(const char* text);
    static std::string WithoutLineFeed(const char* word);
    // The words of text between any of the separator characters; runs of
    // separators make no empty words.
    static std::vector<std::string> SplitWords(const std::string& text, const char* separators);

private:
    static bool HasText(const std::string& text);
    static std::string TooLong(int limit);
};

template <typename Take, typename Problem>
bool ShowLines::Read(const std::string& name, int limit, Take take, Problem problem) {
    FILE* file = Platform::OpenFile(name.c_str(), "r");
    if (file == nullptr) {
        return false;
    }
    std::vector<char> buffer(static_cast<size_t>(limit) + 1);
    int lineNumber = 1;
    bool continuing = false;
    while (Platform::ReadTextLine(buffer.data(), static_cast<int>(buffer.size()), file) != nullptr) {
        const std::string text(buffer.data());
        if (std::feof(file)) {
            if (HasText(text)) {
                problem(lineNumber, "the last line has no line break, so the engine does not read it");
            }
            break;
        }
        const bool complete = text.back() == '\n';
        if (!complete && !continuing) {
            problem(lineNumber, TooLong(limit));
        }
        // The rest of a cut line is reported with it, not as a line of its own.
        if (!continuing) {
            take(lineNumber, buffer.data());
        }
        continuing = !complete;
        if (complete) {
            ++lineNumber;
        }
    }
    std::fclose(file);
    return true;
}

#endif
