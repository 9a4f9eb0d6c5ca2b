#include "capture/CaptureSplit.h"

#include <cerrno>
#include <cstdlib>

namespace {

bool ReadCount(const std::string& text, long& value) {
    if (text.empty() || text.size() > 6) {
        return false;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    value = std::strtol(text.c_str(), nullptr, 10);
    return true;
}

}  // namespace

CaptureSplit::CaptureSplit(int index_, int count_) : index(index_), count(count_) {}

bool CaptureSplit::Parse(const std::string& text, CaptureSplit& split, std::string& error) {
    const size_t slash = text.find('/');
    long index = 0;
    long count = 0;
    if (slash == std::string::npos || !ReadCount(text.substr(0, slash), index) ||
        !ReadCount(text.substr(slash + 1), count) || count < 1 || count > kMaxParts || index >= count) {
        error = "--part wants K/N, part K of N numbered from 0 (0/4 to 3/4 for four parts, N up to " +
                std::to_string(kMaxParts) + "), not '" + text + "'";
        return false;
    }
    split = CaptureSplit(static_cast<int>(index), static_cast<int>(count));
    return true;
}

std::string CaptureSplit::Name() const { return std::to_string(index) + "/" + std::to_string(count); }

int64_t CaptureSplit::First(int64_t frames) const {
    const int64_t share = frames / count;
    const int64_t extra = frames % count;
    return index * share + (index < extra ? index : extra);
}

int64_t CaptureSplit::End(int64_t frames) const { return CaptureSplit(index + 1, count).First(frames); }
