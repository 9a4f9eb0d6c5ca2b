#include "checker/AseTextLines.h"

#include <algorithm>

#include "scene/AseTextStream.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

std::vector<int> AseTextLines::Of(const std::string& fileName, const std::vector<uint64_t>& offsets) {
    std::vector<int> lines(offsets.size(), 0);
    std::vector<size_t> order(offsets.size());
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return offsets[a] < offsets[b]; });
    AseTextStream stream;
    if (!stream.Open(fileName.c_str())) {
        return lines;
    }
    // The line the scan is on, and the line of the last word byte passed.
    int line = 1;
    int wordLine = 1;
    uint64_t at = 0;
    size_t next = 0;
    const char* begin = nullptr;
    const char* end = nullptr;
    while (next < order.size() && stream.Next(begin, end)) {
        for (const char* c = begin; c < end && next < order.size(); ++c, ++at) {
            for (; next < order.size() && offsets[order[next]] <= at; ++next) {
                lines[order[next]] = offsets[order[next]] == 0 ? 0 : wordLine;
            }
            if (!IsBlank(*c)) {
                wordLine = line;
            }
            line += *c == '\n' ? 1 : 0;
        }
    }
    // Offsets at the very end of the text.
    for (; next < order.size(); ++next) {
        lines[order[next]] = offsets[order[next]] == 0 ? 0 : wordLine;
    }
    return lines;
}
