#include "checker/FindingText.h"

#include <algorithm>
#include <cstdio>

std::string FindingText::Quoted(const std::string& text) {
    constexpr size_t kShown = 60;
    std::string shown = text.substr(0, kShown);
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 32 || c == 127) {
            c = '?';
        }
    }
    return "'" + shown + (text.size() > kShown ? "...'" : "'");
}

std::string FindingText::OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

std::string FindingText::Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string FindingText::Seconds(float seconds) { return Format("%.2f s", seconds); }

std::string FindingText::IndexRange(size_t count) {
    if (count == 0) {
        return "none";
    }
    return count == 1 ? "0" : "0-" + std::to_string(count - 1);
}

std::string FindingText::Plural(size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}
