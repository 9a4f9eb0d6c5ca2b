#include "checker/Suggestion.h"

#include <algorithm>
#include <utility>

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), LowerAscii);
    return text;
}

// A stem shorter than this ("a", "01") would match too many neighbours.
constexpr size_t kShortestStem = 3;

// Stem and extension (with its dot) of a file name, in lower case.
std::pair<std::string, std::string> StemAndExtension(const std::string& name) {
    const size_t dot = name.rfind('.');
    const std::string lower = Lower(name);
    if (dot == std::string::npos || dot == 0) {
        return {lower, std::string()};
    }
    return {lower.substr(0, dot), lower.substr(dot)};
}

bool BeginsOrEnds(const std::string& text, const std::string& part) {
    return part.size() < text.size() &&
           (text.compare(0, part.size(), part) == 0 || text.compare(text.size() - part.size(), part.size(), part) == 0);
}


}  // namespace

size_t Suggestion::EditDistance(const std::string& a, const std::string& b) {
    const size_t n = a.size();
    const size_t m = b.size();
    std::vector<std::vector<size_t>> d(n + 1, std::vector<size_t>(m + 1));
    for (size_t i = 0; i <= n; ++i) {
        d[i][0] = i;
    }
    for (size_t j = 0; j <= m; ++j) {
        d[0][j] = j;
    }
    for (size_t i = 1; i <= n; ++i) {
        for (size_t j = 1; j <= m; ++j) {
            const size_t cost = LowerAscii(a[i - 1]) == LowerAscii(b[j - 1]) ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && LowerAscii(a[i - 1]) == LowerAscii(b[j - 2]) &&
                LowerAscii(a[i - 2]) == LowerAscii(b[j - 1])) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[n][m];
}

std::string Suggestion::Nearest(const std::string& word, const std::vector<std::string>& candidates) {
    const size_t allowed = word.size() <= 3 ? 1 : word.size() <= 6 ? 2 : 3;
    std::string best;
    size_t bestDistance = allowed + 1;
    for (const std::string& candidate : candidates) {
        const size_t distance = EditDistance(word, candidate);
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

std::string Suggestion::DidYouMean(const std::string& word, const std::vector<std::string>& candidates) {
    const std::string best = Nearest(word, candidates);
    return best.empty() ? std::string() : " (did you mean " + best + "?)";
}

std::string Suggestion::DidYouMeanFile(const std::string& name, const std::vector<std::string>& neighbours) {
    std::string best = Nearest(name, neighbours);
    if (best.empty()) {
        best = RenamedCopy(name, neighbours);
    }
    return best.empty() ? std::string() : " (did you mean " + best + "?)";
}

std::string Suggestion::RenamedCopy(const std::string& name, const std::vector<std::string>& neighbours) {
    const auto [stem, extension] = StemAndExtension(name);
    std::string best;
    size_t bestDistance = 0;
    for (const std::string& neighbour : neighbours) {
        const auto [otherStem, otherExtension] = StemAndExtension(neighbour);
        if (otherExtension != extension || std::min(stem.size(), otherStem.size()) < kShortestStem ||
            !(BeginsOrEnds(otherStem, stem) || BeginsOrEnds(stem, otherStem))) {
            continue;
        }
        const size_t distance = EditDistance(name, neighbour);
        if (best.empty() || distance < bestDistance || (distance == bestDistance && neighbour < best)) {
            best = neighbour;
            bestDistance = distance;
        }
    }
    return best;
}
