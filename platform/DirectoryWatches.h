// The system's watches on directories, under FileWatcher (which keeps the
// quiet time, the watched names and what is answered, the same for every
// port).
//
// Contract: Add(absolute) starts watching one directory's entries (not its
// subdirectories) and answers a watch number, or -1 with why. Read appends
// what happened since the last call and never waits: a name of the directory
// that was written, touched, created, deleted or renamed (to or from), an
// overflow (changes were lost; every watched file must count as changed), or
// the directory gone (its watch answers no more). Remove ends a watch. Linux:
// inotify, one non-blocking descriptor for every watch. Windows: one
// directory handle per watch with ReadDirectoryChangesW in overlapped mode,
// whose results are only collected when ready, so the frame loop never
// waits; names come in the system's code page, compared regardless of case
// as Windows names are (NameKey).
#ifndef HALVENOR_PLATFORM_DIRECTORYWATCHES_H
#define HALVENOR_PLATFORM_DIRECTORYWATCHES_H

#include <string>
#include <vector>

class DirectoryWatches {
public:
    enum class Happened { Name, Overflow, Gone };
    struct Event {
        Happened what;
        int watch;
        std::string name;
    };

    DirectoryWatches();
    ~DirectoryWatches();
    DirectoryWatches(const DirectoryWatches&) = delete;
    DirectoryWatches& operator=(const DirectoryWatches&) = delete;

    // False, with why, when this system watches nothing at all.
    bool Usable(std::string* why) const;
    int Add(const std::string& absolute, std::string* why);
    void Remove(int watch);
    void Read(std::vector<Event>& events);

    // The directory's absolute name; false when it is not there.
    static bool Absolute(const std::string& directory, std::string* absolute);
    // Where a path's directory ends and its name starts: the last separator,
    // or npos when there is none.
    static size_t LastSeparator(const std::string& path);
    // A name as the system compares names (Windows: ASCII letters folded).
    static std::string NameKey(const std::string& name);

private:
    struct System;
    System* system;
};

#endif
