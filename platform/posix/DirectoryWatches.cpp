// The directory watches on Linux (contract in DirectoryWatches.h): inotify,
// which has no Windows call of the engine's to stand in for; the Windows port
// uses ReadDirectoryChangesW.
#include "platform/DirectoryWatches.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// Every way a save can reach the file's name: written in place (modify,
// close), renamed over it (moved to), made anew (create), taken away (delete,
// moved from), touched (attributes).
constexpr uint32_t kEvents =
    IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE | IN_ATTRIB | IN_ONLYDIR;

}  // namespace

struct DirectoryWatches::System {
    int inotify;
    std::string error;
};

DirectoryWatches::DirectoryWatches() : system(new System{inotify_init1(IN_NONBLOCK | IN_CLOEXEC), std::string()}) {
    if (system->inotify < 0) {
        system->error = std::strerror(errno);
    }
}

DirectoryWatches::~DirectoryWatches() {
    if (system->inotify >= 0) {
        close(system->inotify);
    }
    delete system;
}

bool DirectoryWatches::Usable(std::string* why) const {
    if (system->inotify < 0 && why != nullptr) {
        *why = system->error;
    }
    return system->inotify >= 0;
}

int DirectoryWatches::Add(const std::string& absolute, std::string* why) {
    const int watch = system->inotify < 0 ? -1 : inotify_add_watch(system->inotify, absolute.c_str(), kEvents);
    if (watch < 0 && why != nullptr) {
        *why = std::strerror(errno);
    }
    return watch;
}

void DirectoryWatches::Remove(int watch) {
    if (system->inotify >= 0 && watch >= 0) {
        inotify_rm_watch(system->inotify, watch);
    }
}

void DirectoryWatches::Read(std::vector<Event>& events) {
    if (system->inotify < 0) {
        return;
    }
    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
        const ssize_t got = read(system->inotify, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return;  // nothing more for now
        }
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
            const inotify_event* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                events.push_back({Happened::Overflow, -1, std::string()});
            } else if (event->mask & IN_IGNORED) {
                events.push_back({Happened::Gone, event->wd, std::string()});
            } else if (event->len != 0) {  // not about the directory itself
                events.push_back({Happened::Name, event->wd, std::string(event->name)});
            }
        }
    }
}

bool DirectoryWatches::Absolute(const std::string& directory, std::string* absolute) {
    char resolved[PATH_MAX];
    if (realpath(directory.c_str(), resolved) == nullptr) {
        return false;
    }
    *absolute = resolved;
    return true;
}

size_t DirectoryWatches::LastSeparator(const std::string& path) { return path.rfind('/'); }

std::string DirectoryWatches::NameKey(const std::string& name) { return name; }
