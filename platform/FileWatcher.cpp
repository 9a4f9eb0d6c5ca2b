// Which of the show's files changed (contract in FileWatcher.h), the same for
// every port: the system's watches on directories are DirectoryWatches'.
#include "platform/FileWatcher.h"

#include <iterator>

namespace {

void SplitPath(const std::string& path, std::string& directory, std::string& name) {
    const size_t slash = DirectoryWatches::LastSeparator(path);
    if (slash == std::string::npos) {
        directory = ".";
        name = path;
    } else {
        directory = slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
        name = path.substr(slash + 1);
    }
}

}  // namespace

FileWatcher::FileWatcher(int quietMs) : quiet(quietMs < 0 ? 0 : quietMs) {}

FileWatcher::~FileWatcher() = default;

bool FileWatcher::Watch(const std::string& path, std::string* error) {
    std::string directory;
    std::string name;
    SplitPath(path, directory, name);
    std::string absolute;
    std::string why;
    if (!watches.Usable(&why) || name.empty() || !DirectoryWatches::Absolute(directory, &absolute)) {
        if (error != nullptr) {
            *error = !watches.Usable(&why) ? "no file watching on this system: " + why
                                           : "cannot watch '" + path + "': its directory is not there";
        }
        return false;
    }
    auto found = directories.find(absolute);
    if (found == directories.end()) {
        const int watch = watches.Add(absolute, &why);
        if (watch < 0) {
            if (error != nullptr) {
                *error = "cannot watch '" + path + "': " + why;
            }
            return false;
        }
        found = directories.emplace(absolute, Directory{watch, {}}).first;
    }
    if (files.insert(path).second) {
        found->second.names.emplace(DirectoryWatches::NameKey(name), path);
    }
    return true;
}

int FileWatcher::WatchOnly(const std::vector<std::string>& paths) {
    // Events already queued belong to the old list.
    ReadEvents();
    std::map<std::string, Directory> old;
    old.swap(directories);
    files.clear();
    for (auto& entry : old) {
        entry.second.names.clear();
    }
    int failed = 0;
    for (const std::string& path : paths) {
        std::string directory;
        std::string name;
        SplitPath(path, directory, name);
        std::string absolute;
        if (!watches.Usable(nullptr) || name.empty() || !DirectoryWatches::Absolute(directory, &absolute)) {
            ++failed;
            continue;
        }
        auto found = directories.find(absolute);
        if (found == directories.end()) {
            const auto kept = old.find(absolute);
            const int watch = kept != old.end() && kept->second.watch >= 0 ? kept->second.watch
                                                                           : watches.Add(absolute, nullptr);
            if (kept != old.end()) {
                old.erase(kept);
            }
            if (watch < 0) {
                ++failed;
                continue;
            }
            found = directories.emplace(absolute, Directory{watch, {}}).first;
        }
        if (files.insert(path).second) {
            found->second.names.emplace(DirectoryWatches::NameKey(name), path);
        }
    }
    for (const auto& entry : old) {
        watches.Remove(entry.second.watch);
    }
    for (auto it = pending.begin(); it != pending.end();) {
        it = files.count(it->first) != 0 ? std::next(it) : pending.erase(it);
    }
    return failed;
}

void FileWatcher::Clear() {
    for (const auto& entry : directories) {
        watches.Remove(entry.second.watch);
    }
    // Events already queued for the old watches name no watched file now.
    ReadEvents();
    directories.clear();
    files.clear();
    pending.clear();
}

std::vector<std::string> FileWatcher::Poll() {
    ReadEvents();
    const Clock::time_point now = Clock::now();
    std::vector<std::string> quietNow;
    for (auto it = pending.begin(); it != pending.end();) {
        if (now - it->second >= quiet) {
            quietNow.push_back(it->first);
            it = pending.erase(it);
        } else {
            ++it;
        }
    }
    return quietNow;
}

void FileWatcher::Changed(const std::string& path, Clock::time_point when) { pending[path] = when; }

void FileWatcher::ReadEvents() {
    std::vector<DirectoryWatches::Event> events;
    watches.Read(events);
    if (events.empty()) {
        return;
    }
    const Clock::time_point now = Clock::now();
    for (const DirectoryWatches::Event& event : events) {
        if (event.what == DirectoryWatches::Happened::Overflow) {
            for (const std::string& path : files) {
                Changed(path, now);
            }
            continue;
        }
        const std::string key = DirectoryWatches::NameKey(event.name);
        for (auto& entry : directories) {
            Directory& directory = entry.second;
            if (directory.watch != event.watch) {
                continue;
            }
            if (event.what == DirectoryWatches::Happened::Gone) {
                // The directory went away: its files are changed (gone), and
                // the watch is no more.
                directory.watch = -1;
                for (const auto& watched : directory.names) {
                    Changed(watched.second, now);
                }
                continue;
            }
            const auto range = directory.names.equal_range(key);
            for (auto it = range.first; it != range.second; ++it) {
                Changed(it->second, now);
            }
        }
    }
}
