// The token scanner under the ASE reader and its block readers.
//
// It walks whitespace-separated tokens of the text and reads a keyword's
// arguments the way scanf would read them with that keyword's format: each
// read follows the matching conversion ("%s", "%d", "%f"), and a read that
// does not match consumes nothing beyond the white space before it and
// answers false. Every block reader relies on that: a value the line does not
// give leaves the field as it was, exactly as a scanf that stopped early.
//
// The text comes a window of whole lines at a time (AseTextStream), so no
// token, number or line is ever cut by a window's end.
#ifndef HALVENOR_SCENE_ASESCANNER_H
#define HALVENOR_SCENE_ASESCANNER_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "scene/AseTextStream.h"

class AseScanner {
public:
    // Names read as the rest of a line fit a buffer of this size.
    static constexpr size_t kQuotedNameSize = 100;
    // The light reader and the face-normal skip throw away a line through a
    // buffer of this size.
    static constexpr size_t kSkippedLineSize = 149;

    // One whitespace-delimited word of the text.
    struct Token {
        const char* text;
        size_t length;

        template <size_t N>
        bool Is(const char (&keyword)[N]) const {
            return length == N - 1 && std::memcmp(text, keyword, N - 1) == 0;
        }
    };

    AseScanner();
    AseScanner(const AseScanner&) = delete;
    AseScanner& operator=(const AseScanner&) = delete;

    // False when the file cannot be opened.
    bool Open(const char* fileName);
    // The counting pass: the whole text a window at a time, before any
    // scanning (false at its end).
    bool NextWindow(const char*& begin, const char*& stop) { return stream.Next(begin, stop); }
    // Back to the start of the text, which the counting pass found size
    // bytes long, for the scanning pass.
    void Rewind(uint64_t size);
    void Close();

    bool NextToken(Token& token);
    bool ReadInt(int32_t& value);
    bool ReadFloat(float& value);
    // Up to count numbers; answers how many matched (a stop at the first miss).
    int ReadFloats(float* values, int count);
    bool MatchChar(char c) {
        if (cursor < end && *cursor == c) {
            ++cursor;
            return true;
        }
        return false;
    }
    void SkipSpace();
    // Quoted names: blanks and an opening quote, then the rest of the line
    // without its last two characters (the closing quote and the line end),
    // cut to capacity - 1 characters.
    void ReadQuotedName(char* buffer, size_t capacity);
    // fgets into a buffer of size + 1 characters, thrown away.
    void SkipLine(size_t size);
    void SkipTokens(int count);
    // Passes over the rest of the line when none of its tokens could mean
    // anything to the caller: no brace, and no '*' word that isKeyword takes.
    // A line the window does not finish is left alone.
    void SkipRestOfLineUnless(bool (*isKeyword)(const char* text, size_t length));

    // Bytes of the text read so far; 0 before the scan.
    uint64_t Offset() const { return cursor != nullptr ? stream.Offset(cursor) : 0; }
    // Bytes of the whole text after the cursor.
    uint64_t BytesLeft() const { return textSize - (cursor != nullptr ? stream.Offset(cursor) : 0); }

    // The scanf notion of white space in the C locale.
    static bool IsSpace(char c);

    // File (x, y, z) is Z-up; the scene is Y-up, so it is stored as (x, z, -y).
    // Only the numbers that were read change the stored value, as a scanf
    // that stops early leaves its fields.
    static void StoreYUp(float* stored, const float* read, int matched);

private:
    // The common case of ReadFloat, a short plain decimal; false (nothing
    // consumed) for anything else.
    bool ReadPlainDecimal(float& value);
    // Out of range and hexadecimal numbers, through the C library.
    bool ReadRareFloat(float& value);
    // Bytes of the window after the cursor.
    size_t WindowLeft() const { return static_cast<size_t>(end - cursor); }

    AseTextStream stream;
    uint64_t textSize;
    // The window being scanned.
    const char* cursor;
    const char* end;
};

#endif
