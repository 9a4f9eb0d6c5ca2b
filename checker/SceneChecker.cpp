#include "checker/SceneChecker.h"

#include <algorithm>
#include <sstream>
#include <vector>

#include "checker/CheckedShow.h"
#include "checker/FindingText.h"
#include "checker/ShowPath.h"
#include "checker/TextureChecker.h"
#include "checker/TrackChecker.h"
#include "core/Log.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"
#include "scene/AseReader.h"
#include "scene/BinarySceneFile.h"
#include "scene/Scene.h"

namespace {

// The flare lights' texture.
const char* const kFlareTexture = "texturas\\Blue.jpg";

// The line of the text where needle first occurs, from 1; 0 when it does not.
int LineOf(const std::string& text, const std::string& needle) {
    const size_t at = text.find(needle);
    if (at == std::string::npos) {
        return 0;
    }
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
}

}  // namespace

void SceneChecker::Read(const std::string& file, int line, ShowResources::SceneInfo& info, bool binary) {
    const std::string sceneFile = ShowPath::OnDisk(info.file);
    // The ASE text, to point at the line that names a missing texture.
    std::string text;
    if (!binary && !Platform::ReadWholeFile(info.file.c_str(), text)) {
        show.findings.Add(true, file, line, "scene file " + FindingText::Quoted(info.file) + " cannot be read");
        return;
    }
    std::string log;
    const size_t boxesBefore = Platform::MessageBoxes().size();
    Scene scene;
    unsigned endStatus = 0;
    const bool ended = ReadEnded(info.file, binary, scene, log, endStatus);
    info.read = !ended;
    Keep(info, scene);
    ReportReader(sceneFile, log, boxesBefore);
    if (ended) {
        // What the reader filled before it gave up is no scene to check
        // indices against.
        ReportEnding(sceneFile, boxesBefore, endStatus);
        scene.Release();
        return;
    }
    CheckMaterials(sceneFile, text, scene, info.name, binary);
    if (!binary) {
        TrackChecker(show.findings).Check(sceneFile, text, scene.GetParams());
    }
    CheckFlares(file, line, scene);
    scene.Release();
}

bool SceneChecker::ReadEnded(const std::string& name, bool binary, Scene& scene, std::string& log,
                             unsigned& status) {
    Log::Capture(&log);
    const bool ended = !Platform::RunCatchingEndings(
        [&] {
            if (binary) {
                BinarySceneFile reader;
                reader.Read(name.c_str(), scene);
            } else {
                AseReader reader;
                reader.Read(name.c_str(), scene);
            }
        },
        &status);
    Log::Capture(nullptr);
    return ended;
}

void SceneChecker::Keep(ShowResources::SceneInfo& info, const Scene& scene) {
    info.cameraCount = scene.CameraCount();
    info.lightCount = scene.LightCount();
    for (uint32_t i = 0; i < scene.ObjectCount(); ++i) {
        info.objectNames.push_back(scene.objects[i].name);
    }
}

// The reader's own warnings, as it writes them to the log, and its boxes.
void SceneChecker::ReportReader(const std::string& sceneFile, const std::string& log, size_t boxesBefore) {
    std::istringstream lines(log);
    for (std::string entry; std::getline(lines, entry);) {
        if (entry.find("** AVISO **") != std::string::npos || entry.find("** ERROR **") != std::string::npos) {
            show.findings.Add(false, sceneFile, 0, "the scene reader says: " + entry.substr(entry.find("**")));
        }
    }
    const std::vector<Platform::ShownMessageBox>& boxes = Platform::MessageBoxes();
    for (size_t i = boxesBefore; i < boxes.size(); ++i) {
        show.findings.Add(false, sceneFile, 0, "reading it shows the box [" + boxes[i].caption + "] " +
                                                   FindingText::OneLine(boxes[i].text));
    }
}

void SceneChecker::ReportEnding(const std::string& sceneFile, size_t boxesBefore, unsigned status) {
    const std::vector<Platform::ShownMessageBox>& boxes = Platform::MessageBoxes();
    const std::string cause = boxes.size() > boxesBefore ? " after the box [" + boxes.back().caption + "] " +
                                                               FindingText::OneLine(boxes.back().text)
                                                         : std::string();
    show.findings.Add(true, sceneFile, 0, "reading it ends halvenor with exit status " + std::to_string(status) +
                                              cause);
}

void SceneChecker::CheckMaterials(const std::string& sceneFile, const std::string& text, const Scene& scene,
                                  const std::string& owner, bool binary) {
    TextureChecker textures(show.findings);
    for (uint32_t m = 0; m < scene.MaterialCount(); ++m) {
        const Material material = scene.GetMaterial(m);
        const int maps = std::min<int>(material.props.mapCount, Material::kMapSlots);
        for (int slot = 0; slot < maps; ++slot) {
            const std::string texture = material.GetMap(slot).file;
            const int textLine = binary ? 0 : LineOf(text, "\"" + texture + "\"");
            show.files.Add(ShowFile::Kind::Texture, texture, owner);
            textures.Check(sceneFile, textLine, texture, "texture");
        }
    }
}

void SceneChecker::CheckFlares(const std::string& file, int line, const Scene& scene) {
    for (uint32_t l = 0; l < scene.LightCount(); ++l) {
        if (scene.lights[l].flare != 0) {
            TextureChecker(show.findings).Check(file, line, kFlareTexture, "flare texture");
            show.files.Add(ShowFile::Kind::Engine, kFlareTexture, "");
            return;
        }
    }
}
