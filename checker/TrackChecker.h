// The position tracks of an ASE scene's cameras and lights against the
// scene's frames. The engine plays a track one sample per scene frame,
// whatever the ticks say: an exporter set to sample every few frames gives a
// track that runs that many times too fast and then holds still; a track
// shorter than the scene holds its last sample to the end.
#ifndef HALVENOR_CHECKER_TRACKCHECKER_H
#define HALVENOR_CHECKER_TRACKCHECKER_H

#include <string>
#include <vector>

class ShowFindings;
struct SceneParams;

class TrackChecker {
public:
    explicit TrackChecker(ShowFindings& findings) : findings(findings) {}

    // text: the ASE file's text; sceneFile names it in the findings.
    void Check(const std::string& sceneFile, const std::string& text, const SceneParams& params);

private:
    // One position track of a camera or light: where it starts and the tick
    // of each sample, in file order.
    struct PositionTrack {
        bool camera;
        int index;
        bool target;  // a camera's second track moves its target
        int line;
        std::vector<long long> ticks;
    };

    // The tracks of the text's cameras and lights; those of geometry
    // objects, which the engine does not read, are left out.
    static std::vector<PositionTrack> PositionTracks(const std::string& text);
    void CheckTrack(const std::string& sceneFile, const PositionTrack& track, long long frames, long long perFrame);
    // The samples' tick gap when it is the same all along; false otherwise.
    static bool EvenGap(const PositionTrack& track, long long& gap);

    ShowFindings& findings;
};

#endif
