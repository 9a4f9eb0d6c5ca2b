#include "checker/ShowLines.h"

#include <cstdlib>
#include <cstring>

bool ShowLines::IsNumber(const char* word) {
    if (word == nullptr || *word == '\0') {
        return false;
    }
    char* end = nullptr;
    std::strtod(word, &end);
    return end != word && *end == '\0';
}

bool ShowLines::ContainsTab(const char* text) { return std::strchr(text, '\t') != nullptr; }

std::string ShowLines::WithoutLineFeed(const char* word) {
    std::string text(word);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

std::vector<std::string> ShowLines::SplitWords(const std::string& text, const char* separators) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : text) {
        if (c != '\0' && std::strchr(separators, c) != nullptr) {
            if (!word.empty()) {
                words.push_back(word);
                word.clear();
            }
        } else {
            word += c;
        }
    }
    if (!word.empty()) {
        words.push_back(word);
    }
    return words;
}

bool ShowLines::HasText(const std::string& text) { return text.find_first_not_of(" \t\r\n") != std::string::npos; }

std::string ShowLines::TooLong(int limit) {
    return "the line is longer than " + std::to_string(limit - 1) +
           " characters: the engine reads the rest as another line";
}
