// How a finding words what it quotes of the show and the numbers it gives:
// one line per finding, the show's own words quoted and cut, seconds and
// counts always written the same way.
#ifndef HALVENOR_CHECKER_FINDINGTEXT_H
#define HALVENOR_CHECKER_FINDINGTEXT_H

#include <cstddef>
#include <string>

class FindingText {
public:
    // A word of the show inside a message: control bytes become '?', and a
    // word longer than a line's worth is cut.
    static std::string Quoted(const std::string& text);
    // A box's text on the finding's one line.
    static std::string OneLine(std::string text);
    static std::string Format(const char* format, double value);
    // "12.50 s".
    static std::string Seconds(float seconds);
    // Indices of count things: "0-3", "0" or "none".
    static std::string IndexRange(size_t count);
    // "1 camera", "3 cameras".
    static std::string Plural(size_t count, const char* one, const char* many);
};

#endif
