// The show's music, decoded as the engine will decode it but without opening
// the audio output: how long it lasts (the show's clock loops with it), what
// a module is, and why a file that is neither plays nothing.
#ifndef HALVENOR_CHECKER_MUSICCHECKER_H
#define HALVENOR_CHECKER_MUSICCHECKER_H

#include <string>

struct CheckedShow;
class ModuleMusic;

class MusicChecker {
public:
    explicit MusicChecker(CheckedShow& show) : show(show) {}

    // A LOAD SOUND line whose words are right: its music is the show's clock.
    void Take(const std::string& file, int line, const std::string& name);

private:
    void Read(const std::string& file, int line);
    static std::string Describe(const ModuleMusic& module);
    void RefuseStream(const std::string& file, int line, bool module, const std::string& reason);

    CheckedShow& show;
};

#endif
