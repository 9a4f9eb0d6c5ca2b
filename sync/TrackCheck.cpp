#include "sync/TrackCheck.h"

#include <cstdio>
#include <cstdlib>

#include "sync/SyncTracks.h"
#include "sync/TrackFile.h"
#include "sync/TrackName.h"

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        const char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
        if (x != y) {
            return false;
        }
    }
    return true;
}

const std::string* FindName(const std::vector<std::string>& names, const std::string& name) {
    for (const std::string& known : names) {
        if (SameIgnoringCase(known, name)) {
            return &known;
        }
    }
    return nullptr;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

}  // namespace

TrackCheck::TrackCheck() : tracks(), loadLine(0), found(), wanted() {}

TrackCheck::~TrackCheck() = default;

void TrackCheck::Load(int line, const std::string& base, const std::string& bpmWord, const std::string& rowsWord) {
    const double bpm = std::atof(bpmWord.c_str());
    const double rows = std::atof(rowsWord.c_str());
    if (!(bpm > 0.0 && rows > 0.0)) {
        found.push_back({true, line, "the beats a minute and the rows a beat must be above 0: halvenor ignores the "
                                     "line and the show has no tracks from it"});
        return;
    }
    if (tracks != nullptr) {
        found.push_back({false, line, "a second LOAD TRACKS line (the first is line " + std::to_string(loadLine) +
                                          ") replaces the first one's tracks"});
    }
    tracks = std::make_unique<SyncTracks>(base, bpm, rows);
    loadLine = line;
    std::vector<std::string> problems;
    tracks->Load(problems);
    for (const std::string& problem : problems) {
        found.push_back({true, line, problem + ": its track has no keys"});
    }
    if (!tracks->FromProject() && tracks->Count() == 0 && problems.empty()) {
        found.push_back({false, line, "no " + tracks->SaveBase() + "_*.track file holds a track yet (the Rocket "
                                      "editor's Remote Export writes them)"});
    }
}

void TrackCheck::Want(int line, const std::string& resource, const std::string& property) {
    const std::string name = resource + ":" + property;
    if (tracks == nullptr) {
        found.push_back({true, line, "comes before a LOAD TRACKS line: halvenor ignores the track " + Quoted(name)});
        return;
    }
    wanted.push_back({line, name});
    tracks->Want(name);
}

std::string TrackCheck::Unbound(const std::string& name, const std::vector<std::string>& layers,
                                const std::vector<std::string>& scenes,
                                const std::map<std::string, std::vector<std::string>>& uniforms) const {
    std::string resource;
    std::string property;
    if (!TrackName::Split(name, resource, property)) {
        return "a track's name is NAME:property, a layer's " + std::string(TrackName::LayerWords()) +
               " (or its shader's uniforms) or a scene's " + TrackName::SceneWords();
    }
    const std::string* layer = FindName(layers, resource);
    const std::string* scene = FindName(scenes, resource);
    if (layer == nullptr && scene == nullptr) {
        return "no layer or scene is called " + Quoted(resource);
    }
    if (layer != nullptr && TrackName::ForLayer(property) != TrackName::LayerProperty::None) {
        return std::string();
    }
    if (scene != nullptr && TrackName::ForScene(property) != TrackName::SceneProperty::None) {
        return std::string();
    }
    if (layer != nullptr) {
        const auto shader = uniforms.find(*layer);
        if (shader != uniforms.end()) {
            for (const std::string& uniform : shader->second) {
                if (uniform == property) {
                    return std::string();
                }
            }
        }
    }
    std::string why = "there is no " + Quoted(property) + " to drive: ";
    if (layer != nullptr) {
        why += "a layer's tracks are " + std::string(TrackName::LayerWords()) + " and its shader's float uniforms";
    }
    if (scene != nullptr) {
        why += std::string(layer != nullptr ? "; " : "") + "a scene's are " + TrackName::SceneWords();
    }
    return why;
}

std::vector<TrackCheck::Finding> TrackCheck::Check(const std::vector<std::string>& layers,
                                                   const std::vector<std::string>& scenes,
                                                   const std::map<std::string, std::vector<std::string>>& uniforms) const {
    std::vector<Finding> findings = found;
    if (tracks == nullptr) {
        return findings;
    }
    for (size_t i = 0; i < tracks->Count(); ++i) {
        if (!tracks->FromFile(i)) {
            continue;
        }
        const std::string& name = tracks->At(i).Name();
        const std::string why = Unbound(name, layers, scenes, uniforms);
        if (!why.empty()) {
            const std::string where =
                tracks->FromProject() ? tracks->Base() : TrackFile::PathFor(tracks->SaveBase(), name);
            findings.push_back({true, loadLine, "track " + Quoted(name) + " (" + where + ") binds to nothing: " + why});
        }
    }
    for (const Wanted& want : wanted) {
        const std::string why = Unbound(want.name, layers, scenes, uniforms);
        const SyncTrack* track = tracks->Find(want.name);
        const bool held = track != nullptr && !track->Empty();
        if (!why.empty()) {
            findings.push_back({true, want.line, "track " + Quoted(want.name) + " binds to nothing: " + why});
        } else if (!held) {
            const std::string where = tracks->FromProject() ? "the project " + tracks->Base()
                                                            : TrackFile::PathFor(tracks->SaveBase(), want.name);
            findings.push_back({false, want.line, "track " + Quoted(want.name) + " has no keys (" + where +
                                                      " holds none, or is not there): it drives nothing until "
                                                      "the editor gives it keys"});
        }
    }
    return findings;
}

std::string TrackCheck::Summary() const {
    if (tracks == nullptr) {
        return std::string();
    }
    char rates[128];
    std::snprintf(rates, sizeof rates, "%.2f rows a second (%g bpm, %g rows a beat)", tracks->RowsPerSecond(),
                  tracks->Bpm(), tracks->RowsPerBeat());
    const std::string from = tracks->FromProject() ? tracks->Base() : tracks->SaveBase() + "_*.track";
    size_t fromFiles = 0;
    for (size_t i = 0; i < tracks->Count(); ++i) {
        fromFiles += tracks->FromFile(i) ? 1 : 0;
    }
    return std::to_string(fromFiles) + " tracks from " + from + ", " + rates;
}
