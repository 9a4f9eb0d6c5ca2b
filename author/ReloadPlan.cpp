#include "author/ReloadPlan.h"

#include <algorithm>

#include "checker/ShowChecker.h"

namespace {

void AddOnce(std::vector<std::string>& list, const std::string& item) {
    if (std::find(list.begin(), list.end(), item) == list.end()) {
        list.push_back(item);
    }
}

std::string Joined(const char* what, const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) {
        text += (text.empty() ? std::string(what) + " " : std::string(", ")) + item;
    }
    return text;
}

}  // namespace

ReloadPlan ReloadPlan::For(const ShowChecker& before, const ShowChecker& now, const std::vector<std::string>& changed) {
    ReloadPlan plan;
    // A file the new show no longer loads, or loads for the first time, is
    // known to one of the two checks.
    for (const ShowChecker* check : {&before, &now}) {
        for (const ShowFile& file : check->Files()) {
            if (std::find(changed.begin(), changed.end(), file.path) == changed.end()) {
                continue;
            }
            switch (file.kind) {
                case ShowFile::Kind::Preconfig:
                case ShowFile::Kind::Music:
                case ShowFile::Kind::Engine:
                    plan.rebuild = true;
                    break;
                case ShowFile::Kind::Script:
                    plan.script = true;
                    break;
                case ShowFile::Kind::Scene:
                    AddOnce(plan.scenes, file.owner);
                    break;
                case ShowFile::Kind::Texture:
                    AddOnce(plan.textures, file.path);
                    break;
                case ShowFile::Kind::Particles:
                    AddOnce(plan.particleSystems, file.owner);
                    break;
                case ShowFile::Kind::Shader:
                    AddOnce(plan.shaders, file.owner);
                    break;
            }
        }
    }
    if (plan.rebuild) {
        return Everything(before, now);
    }
    return plan;
}

ReloadPlan ReloadPlan::Everything(const ShowChecker& before, const ShowChecker& now) {
    ReloadPlan plan;
    plan.rebuild = true;
    plan.reopenWindow = before.DisplayMode() != now.DisplayMode();
    return plan;
}

bool ReloadPlan::Empty() const {
    return !rebuild && !script && scenes.empty() && textures.empty() && particleSystems.empty() && shaders.empty();
}

std::string ReloadPlan::Describe() const {
    if (rebuild) {
        return reopenWindow ? "the whole show, in a new window" : "the whole show";
    }
    std::string text;
    for (const std::string& part : {std::string(script ? "script" : ""), Joined("scene", scenes),
                                    Joined("texture", textures), Joined("particles", particleSystems),
                                    Joined("shader", shaders)}) {
        if (!part.empty()) {
            text += (text.empty() ? "" : "; ") + part;
        }
    }
    return text.empty() ? "nothing" : text;
}
