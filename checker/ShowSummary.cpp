#include "checker/ShowSummary.h"

#include "checker/FindingText.h"

std::string ShowSummary::Of(const CheckedShow& show) {
    std::ostringstream out;
    if (!show.preconfigRead) {
        return std::string();
    }
    const ShowResources::Display& display = show.resources.display;
    if (display.seen) {
        out << "display      " << display.width << " x " << display.height << ", " << display.bits << " bits, "
            << (display.fullscreen ? "full screen" : "windowed") << "\n";
    }
    for (const ShowResources::SceneInfo& scene : show.resources.scenes) {
        WriteScene(out, scene);
    }
    WriteResources(out, show.resources);
    WriteMusic(out, show.music);
    WriteScript(out, show.script);
    return out.str();
}

void ShowSummary::WriteScene(std::ostringstream& out, const ShowResources::SceneInfo& scene) {
    out << "scene        " << scene.name << " (" << scene.file << ")";
    if (!scene.read) {
        out << ": not read by the checker\n";
        return;
    }
    out << ": " << FindingText::Plural(scene.objectNames.size(), "object", "objects");
    for (size_t i = 0; i < scene.objectNames.size(); ++i) {
        // Binary scenes keep no object names.
        out << (i == 0 ? " [" : ", ") << i;
        if (!scene.objectNames[i].empty()) {
            out << " " << scene.objectNames[i];
        }
    }
    out << (scene.objectNames.empty() ? "" : "]") << ", "
        << FindingText::Plural(scene.cameraCount, "camera", "cameras") << " ["
        << FindingText::IndexRange(scene.cameraCount) << "], "
        << FindingText::Plural(scene.lightCount, "light", "lights") << " ["
        << FindingText::IndexRange(scene.lightCount) << "]\n";
}

// What the show's lines made; the engine's own layers and pixel buffers are
// left out.
void ShowSummary::WriteResources(std::ostringstream& out, const ShowResources& resources) {
    for (const ShowResources::Resource& layer : resources.layers) {
        if (layer.line > 0) {
            out << "layer        " << layer.name << " (" << layer.detail << ")\n";
        }
    }
    for (const ShowResources::Resource& system : resources.particleSystems) {
        out << "particles    " << system.name << " (" << system.detail << ")\n";
    }
    for (const ShowResources::Resource& buffer : resources.pixelBuffers) {
        if (buffer.line > 0) {
            out << "pixel buffer " << buffer.name << " (" << buffer.detail << ")\n";
        }
    }
}

void ShowSummary::WriteMusic(std::ostringstream& out, const CheckedShow::Music& music) {
    if (music.file.empty()) {
        out << "music        none: the music time stays at 0\n";
        return;
    }
    out << "music        " << music.file;
    if (music.length >= 0.0f) {
        out << ", " << FindingText::Seconds(music.length) << " (loops)";
    } else {
        out << ": not loaded, the show plays without sound on a silent clock";
    }
    if (!music.detail.empty()) {
        out << "; " << music.detail;
    }
    out << "\n";
}

void ShowSummary::WriteScript(std::ostringstream& out, const CheckedShow::Script& script) {
    if (script.file.empty()) {
        return;
    }
    out << "script       " << script.file << ": "
        << FindingText::Plural(static_cast<size_t>(script.eventCount), "event", "events");
    if (script.eventCount > 0) {
        out << " from " << FindingText::Seconds(script.firstTime) << " to " << FindingText::Seconds(script.lastTime);
    }
    if (script.markerCount > 0) {
        out << ", " << FindingText::Plural(static_cast<size_t>(script.markerCount), "marker", "markers");
    }
    if (script.stopTime >= 0.0f) {
        out << (script.stopDue ? "; ends at " : "; never ends: its FX_STOP at ") << FindingText::Seconds(script.stopTime)
            << (script.stopDue ? "" : " is never due");
    }
    out << "\n";
}
