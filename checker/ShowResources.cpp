#include "checker/ShowResources.h"

#include "checker/FindingText.h"
#include "checker/ShowFindings.h"
#include "config/PreconfigLine.h"
#include "core/Engine.h"

namespace {

const char* const kWhat[] = {"scene", "layer", "particle system", "pixel buffer"};
// The blur pass keeps two layers and two pixel buffers for itself.
const int kCapacity[] = {Engine::kMaxScenes, Engine::kMaxLayers - 2, Engine::kMaxParticleSystems,
                         Engine::kMaxPixelBuffers - 2};
const char* const kBlurPixelBuffers[] = {"PB_BLUR", "PB_BLUR2"};
const char* const kBlurLayers[] = {"LAYER_BLUR", "LAYER_BLUR2"};

}  // namespace

void ShowResources::Register(ShowFindings& findings, Kind kind, const std::string& file, int line,
                             const std::string& name, const std::string& detail) {
    const int index = static_cast<int>(kind);
    const int existing = Find(kind, name);
    if (existing >= 0) {
        const int earlier = LineOf(kind, existing);
        findings.Add(false, file, line,
                     std::string("a ") + kWhat[index] + " named " + FindingText::Quoted(name) + " exists already " +
                         (earlier > 0 ? "(line " + std::to_string(earlier) + ")" : "(made by the engine)") +
                         ": names find the first one");
    }
    const size_t count = Names(kind).size();
    if (static_cast<int>(count) >= kCapacity[index]) {
        findings.Add(true, file, line, std::string("more than ") + std::to_string(kCapacity[index]) + " " +
                                           kWhat[index] + "s: the engine refuses this one");
        return;
    }
    if (kind == Kind::Scene) {
        scenes.push_back({name, detail, line, false, false, 0, 0, {}});
    } else {
        ListOf(kind).push_back({name, detail, line});
    }
}

std::vector<std::string> ShowResources::Names(Kind kind) const {
    std::vector<std::string> names;
    if (kind == Kind::Scene) {
        for (const SceneInfo& scene : scenes) {
            names.push_back(scene.name);
        }
        return names;
    }
    for (const Resource& resource : ListOf(kind)) {
        names.push_back(resource.name);
    }
    return names;
}

int ShowResources::Find(Kind kind, const std::string& name) const {
    const std::vector<std::string> names = Names(kind);
    for (size_t i = 0; i < names.size(); ++i) {
        if (EqualsIgnoringCase(names[i].c_str(), name.c_str())) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void ShowResources::AddEngineResources() {
    for (const char* name : kBlurPixelBuffers) {
        pixelBuffers.push_back({name, "blur pass", 0});
    }
    for (const char* name : kBlurLayers) {
        layers.push_back({name, "blur pass", 0});
    }
}

std::string ShowResources::DisplayMode() const {
    if (!display.seen) {
        return std::string();
    }
    return std::to_string(display.width) + " x " + std::to_string(display.height) + " x " +
           std::to_string(display.bits) + (display.fullscreen ? " full screen" : " windowed");
}

int ShowResources::LineOf(Kind kind, int index) const {
    return kind == Kind::Scene ? scenes[index].line : ListOf(kind)[index].line;
}

std::vector<ShowResources::Resource>& ShowResources::ListOf(Kind kind) {
    return kind == Kind::Layer ? layers : kind == Kind::Particles ? particleSystems : pixelBuffers;
}

const std::vector<ShowResources::Resource>& ShowResources::ListOf(Kind kind) const {
    return kind == Kind::Layer ? layers : kind == Kind::Particles ? particleSystems : pixelBuffers;
}
