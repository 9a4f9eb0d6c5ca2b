#include "checker/TrackChecker.h"

#include <algorithm>
#include <sstream>

#include "checker/ShowFindings.h"
#include "scene/SceneParams.h"

void TrackChecker::Check(const std::string& sceneFile, const std::string& text, const SceneParams& params) {
    const long long frames = std::max<long long>(1, static_cast<long long>(params.lastFrame) + 1);
    const long long perFrame = params.ticksPerFrame;
    for (const PositionTrack& track : PositionTracks(text)) {
        if (!track.ticks.empty()) {
            CheckTrack(sceneFile, track, frames, perFrame);
        }
    }
}

void TrackChecker::CheckTrack(const std::string& sceneFile, const PositionTrack& track, long long frames,
                              long long perFrame) {
    const long long given = static_cast<long long>(track.ticks.size());
    const std::string owner = std::string(track.camera ? "camera " : "light ") + std::to_string(track.index);
    const std::string what = owner + (track.target ? "'s target track: " : "'s position track: ");
    const std::string self = track.camera ? "this camera" : "this light";
    const std::string still = given < frames ? " and holds still from frame " + std::to_string(given - 1) : "";
    long long gap = 0;
    const bool even = EvenGap(track, gap);
    if (perFrame > 0 && given > 1 && (!even || gap != perFrame)) {
        if (even && gap > perFrame && gap % perFrame == 0) {
            const std::string every = std::to_string(gap / perFrame);
            findings.Add(false, sceneFile, track.line,
                         what + "samples every " + every + " frames are played one per frame: " + self + " moves " +
                             every + " × faster than in the modeller" + still + " (export one sample per frame)");
        } else {
            findings.Add(false, sceneFile, track.line,
                         what + "the samples' ticks are not one frame (" + std::to_string(perFrame) +
                             " ticks) apart, but they are played one per frame: " + self +
                             " moves out of step with the modeller" + still + " (export one sample per frame)");
        }
    } else if (given < frames) {
        findings.Add(false, sceneFile, track.line,
                     what + std::to_string(given) + " samples for the scene's " + std::to_string(frames) +
                         " frames: " + self + " holds still from frame " + std::to_string(given - 1));
    } else if (given > frames) {
        findings.Add(false, sceneFile, track.line,
                     what + std::to_string(given) + " samples for the scene's " + std::to_string(frames) +
                         " frames: those past frame " + std::to_string(frames - 1) + " are dropped");
    }
}

bool TrackChecker::EvenGap(const PositionTrack& track, long long& gap) {
    bool even = true;
    gap = 0;
    for (size_t i = 1; i < track.ticks.size(); ++i) {
        const long long step = track.ticks[i] - track.ticks[i - 1];
        even &= i == 1 || step == gap;
        gap = i == 1 ? step : gap;
    }
    return even;
}

std::vector<TrackChecker::PositionTrack> TrackChecker::PositionTracks(const std::string& text) {
    std::vector<PositionTrack> tracks;
    enum class Owner { None, Camera, Light } owner = Owner::None;
    int cameras = 0;
    int lights = 0;
    int ownTracks = 0;
    std::istringstream lines(text);
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        std::istringstream words(line);
        for (std::string word; words >> word;) {
            if (word == "*CAMERAOBJECT" || word == "*LIGHTOBJECT") {
                owner = word == "*CAMERAOBJECT" ? Owner::Camera : Owner::Light;
                (owner == Owner::Camera ? cameras : lights) += 1;
                ownTracks = 0;
            } else if (word == "*GEOMOBJECT") {
                owner = Owner::None;
            } else if (word == "*CONTROL_POS_TRACK" && owner != Owner::None) {
                const bool camera = owner == Owner::Camera;
                tracks.push_back({camera, (camera ? cameras : lights) - 1, camera && ownTracks == 1, number, {}});
                ++ownTracks;
            } else if (word == "*CONTROL_POS_SAMPLE" && owner != Owner::None && !tracks.empty()) {
                long long tick = 0;
                if (words >> tick) {
                    tracks.back().ticks.push_back(tick);
                }
            }
        }
    }
    return tracks;
}
