// A show's sync tracks as the engine will read and bind them: the LOAD
// TRACKS line (its rates, every file of its base, read now with the
// engine's readers), the names SET ... TRACK lines bind, and, once the
// show's layers and scenes are known, every track that binds to nothing (an
// error: a misspelt name or property) and every bound name without keys (a
// warning: it drives nothing until the editor gives it keys), a shader's own
// float uniform among them (it stays 0 without a track). The track
// files are not among the files a reloading player watches: the Rocket
// editor writes them while the player runs.
#ifndef HALVENOR_CHECKER_SYNCTRACKCHECKER_H
#define HALVENOR_CHECKER_SYNCTRACKCHECKER_H

#include <string>
#include <vector>

struct CheckedShow;
class PreconfigLine;

class SyncTrackChecker {
public:
    explicit SyncTrackChecker(CheckedShow& show) : show(show) {}

    // A LOAD TRACKS line whose words are right.
    void Take(const std::string& file, int line, const PreconfigLine& words);
    // The TRACK of a SET LAYER2D or SET ESCENA line that names a resource.
    void Want(const std::string& file, int line, const std::string& resource, const std::string& property);
    // After the last line, the blur's layers included.
    void Check();

    // "3 tracks from sync_*.track, 6.40 rows a second (96 bpm, 4 rows a
    // beat)"; empty without tracks.
    static std::string Summary(const CheckedShow& show);

private:
    // Why the name binds to nothing; empty when it binds.
    std::string Unbound(const std::string& name) const;
    // The float uniforms the shader file of the layer of that name (any
    // letter case) declares itself; none for another layer.
    std::vector<std::string> ShaderFloats(const std::string& layer) const;
    // A shader's own float uniforms without keys.
    void CheckShaderFloats();

    CheckedShow& show;
};

#endif
