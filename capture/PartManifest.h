// What a part of a split capture says about itself, in a small text file
// beside its output: the show it is of, the stretch (start, rate, frames of
// the whole), the picture's size, which part of how many, its frames and how
// far it got. A part writes it when it starts and again when it ends, so a
// part that never started has none and one stopped on the way says how many
// frames it holds. `halvenor-capture --join` reads them to check that the
// parts belong together and are complete before it joins them.
//
// Where it is: part-K-of-N.txt inside a frame directory (parts may share
// one), or the video's name with ".part.txt" added.
#ifndef HALVENOR_CAPTURE_PARTMANIFEST_H
#define HALVENOR_CAPTURE_PARTMANIFEST_H

#include <cstdint>
#include <string>

#include "capture/CaptureSplit.h"

struct PartManifest {
    // A manifest file is a few hundred bytes; anything much longer is not one.
    static constexpr long kMaxBytes = 16384;
    // A day of show at 1000 frames a second, the most a capture takes.
    static constexpr int64_t kMaxFrames = 86400LL * 1000;

    std::string show;  // ShowFingerprint of the show captured
    double rate = 0.0;
    double start = 0.0;
    int64_t frames = 0;  // of the whole stretch
    int width = 0;
    int height = 0;
    CaptureSplit split;
    int64_t first = 0;
    int64_t end = 0;
    int64_t written = 0;
    bool complete = false;
    // A video part 0's sound track of the whole stretch, a file beside it
    // (its name only); empty when there is none.
    std::string sound;

    static std::string PathFor(const std::string& output, const CaptureSplit& split, bool video);
    // Identifies the show by its preconfiguration and script texts.
    static std::string ShowFingerprint(const std::string& preconfigFile, const std::string& scriptFile);

    std::string Text() const;
    bool Write(const std::string& path) const;
    // False with a message naming the file when it is missing or not a manifest.
    static bool Read(const std::string& path, PartManifest& manifest, std::string& error);
    // Whether two parts are of one capture: same show, stretch, size and split.
    bool SameCapture(const PartManifest& other) const;
};

#endif
