// What one ASE import may allocate, charged against the size of its text.
//
// Every element count a file announces is believed only as far as the rest of
// the text could really describe that many elements: each element is charged
// the bytes of the smallest block or line of its kind, from one budget the
// size of the text, so no file can make the reader hold more records than it
// holds lines for, however many blocks claim them. Tracks are charged apart:
// their length comes from the scene's last frame, not from lines of the file,
// so an absurd last frame must not make every camera and light allocate
// gigabytes.
#ifndef HALVENOR_SCENE_ASEIMPORTBUDGET_H
#define HALVENOR_SCENE_ASEIMPORTBUDGET_H

#include <cstddef>
#include <cstdint>

class AseScanner;

class AseImportBudget {
public:
    explicit AseImportBudget(const AseScanner& scanner);

    // A fresh budget for a text of textSize bytes.
    void Reset(uint64_t textSize);

    // The count to create for an announced element count: 0 for a negative
    // one, and never more than the text after the cursor (and the budget)
    // could hold at bytesPerElement each; a cut is logged under keyword.
    uint32_t BoundedCount(const char* keyword, int64_t count, size_t bytesPerElement);

    // Samples for one track of a scene whose last frame is lastFrame (at
    // least one), cut to what the track budget has left.
    uint32_t TrackLength(int32_t lastFrame);

private:
    const AseScanner& scanner;
    // Track samples still allowed for this import.
    uint64_t trackSamplesLeft;
    // Every announced element stands for a line of at least its keyword's
    // length: all the arrays of one import together never announce more
    // lines than the text could hold.
    uint64_t elementBytesLeft;
};

#endif
