#include "checker/SyncTrackChecker.h"

#include <cstdio>
#include <cstdlib>

#include "checker/CheckedShow.h"
#include "checker/FindingText.h"
#include "checker/ShowPath.h"
#include "config/PreconfigLine.h"
#include "fx2d/ShaderSource.h"
#include "sync/SyncTracks.h"
#include "sync/TrackFile.h"
#include "sync/TrackName.h"

namespace {

using Kind = ShowResources::Kind;

}  // namespace

void SyncTrackChecker::Take(const std::string& file, int line, const PreconfigLine& words) {
    CheckedShow::Tracks& tracks = show.tracks;
    const double bpm = std::atof(words.Arg(2));
    const double rows = std::atof(words.Arg(3));
    if (!(bpm > 0.0 && rows > 0.0)) {
        show.findings.Add(true, file, line, "the beats a minute and the rows a beat must be above 0: halvenor "
                                            "ignores the line and the show has no tracks from it");
        return;
    }
    if (tracks.set != nullptr) {
        show.findings.Add(false, file, line, "a second LOAD TRACKS line (the first is line " +
                                                 std::to_string(tracks.line) + ") replaces the first one's tracks");
    }
    tracks.set = std::make_shared<SyncTracks>(words.Arg(1), bpm, rows);
    tracks.file = file;
    tracks.line = line;
    tracks.wanted.clear();
    std::vector<std::string> problems;
    tracks.set->Load(problems);
    for (const std::string& problem : problems) {
        show.findings.Add(true, file, line, problem + ": its track has no keys");
    }
    if (!tracks.set->FromProject() && tracks.set->Count() == 0 && problems.empty()) {
        show.findings.Add(false, file, line, "no " + tracks.set->SaveBase() + "_*.track file holds a track yet "
                                             "(the Rocket editor's Remote Export writes them)");
    }
}

void SyncTrackChecker::Want(const std::string& file, int line, const std::string& resource,
                            const std::string& property) {
    const std::string name = resource + ":" + property;
    if (show.tracks.set == nullptr) {
        show.findings.Add(true, file, line,
                          "comes before a LOAD TRACKS line: halvenor ignores the track " + FindingText::Quoted(name));
        return;
    }
    show.tracks.wanted.push_back({line, name});
    show.tracks.set->Want(name);
}

std::string SyncTrackChecker::Unbound(const std::string& name) const {
    std::string resource;
    std::string property;
    if (!TrackName::Split(name, resource, property)) {
        return "a track's name is NAME:property, a layer's " + std::string(TrackName::LayerWords()) +
               " (or its shader's uniforms) or a scene's " + TrackName::SceneWords();
    }
    const bool layer = show.resources.Find(Kind::Layer, resource) >= 0;
    const bool scene = show.resources.Find(Kind::Scene, resource) >= 0;
    if (!layer && !scene) {
        return "no layer or scene is called " + FindingText::Quoted(resource);
    }
    if ((layer && TrackName::ForLayer(property) != TrackName::LayerProperty::None) ||
        (scene && TrackName::ForScene(property) != TrackName::SceneProperty::None)) {
        return std::string();
    }
    for (const std::string& uniform : layer ? ShaderFloats(resource) : std::vector<std::string>()) {
        if (uniform == property) {
            return std::string();
        }
    }
    std::string why = "there is no " + FindingText::Quoted(property) + " to drive: ";
    if (layer) {
        why += "a layer's tracks are " + std::string(TrackName::LayerWords()) + " and its shader's float uniforms";
    }
    if (scene) {
        why += std::string(layer ? "; " : "") + "a scene's are " + TrackName::SceneWords();
    }
    return why;
}

std::vector<std::string> SyncTrackChecker::ShaderFloats(const std::string& layer) const {
    const int index = show.resources.Find(Kind::Layer, layer);
    for (const ShowFile& file : show.files.All()) {
        if (file.kind == ShowFile::Kind::Shader && index >= 0 && show.resources.Find(Kind::Layer, file.owner) == index) {
            ShaderSource source;
            return source.Load(file.path.c_str()) ? source.OwnFloats() : std::vector<std::string>();
        }
    }
    return std::vector<std::string>();
}

void SyncTrackChecker::CheckShaderFloats() {
    const SyncTracks* set = show.tracks.set.get();
    for (const ShowResources::Resource& layer : show.resources.layers) {
        for (const std::string& uniform : ShaderFloats(layer.name)) {
            const std::string name = layer.name + ":" + uniform;
            const SyncTrack* track = set != nullptr ? set->Find(name) : nullptr;
            if (track != nullptr && !track->Empty()) {
                continue;
            }
            const std::string why =
                set == nullptr ? "without a LOAD TRACKS line nothing sets it"
                : set->FromProject() ? "the project " + set->Base() + " has no keys for track " + FindingText::Quoted(name)
                                     : TrackFile::PathFor(set->SaveBase(), name) + " holds no keys for it, or is not there";
            show.findings.Add(false, show.tracks.file.empty() ? ShowPath::OnDisk("preconfig.txt") : show.tracks.file,
                              layer.line, "the shader's uniform float " + FindingText::Quoted(uniform) + " stays 0: " + why);
        }
    }
}

void SyncTrackChecker::Check() {
    CheckShaderFloats();
    const CheckedShow::Tracks& tracks = show.tracks;
    if (tracks.set == nullptr) {
        return;
    }
    const SyncTracks& set = *tracks.set;
    for (size_t i = 0; i < set.Count(); ++i) {
        const std::string& name = set.At(i).Name();
        const std::string why = set.FromFile(i) ? Unbound(name) : std::string();
        if (!why.empty()) {
            const std::string where = set.FromProject() ? set.Base() : TrackFile::PathFor(set.SaveBase(), name);
            show.findings.Add(true, tracks.file, tracks.line, "track " + FindingText::Quoted(name) + " (" + where +
                                                                  ") binds to nothing: " + why);
        }
    }
    for (const CheckedShow::Tracks::Wanted& want : tracks.wanted) {
        const std::string why = Unbound(want.name);
        const SyncTrack* track = set.Find(want.name);
        if (!why.empty()) {
            show.findings.Add(true, tracks.file, want.line,
                              "track " + FindingText::Quoted(want.name) + " binds to nothing: " + why);
        } else if (track == nullptr || track->Empty()) {
            const std::string where =
                set.FromProject() ? "the project " + set.Base() : TrackFile::PathFor(set.SaveBase(), want.name);
            show.findings.Add(false, tracks.file, want.line,
                              "track " + FindingText::Quoted(want.name) + " has no keys (" + where +
                                  " holds none, or is not there): it drives nothing until the editor gives it keys");
        }
    }
}

std::string SyncTrackChecker::Summary(const CheckedShow& show) {
    if (show.tracks.set == nullptr) {
        return std::string();
    }
    const SyncTracks& set = *show.tracks.set;
    size_t fromFiles = 0;
    for (size_t i = 0; i < set.Count(); ++i) {
        fromFiles += set.FromFile(i) ? 1 : 0;
    }
    char rates[128];
    std::snprintf(rates, sizeof rates, "%.2f rows a second (%g bpm, %g rows a beat)", set.RowsPerSecond(), set.Bpm(),
                  set.RowsPerBeat());
    const std::string from = set.FromProject() ? set.Base() : set.SaveBase() + "_*.track";
    return FindingText::Plural(fromFiles, "track", "tracks") + " from " + from + ", " + rates;
}
