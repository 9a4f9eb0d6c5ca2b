#include "checker/Suggestion.h"

#include <algorithm>

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

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
