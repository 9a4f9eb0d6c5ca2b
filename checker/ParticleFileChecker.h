// A particle system's definition file, read with the engine's reader: a file
// it cannot open or too short for its header makes an empty system, one cut
// short keeps what it holds; the textures it names are checked as the engine
// loads them, the first few, each once.
#ifndef HALVENOR_CHECKER_PARTICLEFILECHECKER_H
#define HALVENOR_CHECKER_PARTICLEFILECHECKER_H

#include <string>

#include "fx2d/ParticleFile.h"

struct CheckedShow;

class ParticleFileChecker {
public:
    explicit ParticleFileChecker(CheckedShow& show) : show(show) {}

    // The file of the LOAD PARTICULAS line at file:line, for the system owner.
    void Read(const std::string& file, int line, const std::string& particleFile, const std::string& owner);

private:
    // False when the system is empty.
    bool CheckStatus(const std::string& file, int line, const std::string& name, const ParticleFile& particles,
                     ParticleFile::Status status);
    void CheckTextures(const std::string& file, int line, const ParticleFile& particles, const std::string& owner);

    CheckedShow& show;
};

#endif
