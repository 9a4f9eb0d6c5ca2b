// Particle systems, made by ParticleTool as an author would, in the engine's
// axes (y up; the scene's floor is y = 0, the torus at the origin).
#include "tools/sampleassets/SampleParticles.h"

#include <string>
#include <vector>

#include "platform/ChildProcess.h"
#include "platform/FileSystem.h"
#include "tools/sampleassets/SiblingTool.h"

namespace SampleAssets {

namespace {

// ParticleTool is built next to this program; failing that, the one on the
// search path.
std::string ParticleTool() {
    const std::string path = SiblingToolPath("ParticleTool");
    return path.empty() ? Platform::FindProgram("ParticleTool") : path;
}

// The options split at spaces; a stretch in single quotes is one word, as
// it would be to a shell.
std::vector<std::string> Words(const std::string& options) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    bool inWord = false;
    for (const char c : options) {
        if (c == '\'') {
            quoted = !quoted;
            inWord = true;
        } else if (c == ' ' && !quoted) {
            if (inWord) {
                words.push_back(word);
            }
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) {
        words.push_back(word);
    }
    return words;
}

bool RunParticleTool(const std::string& output, const std::string& options) {
    std::vector<std::string> command = {ParticleTool(), "make", output};
    for (const std::string& word : Words(options)) {
        command.push_back(word);
    }
    return Platform::ChildProcess::RunToEnd(command, std::string(), false) == 0;
}

}  // namespace

// Sparks falling from 150 units over the whole floor, restarting at the top.
bool WriteSparks(const std::string& path) {
    return RunParticleTool(path,
                           "--type fall --count 220 --range 150 --phase 110,170 --step 0.5,1.4 --size 1.2,2.6 "
                           "--brightness 0.55,1 --spread 170,0,170 --blend 1 --texture 'texturas\\chispa.jpg' "
                           "--seed 11");
}

// A spiral of sparks winding up around the torus, one turn over its height.
bool WriteSpiral(const std::string& path) {
    return RunParticleTool(path,
                           "--type spiral --count 160 --range 60 --phase 0,60 --step 0.12,0.22 --size 1.5,3 "
                           "--brightness 0.7,1 --blend 1 --texture 'texturas\\chispa.jpg' --seed 23");
}

}  // namespace SampleAssets
