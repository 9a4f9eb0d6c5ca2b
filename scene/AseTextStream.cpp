#include "scene/AseTextStream.h"

#include <algorithm>
#include <cstring>

#include "platform/FileSystem.h"

namespace {

// How much of the file one read takes.
constexpr size_t kPieceBytes = 512 * 1024;

}  // namespace

AseTextStream::AseTextStream()
    : file(nullptr), window(), held(0), windowLength(0), windowOffset(0), fileDone(false), wide(0), started(false),
      crHeldBack(false), carried() {}

AseTextStream::~AseTextStream() { Close(); }

bool AseTextStream::Open(const char* fileName) {
    Close();
    file = Platform::OpenFile(fileName, "rb");
    if (file == nullptr) {
        return false;
    }
    Rewind();
    return true;
}

void AseTextStream::Rewind() {
    if (file != nullptr) {
        std::rewind(file);
    }
    held = 0;
    windowLength = 0;
    windowOffset = 0;
    fileDone = file == nullptr;
    wide = 0;
    started = false;
    crHeldBack = false;
    carried.clear();
}

void AseTextStream::Close() {
    if (file != nullptr) {
        std::fclose(file);
        file = nullptr;
    }
    std::vector<char>().swap(window);
    held = 0;
    windowLength = 0;
}

bool AseTextStream::ReadPiece() {
    if (fileDone) {
        return false;
    }
    // Raw bytes go after the held text; narrowing and line-end translation
    // only ever shrink them, in place (one byte of room for a carriage
    // return held back from the last piece).
    const size_t carriedCount = carried.size();
    if (window.size() < held + carriedCount + kPieceBytes + 1) {
        window.resize(held + carriedCount + kPieceBytes + 1);
    }
    unsigned char* const raw = reinterpret_cast<unsigned char*>(window.data()) + held;
    std::copy(carried.begin(), carried.end(), raw);
    carried.clear();
    const size_t got = std::fread(raw + carriedCount, 1, kPieceBytes, file);
    fileDone = got < kPieceBytes;
    size_t length = carriedCount + got;
    size_t from = 0;
    if (!started) {
        // The byte-order mark needs the first two bytes.
        if (length < 2 && !fileDone) {
            carried.assign(raw, raw + length);
            return true;
        }
        started = true;
        if (length >= 2) {
            wide = raw[0] == 0xFF && raw[1] == 0xFE ? 1 : (raw[0] == 0xFE && raw[1] == 0xFF ? 2 : 0);
            from = wide != 0 ? 2 : 0;
        }
    }
    if (wide != 0) {
        size_t out = 0;
        size_t in = from;
        for (; in + 1 < length; in += 2) {
            const unsigned lo = raw[in + (wide == 1 ? 0 : 1)];
            const unsigned hi = raw[in + (wide == 1 ? 1 : 0)];
            const unsigned unit = hi << 8 | lo;
            raw[out++] = static_cast<unsigned char>(unit < 256 ? unit : '?');
        }
        // Half a code unit waits for its other half (and is dropped at the end).
        if (in < length && !fileDone) {
            carried.push_back(raw[in]);
        }
        length = out;
    } else if (from != 0) {
        std::memmove(raw, raw + from, length - from);
        length -= from;
    }
    // A carriage return held back from the end of the last piece: dropped if
    // this piece starts with a line feed, else put back in front.
    if (crHeldBack) {
        crHeldBack = false;
        if (length == 0 || raw[0] != '\n') {
            std::memmove(raw + 1, raw, length);
            raw[0] = '\r';
            ++length;
        }
    }
    // One at the very end of this piece waits to see what follows it.
    if (length > 0 && raw[length - 1] == '\r' && !fileDone) {
        crHeldBack = true;
        --length;
    }
    // A carriage return directly before a line feed is dropped.
    const unsigned char* const stop = raw + length;
    const unsigned char* scan = raw;
    size_t out = 0;
    while (scan < stop) {
        const void* hit = std::memchr(scan, '\r', static_cast<size_t>(stop - scan));
        const unsigned char* const cr = static_cast<const unsigned char*>(hit);
        const unsigned char* const until = cr != nullptr ? cr : stop;
        const size_t run = static_cast<size_t>(until - scan);
        if (raw + out != scan) {
            std::memmove(raw + out, scan, run);
        }
        out += run;
        scan = until;
        if (cr != nullptr) {
            if (!(cr + 1 < stop && cr[1] == '\n')) {
                raw[out++] = '\r';
            }
            scan = cr + 1;
        }
    }
    held += out;
    return true;
}

bool AseTextStream::Next(const char*& begin, const char*& end) {
    // What the last window held is read: the partial line moves to the front.
    const size_t rest = held - windowLength;
    if (windowLength > 0) {
        std::memmove(window.data(), window.data() + windowLength, rest);
        windowOffset += windowLength;
    }
    held = rest;
    windowLength = 0;
    // Read until the held text has a line end, or the file ends.
    const char* lineEnd = nullptr;
    size_t searched = 0;
    for (;;) {
        if (held > searched) {
            const void* found = nullptr;
            // The last line end of the held text ends the window.
            for (size_t at = held; at > searched; --at) {
                if (window[at - 1] == '\n') {
                    found = &window[at - 1];
                    break;
                }
            }
            if (found != nullptr) {
                lineEnd = static_cast<const char*>(found);
                break;
            }
            searched = held;
        }
        if (!ReadPiece()) {
            break;
        }
    }
    windowLength = lineEnd != nullptr ? static_cast<size_t>(lineEnd - window.data()) + 1 : held;
    begin = window.data();
    end = window.data() + windowLength;
    return windowLength > 0;
}
