#include "sync/SyncTracks.h"

#include <algorithm>
#include <atomic>

#include "platform/FileSystem.h"
#include "sync/RocketProject.h"
#include "sync/SyncTargetFinder.h"
#include "sync/TrackFile.h"

namespace {

const char* const kProjectSuffix = ".rocket";
const char* const kTrackSuffix = ".track";

std::atomic<uint64_t> lastSerial{0};

bool EndsWith(const std::string& text, const std::string& end, bool ignoreCase) {
    if (text.size() < end.size()) {
        return false;
    }
    for (size_t i = 0; i < end.size(); ++i) {
        char a = text[text.size() - end.size() + i];
        char b = end[i];
        if (ignoreCase) {
            a = static_cast<char>(a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a);
            b = static_cast<char>(b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b);
        }
        if (a != b) {
            return false;
        }
    }
    return true;
}

}  // namespace

SyncTracks::SyncTracks(const std::string& base_, double bpm_, double rowsPerBeat_)
    : base(base_), bpm(bpm_), rowsPerBeat(rowsPerBeat_), entries(), bindings(), serial(++lastSerial) {
    // Shows authored on Windows write "pistas\sync".
    std::replace(base.begin(), base.end(), '\\', '/');
}

bool SyncTracks::FromProject() const { return EndsWith(base, kProjectSuffix, true); }

std::string SyncTracks::SaveBase() const {
    return FromProject() ? base.substr(0, base.size() - std::char_traits<char>::length(kProjectSuffix)) : base;
}

void SyncTracks::Load(std::vector<std::string>& problems) {
    if (FromProject()) {
        LoadProject(problems);
    } else {
        LoadTrackFiles(problems);
    }
}

void SyncTracks::LoadProject(std::vector<std::string>& problems) {
    std::vector<SyncTrack> read;
    std::string why;
    if (!RocketProject::Read(base, read, &why)) {
        problems.push_back(base + ": " + why);
        return;
    }
    for (SyncTrack& track : read) {
        entries.push_back(Entry{std::make_unique<SyncTrack>(std::move(track)), true});
    }
}

void SyncTracks::LoadTrackFiles(std::vector<std::string>& problems) {
    const size_t slash = base.rfind('/');
    const std::string directory = slash == std::string::npos ? std::string() : base.substr(0, slash);
    const std::string prefix = (slash == std::string::npos ? base : base.substr(slash + 1)) + "_";
    std::vector<std::string> names = Platform::ListFiles(directory.c_str());
    // The same show reads its tracks in the same order on every machine.
    std::sort(names.begin(), names.end());
    for (const std::string& file : names) {
        if (file.size() <= prefix.size() + 6 || file.compare(0, prefix.size(), prefix) != 0 ||
            !EndsWith(file, kTrackSuffix, false)) {
            continue;
        }
        const std::string path = directory.empty() ? file : directory + "/" + file;
        std::string name;
        const std::string encoded = file.substr(prefix.size(), file.size() - prefix.size() - 6);
        if (!TrackFile::DecodedName(encoded, name)) {
            problems.push_back(path + ": no track name is written that way (other bytes than letters, digits, "
                                      "'.', '_' and '/' are -XX)");
            continue;
        }
        if (entries.size() >= kMaxTracks) {
            problems.push_back(path + ": more than " + std::to_string(kMaxTracks) + " tracks; the rest are left out");
            break;
        }
        auto track = std::make_unique<SyncTrack>(name);
        std::string why;
        if (!TrackFile::Read(path, *track, &why)) {
            problems.push_back(path + ": " + why);
            continue;
        }
        entries.push_back(Entry{std::move(track), true});
    }
}

SyncTrack* SyncTracks::Find(const std::string& name) const {
    for (const Entry& entry : entries) {
        if (entry.track->Name() == name) {
            return entry.track.get();
        }
    }
    return nullptr;
}

SyncTrack* SyncTracks::Want(const std::string& name) {
    if (SyncTrack* found = Find(name)) {
        return found;
    }
    if (name.empty() || name.size() > SyncTrack::kMaxNameBytes || entries.size() >= kMaxTracks) {
        return nullptr;
    }
    entries.push_back(Entry{std::make_unique<SyncTrack>(name), false});
    return entries.back().track.get();
}

void SyncTracks::Bind(const SyncTargetFinder& finder) {
    bindings.clear();
    for (const Entry& entry : entries) {
        const SyncTarget target = finder.Find(entry.track->Name());
        if (target.Bound()) {
            bindings.push_back(Binding{entry.track.get(), target});
        }
    }
}

void SyncTracks::Apply(double seconds) const {
    const double row = RowAt(seconds);
    for (const Binding& binding : bindings) {
        if (!binding.track->Empty()) {
            binding.target.Set(binding.track->ValueAt(row));
        }
    }
}

std::vector<std::string> SyncTracks::UnboundNames() const {
    std::vector<std::string> names;
    for (const Entry& entry : entries) {
        const bool bound = std::any_of(bindings.begin(), bindings.end(),
                                       [&](const Binding& binding) { return binding.track == entry.track.get(); });
        if (!bound) {
            names.push_back(entry.track->Name());
        }
    }
    return names;
}

size_t SyncTracks::Save(std::string* error) const {
    size_t written = 0;
    const std::string saveBase = SaveBase();
    for (const Entry& entry : entries) {
        const std::string path = TrackFile::PathFor(saveBase, entry.track->Name());
        std::string why;
        if (TrackFile::Write(path, *entry.track, &why)) {
            ++written;
        } else if (error != nullptr && error->empty()) {
            *error = path + ": " + why;
        }
    }
    return written;
}
