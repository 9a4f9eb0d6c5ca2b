// Whether a file a line names is there after the engine's path rules, and if
// not, one finding: what is missing, a neighbour it may have meant, and what
// the engine does without it.
#ifndef HALVENOR_CHECKER_FILECHECKER_H
#define HALVENOR_CHECKER_FILECHECKER_H

#include <string>

class ShowFindings;

class FileChecker {
public:
    // what: "music", "script", "scene file", "image", "texture", "particle
    // texture", ..., which also says what the engine does without the file.
    static bool Exists(ShowFindings& findings, const std::string& file, int line, const std::string& name,
                       const std::string& what);

private:
    static std::string Consequence(const std::string& what);
};

#endif
