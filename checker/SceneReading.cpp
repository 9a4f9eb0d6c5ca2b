#include "checker/SceneReading.h"

#include <algorithm>
#include <memory>

#include "checker/AseTextLines.h"
#include "checker/FindingText.h"
#include "core/Log.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"
#include "scene/AseReader.h"
#include "scene/BinarySceneFile.h"
#include "scene/Scene.h"

bool SceneReading::Read(const std::string& name, bool binary, Scene& scene) {
    AseReader aseReader;
    ase = binary ? nullptr : &aseReader;
    // Whatever leaves the reading, nothing listens any more.
    struct Listening {
        explicit Listening(SceneReading* reading) {
            Log::Capture(&reading->log, LogWritten, reading);
            Platform::ListenToMessageBoxes(BoxShown, reading);
        }
        ~Listening() {
            Platform::ListenToMessageBoxes(nullptr, nullptr);
            Log::Capture(nullptr);
        }
    };
    std::unique_ptr<Listening> listening(new Listening(this));
    const bool ended = !Platform::RunCatchingEndings(
        [&] {
            if (binary) {
                BinarySceneFile reader;
                reader.Read(name.c_str(), scene);
            } else {
                aseReader.Read(name.c_str(), scene);
            }
        },
        &endStatus);
    listening.reset();
    TakeLog(true);
    if (!binary) {
        FindLines(name, ended);
    }
    ase = nullptr;
    return !ended;
}

void SceneReading::LogWritten(void* context) { static_cast<SceneReading*>(context)->TakeLog(false); }

void SceneReading::BoxShown(void* context) {
    SceneReading& reading = *static_cast<SceneReading*>(context);
    const Platform::ShownMessageBox& box = Platform::MessageBoxes().back();
    reading.lastBox = "[" + box.caption + "] " + FindingText::OneLine(box.text);
    reading.Note("reading it shows the box " + reading.lastBox);
}

void SceneReading::TakeLog(bool all) {
    const size_t done = all ? log.size() : log.rfind('\n') + 1;
    if (done == 0 || done > log.size()) {
        return;
    }
    for (size_t start = 0; start < done;) {
        const size_t stop = std::min(log.find('\n', start), done);
        const std::string entry = log.substr(start, stop - start);
        if (entry.find("** AVISO **") != std::string::npos || entry.find("** ERROR **") != std::string::npos) {
            Note("the scene reader says: " + entry.substr(entry.find("**")));
        }
        start = stop + 1;
    }
    // What is taken is not kept: a reader's progress lines cost nothing here.
    log.erase(0, done);
}

void SceneReading::Note(const std::string& message) {
    if (said.size() < kept) {
        said.push_back({message, 0});
        offsets.push_back(ase != nullptr ? ase->TextOffset() : 0);
    }
}

void SceneReading::FindLines(const std::string& name, bool ended) {
    std::vector<uint64_t> points = offsets;
    points.push_back(ended ? ase->TextOffset() : 0);
    const std::vector<int> lines = AseTextLines::Of(name, points);
    for (size_t i = 0; i < said.size(); ++i) {
        said[i].line = lines[i];
    }
    endLine = lines.back();
}
