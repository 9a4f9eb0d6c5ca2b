#include "checker/ParticleFileChecker.h"

#include <algorithm>
#include <vector>

#include "checker/CheckedShow.h"
#include "checker/FindingText.h"
#include "checker/TextureChecker.h"
#include "fx2d/ParticleFile.h"
#include "fx2d/ParticleSystem.h"

void ParticleFileChecker::Read(const std::string& file, int line, const std::string& particleFile,
                               const std::string& owner) {
    ParticleFile particles;
    const ParticleFile::Status status = particles.Read(particleFile.c_str());
    const std::string name = "particle file " + FindingText::Quoted(particleFile);
    if (!CheckStatus(file, line, name, particles, status)) {
        return;
    }
    if (particles.declaredTextures > static_cast<uint32_t>(ParticleSystem::kMaxTextures)) {
        show.findings.Add(false, file, line, name + " names " + std::to_string(particles.declaredTextures) +
                                                 " textures: only the first " +
                                                 std::to_string(ParticleSystem::kMaxTextures) + " are loaded");
    }
    CheckTextures(file, line, particles, owner);
}

bool ParticleFileChecker::CheckStatus(const std::string& file, int line, const std::string& name,
                                      const ParticleFile& particles, ParticleFile::Status status) {
    switch (status) {
        case ParticleFile::Status::CannotOpen:
            show.findings.Add(true, file, line, name + " cannot be read: the system is empty");
            return false;
        case ParticleFile::Status::NoHeader:
            show.findings.Add(false, file, line, name + " is shorter than its " +
                                                     std::to_string(ParticleFile::kHeaderSize) +
                                                     "-byte header: the system is empty");
            return false;
        case ParticleFile::Status::Short:
            show.findings.Add(false, file, line, name + " ends early: " +
                                                     std::to_string(particles.textureNames.size()) + " of " +
                                                     std::to_string(particles.declaredTextures) +
                                                     " texture names and " +
                                                     std::to_string(particles.particles.size()) + " of " +
                                                     std::to_string(particles.declaredParticles) +
                                                     " particles are read");
            return true;
        case ParticleFile::Status::Complete:
            return true;
    }
    return true;
}

void ParticleFileChecker::CheckTextures(const std::string& file, int line, const ParticleFile& particles,
                                        const std::string& owner) {
    TextureChecker textures(show.findings);
    std::vector<std::string> checked;
    const size_t used = std::min<size_t>(particles.textureNames.size(), ParticleSystem::kMaxTextures);
    for (size_t i = 0; i < used; ++i) {
        char texture[ParticleSystem::kTextureNameSize];
        ParticleFile::CopyName(particles.textureNames[i], texture, sizeof texture);
        if (std::find(checked.begin(), checked.end(), texture) == checked.end()) {
            checked.push_back(texture);
            textures.Check(file, line, texture, "particle texture");
            show.files.Add(ShowFile::Kind::Texture, texture, owner);
        }
    }
}
