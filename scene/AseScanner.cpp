#include "scene/AseScanner.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The scanf notion of white space in the C locale.
struct SpaceTable {
    bool space[256];
    SpaceTable() : space() {
        for (const unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r'}) {
            space[c] = true;
        }
    }
};
const SpaceTable kSpaces;

inline bool IsWhite(char c) { return kSpaces.space[static_cast<unsigned char>(c)]; }

inline bool IsDigit(char c) { return static_cast<unsigned>(c - '0') < 10u; }

// Set bits of a 16-bit mask, without a library call on processors whose
// baseline has no population count instruction.
inline int BitsSet16(uint32_t mask) {
    uint32_t x = mask - ((mask >> 1) & 0x5555u);
    x = (x & 0x3333u) + ((x >> 2) & 0x3333u);
    x = (x + (x >> 4)) & 0x0F0Fu;
    return static_cast<int>((x + (x >> 8)) & 0x1Fu);
}

// Moves past the ends of up to remaining tokens, scan starting inside a token
// (or at its start), and answers where the last of them ended, or stop when
// the text ran out first; remaining counts down the ends passed. The face
// normal's three vertex-normal lines, skipped this way, are a large share of
// an export, so sixteen bytes are classified at a time where the processor
// allows: a token ends where a white-space byte follows one that is not.
const char* SkipTokenEnds(const char* scan, const char* stop, int& remaining) {
    bool previousSpace = false;
#if defined(__SSE2__)
    const __m128i blank = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8('\t');
    const __m128i four = _mm_set1_epi8(4);
    while (stop - scan >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(scan));
        // ' ', or '\t' to '\r' (the byte minus '\t' at most 4, unsigned).
        const __m128i offset = _mm_sub_epi8(bytes, tab);
        const __m128i space =
            _mm_or_si128(_mm_cmpeq_epi8(bytes, blank), _mm_cmpeq_epi8(_mm_min_epu8(offset, four), offset));
        const uint32_t mask = static_cast<uint32_t>(_mm_movemask_epi8(space));
        const uint32_t ends = mask & ~((mask << 1) | (previousSpace ? 1u : 0u));
        const int found = BitsSet16(ends);
        if (found >= remaining) {
            uint32_t left = ends;
            for (int i = 1; i < remaining; ++i) {
                left &= left - 1;
            }
            const uint32_t lowest = left & (0u - left);
            remaining = 0;
            return scan + BitsSet16(lowest - 1);
        }
        remaining -= found;
        previousSpace = (mask & 0x8000u) != 0;
        scan += 16;
    }
#endif
    for (; scan < stop; ++scan) {
        const bool space = IsWhite(*scan);
        if (space && !previousSpace && --remaining == 0) {
            return scan;
        }
        previousSpace = space;
    }
    return scan;
}

}  // namespace

AseScanner::AseScanner() : stream(), textSize(0), cursor(nullptr), end(nullptr) {}

bool AseScanner::Open(const char* fileName) {
    cursor = end = nullptr;
    return stream.Open(fileName);
}

void AseScanner::Rewind(uint64_t size) {
    stream.Rewind();
    textSize = size;
    cursor = end = nullptr;
}

void AseScanner::Close() {
    stream.Close();
    cursor = end = nullptr;
}

bool AseScanner::IsSpace(char c) { return IsWhite(c); }

void AseScanner::StoreYUp(float* stored, const float* read, int matched) {
    if (matched > 0) {
        stored[0] = read[0];
    }
    if (matched > 1) {
        stored[2] = -read[1];
    }
    if (matched > 2) {
        stored[1] = read[2];
    }
}

void AseScanner::SkipSpace() {
    for (;;) {
        while (cursor < end && IsWhite(*cursor)) {
            ++cursor;
        }
        // The window is read to its end: the next one, if there is more.
        if (cursor < end || !stream.Next(cursor, end)) {
            return;
        }
    }
}

bool AseScanner::NextToken(Token& token) {
    SkipSpace();
    if (cursor >= end) {
        return false;
    }
    // A window ends after a line end, except the last, at the end of a text
    // that has none (a cut file, or one that is not text at all).
    const char* start = cursor;
    while (cursor < end && !IsWhite(*cursor)) {
        ++cursor;
    }
    token.text = start;
    token.length = static_cast<size_t>(cursor - start);
    return true;
}

bool AseScanner::ReadInt(int32_t& value) {
    SkipSpace();
    const char* scan = cursor;
    bool negative = false;
    if (scan < end && (*scan == '+' || *scan == '-')) {
        negative = *scan == '-';
        ++scan;
    }
    if (scan >= end || !IsDigit(*scan)) {
        return false;
    }
    // Like strtol into a long, saturating, then narrowed to int. Eighteen
    // digits cannot reach the limit, so only longer numbers are checked.
    unsigned long long magnitude = 0;
    const char* const quickEnd = scan + std::min<size_t>(18, static_cast<size_t>(end - scan));
    while (scan < quickEnd && IsDigit(*scan)) {
        magnitude = magnitude * 10 + static_cast<unsigned>(*scan - '0');
        ++scan;
    }
    const unsigned long long limit = negative ? static_cast<unsigned long long>(LONG_MAX) + 1 : LONG_MAX;
    while (scan < end && IsDigit(*scan)) {
        const unsigned digit = static_cast<unsigned>(*scan - '0');
        magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
        ++scan;
    }
    const long wide = negative ? static_cast<long>(0 - magnitude) : static_cast<long>(magnitude);
    value = static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned long>(wide)));
    cursor = scan;
    return true;
}

bool AseScanner::ReadPlainDecimal(float& value) {
    // [-]digits[.digits] with at most eight digits in all, whose digits make
    // an integer below 2^24, and nothing after it that a longer number would
    // take: that integer and the power of ten are exact floats, so one float
    // division rounds the number exactly as strtof does.
    static const float kPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f};
    const char* scan = cursor;
    const bool negative = scan < end && *scan == '-';
    scan += negative ? 1 : 0;
    uint32_t digits = 0;
    int count = 0;
    int fraction = 0;
    while (scan < end && IsDigit(*scan) && count < 9) {
        digits = digits * 10 + static_cast<uint32_t>(*scan++ - '0');
        ++count;
    }
    if (scan < end && *scan == '.') {
        ++scan;
        while (scan < end && IsDigit(*scan) && count < 9) {
            digits = digits * 10 + static_cast<uint32_t>(*scan++ - '0');
            ++count;
            ++fraction;
        }
    }
    const bool more = scan < end && (IsDigit(*scan) || *scan == '.' || *scan == 'e' || *scan == 'E');
    if (count == 0 || count > 8 || more || digits >= (1u << 24)) {
        return false;
    }
    const float magnitude = static_cast<float>(digits) / kPowersOfTen[fraction];
    value = negative ? -magnitude : magnitude;
    cursor = scan;
    return true;
}

bool AseScanner::ReadFloat(float& value) {
    SkipSpace();
    if (ReadPlainDecimal(value)) {
        return true;
    }
    const char* scan = cursor;
    if (scan < end && *scan == '+') {
        ++scan;
        if (scan < end && (*scan == '-' || *scan == '+')) {
            return false;
        }
    }
    // from_chars takes no hexadecimal without its own flag, and would read
    // the "0" of "0x1p3" alone: those go to the C library whole.
    const bool hex = end - scan > 1 && scan[0] == '0' && (scan[1] == 'x' || scan[1] == 'X');
    const bool signedHex = end - scan > 2 && scan[0] == '-' && scan[1] == '0' && (scan[2] == 'x' || scan[2] == 'X');
    float parsed = 0.0f;
    const std::from_chars_result result = std::from_chars(scan, end, parsed);
    if (result.ec == std::errc() && !hex && !signedHex) {
        value = parsed;
        cursor = result.ptr;
        return true;
    }
    if (result.ec == std::errc::invalid_argument && !hex && !signedHex) {
        return false;
    }
    return ReadRareFloat(value);
}

bool AseScanner::ReadRareFloat(float& value) {
    // Rare forms (out of range, hexadecimal) go through the C library, which
    // is what scanf itself would use.
    char number[128];
    size_t length = 0;
    for (const char* c = cursor; c < end && !IsWhite(*c) && length + 1 < sizeof number; ++c) {
        number[length++] = *c;
    }
    number[length] = '\0';
    char* stop = nullptr;
    errno = 0;
    const float converted = std::strtof(number, &stop);
    if (stop == number) {
        return false;
    }
    value = converted;
    cursor += stop - number;
    return true;
}

int AseScanner::ReadFloats(float* values, int count) {
    int matched = 0;
    while (matched < count && ReadFloat(values[matched])) {
        ++matched;
    }
    return matched;
}

void AseScanner::ReadQuotedName(char* buffer, size_t capacity) {
    SkipSpace();
    MatchChar('"');
    const char* start = cursor;
    const char* newline = static_cast<const char*>(std::memchr(start, '\n', WindowLeft()));
    cursor = newline != nullptr ? newline + 1 : end;
    // The line's last two characters are its closing quote and its line end.
    size_t length = static_cast<size_t>(cursor - start);
    length = length >= 2 ? length - 2 : 0;
    length = std::min(length, std::min(capacity, kQuotedNameSize) - 1);
    std::memcpy(buffer, start, length);
    buffer[length] = '\0';
}

void AseScanner::SkipLine(size_t size) {
    const size_t span = std::min(size, WindowLeft());
    const char* newline = static_cast<const char*>(std::memchr(cursor, '\n', span));
    cursor = newline != nullptr ? newline + 1 : cursor + span;
}

void AseScanner::SkipTokens(int count) {
    int remaining = count;
    while (remaining > 0) {
        SkipSpace();
        if (cursor >= end) {
            return;
        }
        // cursor is at the start of a token.
        cursor = SkipTokenEnds(cursor, end, remaining);
    }
}

void AseScanner::SkipRestOfLineUnless(bool (*isKeyword)(const char* text, size_t length)) {
    const size_t left = WindowLeft();
    const char* const newline = static_cast<const char*>(std::memchr(cursor, '\n', left));
    if (newline == nullptr) {
        return;
    }
    const size_t length = static_cast<size_t>(newline - cursor);
    if (std::memchr(cursor, '{', length) != nullptr || std::memchr(cursor, '}', length) != nullptr) {
        return;
    }
    for (const char* star = static_cast<const char*>(std::memchr(cursor, '*', length)); star != nullptr;
         star = static_cast<const char*>(std::memchr(star + 1, '*', static_cast<size_t>(newline - star - 1)))) {
        const char* last = star;
        while (last < newline && !IsWhite(*last)) {
            ++last;
        }
        if (isKeyword(star, static_cast<size_t>(last - star))) {
            return;
        }
    }
    cursor = newline + 1;
}
