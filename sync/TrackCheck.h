// What the show checker finds in a show's sync tracks: the LOAD TRACKS line
// read as the engine reads it (its rates, every file of its base), the names
// SET ... TRACK lines bind, and, once the show's layers and scenes are known,
// each track that binds to nothing (an error: a misspelt name or property)
// and each bound name no file holds (a warning: it does nothing until the
// editor gives it keys).
#ifndef HALVENOR_SYNC_TRACKCHECK_H
#define HALVENOR_SYNC_TRACKCHECK_H

#include <map>
#include <memory>
#include <string>
#include <vector>

class SyncTracks;

class TrackCheck {
public:
    struct Finding {
        bool error;
        int line;  // of preconfig.txt
        std::string message;
    };

    TrackCheck();
    ~TrackCheck();
    TrackCheck(const TrackCheck&) = delete;
    TrackCheck& operator=(const TrackCheck&) = delete;

    // A LOAD TRACKS line, its words as written (the rates read as the
    // engine reads them); the files are read now, through the path rules.
    void Load(int line, const std::string& base, const std::string& bpm, const std::string& rowsPerBeat);
    // A SET LAYER2D or SET ESCENA line's TRACK: resource and property.
    void Want(int line, const std::string& resource, const std::string& property);

    // The findings, given the names of the show's layers and scenes (any
    // letter case matches, as in the engine) and, per layer name, its
    // shader's float uniforms.
    std::vector<Finding> Check(const std::vector<std::string>& layers, const std::vector<std::string>& scenes,
                               const std::map<std::string, std::vector<std::string>>& uniforms = {}) const;

    // "sync: 3 tracks from sync_*.track, 6.40 rows a second (96 bpm, 4 rows a
    // beat)"; empty without a LOAD TRACKS line.
    std::string Summary() const;

private:
    // Why the name binds to nothing; empty when it binds.
    std::string Unbound(const std::string& name, const std::vector<std::string>& layers,
                        const std::vector<std::string>& scenes,
                        const std::map<std::string, std::vector<std::string>>& uniforms) const;

    std::unique_ptr<SyncTracks> tracks;
    int loadLine;
    std::vector<Finding> found;
    struct Wanted {
        int line;
        std::string name;
    };
    std::vector<Wanted> wanted;
};

#endif
