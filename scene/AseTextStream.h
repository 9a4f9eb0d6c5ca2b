// The text of an ASE file as the reader scans it: a window of whole lines at
// a time, refilled from the file as the scan reaches its end, so that reading
// a large export holds about a megabyte of text instead of all of it.
//
// The text is what text-mode reading of the file gives: UTF-16 files (either
// byte order, after their byte-order mark) are narrowed to the 8-bit text they
// would have been saved as (code units below 256 keep their value, others
// become '?'), and a carriage return directly before a line feed is dropped.
// A window always ends just after a line feed (or at the end of the text), so
// no token, number or line is ever cut by its end; a line longer than the
// window widens it.
#ifndef HALVENOR_SCENE_ASETEXTSTREAM_H
#define HALVENOR_SCENE_ASETEXTSTREAM_H

#include <cstdint>
#include <cstdio>
#include <vector>

class AseTextStream {
public:
    AseTextStream();
    ~AseTextStream();
    AseTextStream(const AseTextStream&) = delete;
    AseTextStream& operator=(const AseTextStream&) = delete;

    // False when the file cannot be opened.
    bool Open(const char* fileName);
    // Back to the start of the text, with an empty window.
    void Rewind();
    void Close();

    // Moves the window on: everything before end has been read. Answers false
    // at the end of the text. begin and end delimit the new window.
    bool Next(const char*& begin, const char*& end);

    // Bytes of text before the given point of the window.
    uint64_t Offset(const char* at) const { return windowOffset + static_cast<uint64_t>(at - window.data()); }

private:
    // Appends the next piece of the file, as text, after the held bytes;
    // false once the file has nothing more.
    bool ReadPiece();

    FILE* file;
    std::vector<char> window;
    // Text bytes held: the window proper, then the start of a line whose end
    // has not been read yet.
    size_t held;
    size_t windowLength;
    uint64_t windowOffset;
    bool fileDone;
    // UTF-16: 0 none, 1 little-endian, 2 big-endian; decided by the first bytes.
    int wide;
    bool started;
    // A carriage return at the end of a piece, which a line feed at the start
    // of the next would drop.
    bool crHeldBack;
    // File bytes still to be decoded: the first byte of a UTF-16 code unit,
    // or the start of a file too short yet to tell its byte-order mark.
    std::vector<unsigned char> carried;
};

#endif
