// Tells the author-mode player which of the show's files changed on disk. No
// Windows interface of the engine stands behind it; the system's calls live
// in DirectoryWatches (Linux: inotify; Windows: ReadDirectoryChangesW, polled
// without waiting) so that the engine code knows nothing of them.
//
// Contract: Watch(path) watches one file (a path as found on disk) through
// its directory, so that every way an editor saves is seen: writing in
// place, writing a temporary file and renaming it over the file, deleting
// and creating it again; deleting or renaming it away counts as a change
// too. Poll(), once per frame, never waits: it answers each watched file
// whose last change lies at least the quiet time back, each once, in the
// order of the paths, as they were given to Watch. A file written in several
// pieces with pauses shorter than the quiet time is answered once, after the
// last piece. Changes to other files of the same directories are not
// answered. When the system's record of changes overflows, every watched file
// is answered, so that no change is ever lost. Paths are compared as given
// after the directory is made absolute: the same file under two names is
// watched twice. On Windows, names within a directory match regardless of
// case, as the file system does.
#ifndef HALVENOR_PLATFORM_FILEWATCHER_H
#define HALVENOR_PLATFORM_FILEWATCHER_H

#include <chrono>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/DirectoryWatches.h"

class FileWatcher {
public:
    // Long enough that an editor's save has settled, short enough that the
    // author sees the change at once.
    static constexpr int kDefaultQuietMs = 200;

    explicit FileWatcher(int quietMs = kDefaultQuietMs);
    ~FileWatcher();
    FileWatcher(const FileWatcher&) = delete;
    FileWatcher& operator=(const FileWatcher&) = delete;

    // False, with why in *error, when the file's directory cannot be watched
    // (it does not exist, or the system's watches ran out).
    bool Watch(const std::string& path, std::string* error);
    // Forgets every watched file.
    void Clear();
    // Watches these files and no others (the show's list of files changed):
    // a directory watched before and after keeps its watch, so no change
    // slips through while the list changes, and a change seen to a file
    // still watched is still answered. Answers how many could not be watched.
    int WatchOnly(const std::vector<std::string>& paths);
    std::vector<std::string> Poll();

    size_t WatchedCount() const { return files.size(); }

private:
    using Clock = std::chrono::steady_clock;

    struct Directory {
        int watch;
        // File name inside the directory (as DirectoryWatches::NameKey
        // gives it) → the path given to Watch.
        std::multimap<std::string, std::string> names;
    };

    void ReadEvents();
    void Changed(const std::string& path, Clock::time_point when);

    DirectoryWatches watches;
    std::chrono::milliseconds quiet;
    // Absolute directory → its watch and its watched names.
    std::map<std::string, Directory> directories;
    // The paths given to Watch.
    std::set<std::string> files;
    // Path → its last change not yet answered.
    std::map<std::string, Clock::time_point> pending;
};

#endif
