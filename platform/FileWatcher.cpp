// Which of the show's files changed (contract in FileWatcher.h).
#include "platform/FileWatcher.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <iterator>
#include <cstring>

namespace {

// Every way a save can reach the file's name: written in place (modify,
// close), renamed over it (moved to), made anew (create), taken away (delete,
// moved from), touched (attributes).
constexpr uint32_t kEvents =
    IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE | IN_ATTRIB | IN_ONLYDIR;

void SplitPath(const std::string& path, std::string& directory, std::string& name) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        directory = ".";
        name = path;
    } else {
        directory = slash == 0 ? "/" : path.substr(0, slash);
        name = path.substr(slash + 1);
    }
}

}  // namespace

FileWatcher::FileWatcher(int quietMs)
    : inotify(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), quiet(quietMs < 0 ? 0 : quietMs) {}

FileWatcher::~FileWatcher() {
    if (inotify >= 0) {
        close(inotify);
    }
}

bool FileWatcher::Watch(const std::string& path, std::string* error) {
    std::string directory;
    std::string name;
    SplitPath(path, directory, name);
    char absolute[PATH_MAX];
    if (inotify < 0 || name.empty() || realpath(directory.c_str(), absolute) == nullptr) {
        if (error != nullptr) {
            *error = inotify < 0 ? std::string("no file watching on this system: ") + std::strerror(errno)
                                 : "cannot watch '" + path + "': its directory is not there";
        }
        return false;
    }
    auto found = directories.find(absolute);
    if (found == directories.end()) {
        const int watch = inotify_add_watch(inotify, absolute, kEvents);
        if (watch < 0) {
            if (error != nullptr) {
                *error = "cannot watch '" + path + "': " + std::strerror(errno);
            }
            return false;
        }
        found = directories.emplace(absolute, Directory{watch, {}}).first;
    }
    if (files.insert(path).second) {
        found->second.names.emplace(name, path);
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
        char absolute[PATH_MAX];
        if (inotify < 0 || name.empty() || realpath(directory.c_str(), absolute) == nullptr) {
            ++failed;
            continue;
        }
        auto found = directories.find(absolute);
        if (found == directories.end()) {
            const auto kept = old.find(absolute);
            const int watch = kept != old.end() && kept->second.watch >= 0 ? kept->second.watch
                                                                           : inotify_add_watch(inotify, absolute, kEvents);
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
            found->second.names.emplace(name, path);
        }
    }
    for (const auto& entry : old) {
        if (entry.second.watch >= 0) {
            inotify_rm_watch(inotify, entry.second.watch);
        }
    }
    for (auto it = pending.begin(); it != pending.end();) {
        it = files.count(it->first) != 0 ? std::next(it) : pending.erase(it);
    }
    return failed;
}

void FileWatcher::Clear() {
    for (const auto& entry : directories) {
        if (entry.second.watch >= 0) {
            inotify_rm_watch(inotify, entry.second.watch);
        }
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
    if (inotify < 0) {
        return;
    }
    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
        const ssize_t got = read(inotify, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return;  // nothing more for now
        }
        const Clock::time_point now = Clock::now();
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
            const inotify_event* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                for (const std::string& path : files) {
                    Changed(path, now);
                }
                continue;
            }
            if (event->mask & IN_IGNORED) {
                // The directory went away: its files are changed (gone), and
                // the watch is no more.
                for (auto& entry : directories) {
                    if (entry.second.watch == event->wd) {
                        entry.second.watch = -1;
                        for (const auto& watched : entry.second.names) {
                            Changed(watched.second, now);
                        }
                    }
                }
                continue;
            }
            if (event->len == 0) {
                continue;  // about the directory itself
            }
            const std::string name(event->name);
            for (auto& entry : directories) {
                Directory& directory = entry.second;
                if (directory.watch != event->wd) {
                    continue;
                }
                const auto range = directory.names.equal_range(name);
                for (auto it = range.first; it != range.second; ++it) {
                    Changed(it->second, now);
                }
            }
        }
    }
}
