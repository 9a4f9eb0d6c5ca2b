// The show's files as the engine finds them: after its path rules (any
// letter case, backslashes), named in findings as they are on disk.
#ifndef HALVENOR_CHECKER_SHOWPATH_H
#define HALVENOR_CHECKER_SHOWPATH_H

#include <string>
#include <vector>

class ShowPath {
public:
    static bool IsRegularFile(const std::string& path);
    // The show's name for a file leads, after the path rules, to a regular file.
    static bool Found(const std::string& name);
    // The show's name for a file as it is on disk, for the findings.
    static std::string OnDisk(const std::string& name);
    // The entries of the directory that holds a resolved path, for
    // suggestions, in name order so that a tie is always settled the same way.
    static std::vector<std::string> Neighbours(const std::string& resolved);
    // What follows the last slash or backslash.
    static std::string BaseName(const std::string& path);
};

#endif
