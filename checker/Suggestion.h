// "Did you mean": the known word nearest to a mistyped one, near enough to
// be a typo of it. Letter case does not count, and a swap of two neighbours
// is one edit, the most frequent typo ("FX_SHWO").
#ifndef HALVENOR_CHECKER_SUGGESTION_H
#define HALVENOR_CHECKER_SUGGESTION_H

#include <cstddef>
#include <string>
#include <vector>

class Suggestion {
public:
    // The closest candidate that is near enough to be a typo of the word, or
    // an empty string.
    static std::string Nearest(const std::string& word, const std::vector<std::string>& candidates);
    // " (did you mean X?)", or nothing.
    static std::string DidYouMean(const std::string& word, const std::vector<std::string>& candidates);
    // The same for a file name among the names beside it, which also finds
    // a copy kept under a longer or shorter name with the same extension
    // ("musica_old.ogg" for "musica.ogg", "fondo.jpg" for "fondo_v2.jpg").
    static std::string DidYouMeanFile(const std::string& name, const std::vector<std::string>& neighbours);

    // The words of a keyword table, as candidates.
    template <typename Entry>
    static std::vector<std::string> Words(const Entry* table, int count) {
        std::vector<std::string> words;
        for (int i = 0; i < count; ++i) {
            words.push_back(table[i].word);
        }
        return words;
    }

private:
    static size_t EditDistance(const std::string& a, const std::string& b);
    // The neighbour, if any, whose stem begins or ends with the name's stem
    // or the other way round, the nearest of them first.
    static std::string RenamedCopy(const std::string& name, const std::vector<std::string>& neighbours);
};

#endif
