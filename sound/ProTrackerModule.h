// A ProTracker module (the 31-sample "M.K." MOD: four channels, patterns of
// 64 rows) built in memory, so that tools and tests can compose tracker music
// by code. At the default speed 6 and tempo 125 a row lasts 6 × 2.5 / 125 =
// 0.12 s, a pattern 7.68 s.
#ifndef HALVENOR_SOUND_PROTRACKERMODULE_H
#define HALVENOR_SOUND_PROTRACKERMODULE_H

#include <cstdint>
#include <string>
#include <vector>

class ProTrackerModule {
public:
    static constexpr int kRows = 64;
    static constexpr int kChannels = 4;
    static constexpr int kMaxSamples = 31;
    static constexpr int kMaxOrders = 128;
    static constexpr int kNotes = 36;  // C-1 to B-3

    // Signed 8-bit sound; a loop of 0 bytes plays the sample once.
    struct Sample {
        std::string name;
        std::vector<int8_t> data;
        int volume = 64;
        size_t loopStart = 0;
        size_t loopLength = 0;
    };

    // note: 0 (C-1) to 35 (B-3), or -1 for none; sample: 1-based, 0 keeps
    // the channel's; effect and param as the tracker writes them (F06 sets
    // speed 6, F7D tempo 125, C40 volume 64).
    struct Cell {
        int note = -1;
        int sample = 0;
        int effect = 0;
        int param = 0;
    };

    explicit ProTrackerModule(const std::string& title);

    // The sample's number (1 to 31), or 0 when there is no room or it is too
    // long for the format (128 KB).
    int AddSample(const Sample& sample);
    // The new pattern's index; its cells start empty.
    int AddPattern();
    Cell& At(int pattern, int row, int channel);
    // Appends a pattern to the song's order list (at most 128).
    bool AddOrder(int pattern);

    std::string Bytes() const;
    bool Write(const std::string& path) const;

    // The Amiga period of a note (finetune 0).
    static int Period(int note);

private:
    std::string title;
    std::vector<Sample> samples;
    std::vector<std::vector<Cell>> patterns;
    std::vector<uint8_t> orders;
};

#endif
