#include "checker/SceneChecker.h"

#include <algorithm>
#include <vector>

#include "checker/CheckedShow.h"
#include "checker/FindingText.h"
#include "checker/SceneReading.h"
#include "checker/ShowPath.h"
#include "checker/TextureChecker.h"
#include "checker/TrackChecker.h"
#include "platform/FileSystem.h"
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

// The line that names a material's map: its whole name in quotes, or the
// start of a name the reader cut to its buffer.
int BitmapLine(const std::string& text, const std::string& texture) {
    const int whole = LineOf(text, "\"" + texture + "\"");
    return whole > 0 || texture.empty() ? whole : LineOf(text, "\"" + texture);
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
    Scene scene;
    SceneReading reading(ShowFindings::kMax + 1);
    const bool ended = !reading.Read(info.file, binary, scene);
    info.read = !ended;
    Keep(info, scene);
    Report(sceneFile, reading, ended);
    if (ended) {
        // What the reader filled before it gave up is no scene to check
        // indices against.
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

void SceneChecker::Keep(ShowResources::SceneInfo& info, const Scene& scene) {
    info.cameraCount = scene.CameraCount();
    info.lightCount = scene.LightCount();
    for (uint32_t i = 0; i < scene.ObjectCount(); ++i) {
        info.objectNames.push_back(scene.objects[i].name);
    }
}

// The reader's own warnings, as it writes them to the log, its boxes, and
// its ending.
void SceneChecker::Report(const std::string& sceneFile, const SceneReading& reading, bool ended) {
    for (const SceneReading::Said& said : reading.Sayings()) {
        show.findings.Add(false, sceneFile, said.line, said.message);
    }
    if (ended) {
        const std::string cause = reading.LastBox().empty() ? std::string() : " after the box " + reading.LastBox();
        show.findings.Add(true, sceneFile, reading.EndLine(),
                          "reading it ends halvenor with exit status " + std::to_string(reading.EndStatus()) + cause);
    }
}

void SceneChecker::CheckMaterials(const std::string& sceneFile, const std::string& text, const Scene& scene,
                                  const std::string& owner, bool binary) {
    TextureChecker textures(show.findings);
    for (uint32_t m = 0; m < scene.MaterialCount(); ++m) {
        const Material material = scene.GetMaterial(m);
        const int maps = std::min<int>(material.props.mapCount, Material::kMapSlots);
        for (int slot = 0; slot < maps; ++slot) {
            const std::string texture = material.GetMap(slot).file;
            const int textLine = binary ? 0 : BitmapLine(text, texture);
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
