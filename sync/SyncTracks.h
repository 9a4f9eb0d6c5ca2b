// A show's sync tracks (preconfig.txt: LOAD TRACKS base bpm rows_per_beat):
// the tracks read from the files a Rocket client saves (base_NAME.track
// beside the base) or from the editor's project when base names a .rocket
// file, the names the show binds without a file yet, the row rate, and each
// track bound to what it drives.
//
// Row r is music time r / (bpm / 60 x rows_per_beat). Every frame, Apply sets
// each bound track's value at the music time on what it drives, over what
// events and animations set; a track without keys sets nothing.
#ifndef HALVENOR_SYNC_SYNCTRACKS_H
#define HALVENOR_SYNC_SYNCTRACKS_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sync/SyncTarget.h"
#include "sync/SyncTrack.h"

class SyncTargetFinder;

class SyncTracks {
public:
    static constexpr size_t kMaxTracks = 4096;

    // bpm and rowsPerBeat above 0 (the caller refuses others).
    SyncTracks(const std::string& base, double bpm, double rowsPerBeat);
    SyncTracks(const SyncTracks&) = delete;
    SyncTracks& operator=(const SyncTracks&) = delete;

    const std::string& Base() const { return base; }
    // The base names the editor's project file (.rocket, any case).
    bool FromProject() const;
    // Where SAVE_TRACKS writes base_NAME.track files: the base, or the
    // project's name without ".rocket".
    std::string SaveBase() const;
    double Bpm() const { return bpm; }
    double RowsPerBeat() const { return rowsPerBeat; }
    double RowsPerSecond() const { return bpm / 60.0 * rowsPerBeat; }
    double RowAt(double seconds) const { return seconds * RowsPerSecond(); }
    double SecondsAt(double row) const { return row / RowsPerSecond(); }

    // Reads the base's tracks. Each file (or the project) that cannot be
    // read is one line in problems, "file: why", and is left out.
    void Load(std::vector<std::string>& problems);

    size_t Count() const { return entries.size(); }
    SyncTrack& At(size_t index) { return *entries[index].track; }
    const SyncTrack& At(size_t index) const { return *entries[index].track; }
    SyncTrack* Find(const std::string& name) const;
    // A name the show binds (a SET ... TRACK line, a shader's uniform): its
    // track, added without keys when no file holds it. Null when the name
    // is empty or too long, or the show has kMaxTracks tracks already.
    SyncTrack* Want(const std::string& name);
    // Whether a file (or the project) gave the track.
    bool FromFile(size_t index) const { return entries[index].fromFile; }

    // Each track bound to what its name drives; earlier bindings go.
    void Bind(const SyncTargetFinder& finder);
    // The values at a music time, on what the tracks drive.
    void Apply(double seconds) const;
    size_t BoundCount() const { return bindings.size(); }
    // Tracks whose names bind to nothing, in track order.
    std::vector<std::string> UnboundNames() const;

    // Every track to SaveBase()_NAME.track, each through a temporary file.
    // Answers how many were written; the first failure in *error (the
    // others are still tried).
    size_t Save(std::string* error) const;

    // Tells one set of tracks from the next (a show built again reads a new
    // one): no two sets of a process share it.
    uint64_t Serial() const { return serial; }

private:
    struct Entry {
        std::unique_ptr<SyncTrack> track;
        bool fromFile;
    };
    struct Binding {
        const SyncTrack* track;
        SyncTarget target;
    };

    void LoadTrackFiles(std::vector<std::string>& problems);
    void LoadProject(std::vector<std::string>& problems);

    std::string base;
    double bpm;
    double rowsPerBeat;
    std::vector<Entry> entries;
    std::vector<Binding> bindings;
    uint64_t serial;
};

#endif
