#include "config/PreconfigLine.h"

#include <cstdlib>
#include <cstring>

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool EqualsIgnoringCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        if (LowerAscii(*a) != LowerAscii(*b)) {
            return false;
        }
        if (*a == '\0') {
            return true;
        }
    }
}

PreconfigLine::PreconfigLine(const char* line) : command(), kind(), args(), argCount(0) {
    struct Word {
        const char* begin;
        int length;
    };
    Word words[2 + kMaxArgs] = {};
    int wordCount = 0;
    const char* lastBegin = nullptr;
    int lastLength = 0;
    int totalWords = 0;
    for (const char* at = line; *at != '\0';) {
        if (*at == ' ') {
            ++at;
            continue;
        }
        const char* begin = at;
        while (*at != '\0' && *at != ' ') {
            ++at;
        }
        const int length = static_cast<int>(at - begin);
        if (wordCount < 2 + kMaxArgs) {
            words[wordCount++] = {begin, length};
        }
        lastBegin = begin;
        lastLength = length;
        ++totalWords;
    }
    // The line's own last word carries the line feed; words beyond the tenth
    // argument are dropped, so cut the feed before choosing what to keep.
    if (totalWords >= 3 && lastLength > 0) {
        for (int i = 0; i < wordCount; ++i) {
            if (words[i].begin == lastBegin) {
                words[i].length -= 1;
            }
        }
    }
    for (int i = 0; i < wordCount; ++i) {
        StoreWord(i, words[i].begin, words[i].length);
    }
    argCount = wordCount > 2 ? wordCount - 2 : 0;
}

void PreconfigLine::StoreWord(int index, const char* begin, int length) {
    char* target = index == 0 ? command : index == 1 ? kind : args[index - 2];
    const int kept = length < kWordSize - 1 ? length : kWordSize - 1;
    std::memcpy(target, begin, static_cast<size_t>(kept));
    target[kept] = '\0';
}

const char* PreconfigLine::Arg(int position) const {
    if (position < 1 || position > argCount) {
        return "";
    }
    return args[position - 1];
}

int PreconfigLine::IntArg(int position) const { return std::atoi(Arg(position)); }

float PreconfigLine::FloatArg(int position) const { return static_cast<float>(std::atof(Arg(position))); }

bool PreconfigLine::IsComment() const { return std::strcmp(command, "//") == 0; }

bool PreconfigLine::CommandIs(const char* word) const { return EqualsIgnoringCase(command, word); }

bool PreconfigLine::KindIs(const char* word) const { return EqualsIgnoringCase(kind, word); }
