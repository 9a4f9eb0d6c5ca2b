#include "checker/PreconfigChecker.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "checker/ArgumentChecker.h"
#include "checker/CheckedShow.h"
#include "checker/FindingText.h"
#include "checker/MusicChecker.h"
#include "checker/ParticleFileChecker.h"
#include "checker/SceneChecker.h"
#include "checker/ScriptChecker.h"
#include "checker/SetLineChecker.h"
#include "checker/ShowLines.h"
#include "checker/ShaderLayerChecker.h"
#include "checker/ShowPath.h"
#include "checker/Suggestion.h"
#include "checker/SyncTrackChecker.h"
#include "config/PreconfigLine.h"
#include "core/Engine.h"

namespace {

using Kind = ShowResources::Kind;

const char* const kPreconfigFile = "preconfig.txt";
// The console font and the console background, loaded for every show.
const char* const kFontTexture = "texturas\\font.jpg";
const char* const kConsoleTexture = "texturas\\consola_fondo.jpg";
// The layer a LOAD_SCREEN line creates.
const char* const kLoadScreenLayer = "LOADSCREEN";
const char* const kTabBetweenWords =
    "a tab stands between words: the engine separates words by spaces only and reads the tab as part of a word";

// The line with its word at index (counted from 0, words separated by
// spaces) replaced.
std::string ReplaceWord(const std::string& text, int index, const std::string& replacement) {
    size_t begin = 0;
    for (int i = 0;; ++i) {
        begin = text.find_first_not_of(' ', begin);
        if (begin == std::string::npos) {
            return text;
        }
        size_t end = text.find_first_of(" \n", begin);
        if (end == std::string::npos) {
            end = text.size();
        }
        if (i == index) {
            return text.substr(0, begin) + replacement + text.substr(end);
        }
        begin = end;
    }
}

// What the file argument of a LOAD kind is, for the findings.
const char* FileWhat(const PreconfigForm& form) {
    if (EqualsIgnoringCase(form.word, "SOUND")) {
        return "music";
    }
    if (EqualsIgnoringCase(form.word, "SCRIPT")) {
        return "script";
    }
    if (EqualsIgnoringCase(form.word, "PARTICULAS")) {
        return "particle file";
    }
    if (EqualsIgnoringCase(form.word, "LAYER2D") || EqualsIgnoringCase(form.word, "LOAD_SCREEN")) {
        return "image";
    }
    return "scene file";
}

}  // namespace

void PreconfigChecker::Check() {
    const std::string file = ShowPath::OnDisk(kPreconfigFile);
    show.files.Add(ShowFile::Kind::Preconfig, kPreconfigFile, "");
    show.preconfigRead = ShowLines::Read(
        kPreconfigFile, PreconfigLine::kLineLimit, [&](int line, const char* text) { CheckLine(file, line, text); },
        [&](int line, const std::string& message) { show.findings.Add(true, file, line, message); });
    if (!show.preconfigRead) {
        show.findings.Add(true, kPreconfigFile, 0,
                          "not found: halvenor plays the show of the directory it runs in and exits 1 without it");
        return;
    }
    CheckWhole(file);
    CheckEngineTextures(file);
}

// What the show as a whole needs a line for.
void PreconfigChecker::CheckWhole(const std::string& file) {
    if (!show.resources.display.seen) {
        show.findings.Add(true, file, 0, "no LOAD DISPLAY line: halvenor exits 1 without a window");
    }
    if (show.script.file.empty()) {
        show.findings.Add(true, file, 0, "no LOAD SCRIPT line: nothing ever shows and the show never ends by itself");
    }
}

void PreconfigChecker::CheckEngineTextures(const std::string& file) {
    for (const char* texture : {kFontTexture, kConsoleTexture}) {
        show.files.Add(ShowFile::Kind::Engine, texture, "");
        if (!ShowPath::Found(texture)) {
            show.findings.Add(false, file, 0,
                              FindingText::Quoted(texture) + " not found: the console (TAB) has no picture" +
                                  (texture == kFontTexture ? " (halvenor-font makes one from a TrueType font)" : ""));
        }
    }
}

void PreconfigChecker::CheckLine(const std::string& file, int line, const char* text) {
    const PreconfigLine words(text);
    if (!CheckLineStart(file, line, text, words)) {
        return;
    }
    if (words.CommandIs(PreconfigKeywords::kLoad)) {
        CheckLoadKind(file, line, text, words);
    } else if (words.CommandIs(PreconfigKeywords::kSet)) {
        SetLineChecker(show).Check(file, line, words);
    } else {
        CheckUnknownCommand(file, line, text, ShowLines::WithoutLineFeed(words.Command()));
    }
}

// Comments and empty lines, a command without its kind, tabs.
bool PreconfigChecker::CheckLineStart(const std::string& file, int line, const char* text,
                                      const PreconfigLine& words) {
    if (words.IsComment() || std::strncmp(words.Command(), "//", 2) == 0) {
        return false;
    }
    const std::string command = ShowLines::WithoutLineFeed(words.Command());
    if (command.empty()) {
        return false;
    }
    if ((EqualsIgnoringCase(command.c_str(), PreconfigKeywords::kLoad) ||
         EqualsIgnoringCase(command.c_str(), PreconfigKeywords::kSet)) &&
        std::strchr(words.Command(), '\n') != nullptr) {
        show.findings.Add(true, file, line, command + " without a kind word: the line is ignored");
        return false;
    }
    if (ShowLines::ContainsTab(text)) {
        std::string spaced(text);
        std::replace(spaced.begin(), spaced.end(), '\t', ' ');
        ReadAsMeant(file, line, spaced);
        show.findings.Add(true, file, line, kTabBetweenWords);
        return false;
    }
    return true;
}

void PreconfigChecker::CheckLoadKind(const std::string& file, int line, const char* text,
                                     const PreconfigLine& words) {
    const std::string kind = ShowLines::WithoutLineFeed(words.Kind());
    const PreconfigForm* form = PreconfigKeywords::FindLoadKind(kind.c_str());
    if (form != nullptr) {
        CheckLoad(file, line, *form, words);
        return;
    }
    int count = 0;
    const PreconfigForm* forms = PreconfigKeywords::LoadKinds(count);
    const std::vector<std::string> kinds = Suggestion::Words(forms, count);
    const std::string meant = Suggestion::Nearest(kind, kinds);
    if (!meant.empty()) {
        ReadAsMeant(file, line, ReplaceWord(text, 1, meant));
    }
    show.findings.Add(true, file, line, "unknown LOAD kind " + FindingText::Quoted(kind) +
                                            Suggestion::DidYouMean(kind, kinds) + ": the line is ignored");
}

void PreconfigChecker::CheckUnknownCommand(const std::string& file, int line, const char* text,
                                           const std::string& command) {
    const std::vector<std::string> commands = {PreconfigKeywords::kLoad, PreconfigKeywords::kSet};
    const std::string meant = Suggestion::Nearest(command, commands);
    if (!meant.empty()) {
        ReadAsMeant(file, line, ReplaceWord(text, 0, meant));
    }
    show.findings.Add(true, file, line, "unknown command " + FindingText::Quoted(command) +
                                            Suggestion::DidYouMean(command, commands) +
                                            ": the line is ignored (comments start with // and a space)");
}

// Reads the line as the author meant it, keeping only what it creates, so
// that one mistake makes one finding and not one more on every line that
// names what it would have created.
void PreconfigChecker::ReadAsMeant(const std::string& file, int line, const std::string& meant) {
    const size_t before = show.findings.Count();
    CheckLine(file, line, meant.c_str());
    show.findings.KeepFirst(before);
}

void PreconfigChecker::CheckLoad(const std::string& file, int line, const PreconfigForm& form,
                                 const PreconfigLine& words) {
    const std::string usage = "LOAD " + std::string(form.word) + " " + form.usage;
    if (words.ArgCount() < form.argCount) {
        show.findings.Add(true, file, line, "too few words: write " + usage +
                                                (words.ArgCount() == 0 ? " (the line is ignored)" : ""));
        return;
    }
    if (words.ArgCount() > form.argCount) {
        show.findings.Add(false, file, line, "words after " + usage + " are ignored");
    }
    if (!form.built) {
        show.findings.Add(false, file, line, "LOAD " + std::string(form.word) +
                                                 " is read but not built in this engine yet: the line loads nothing");
    }
    if (PreconfigKeywords::NeedsDisplay(form) && !show.resources.display.seen) {
        show.findings.Add(true, file, line, "comes before the LOAD DISPLAY line: the engine has no window to load "
                                            "it into and ignores the line");
    }
    if (CheckLoadArguments(file, line, form, words)) {
        TakeLoad(file, line, form, words);
    }
}

bool PreconfigChecker::CheckLoadArguments(const std::string& file, int line, const PreconfigForm& form,
                                          const PreconfigLine& words) {
    const bool pbufferLayer =
        EqualsIgnoringCase(form.word, "LAYER2D") && PreconfigKeywords::LayerTypeCode(words.Arg(2)) == 4;
    ArgumentChecker arguments(show);
    for (int i = 0; i < form.argCount; ++i) {
        const PreconfigArg role = form.args[i];
        // A layer that shows a pixel buffer loads no image; a shader
        // layer's file is checked as a shader.
        if ((pbufferLayer || ShaderLayerChecker::IsShaderLayer(words)) && role == PreconfigArg::Image) {
            continue;
        }
        // A missing file is one finding: what the line names is still
        // created, so that later lines naming it say nothing more.
        if (!arguments.Check(file, line, role, words.Arg(i + 1), FileWhat(form)) && role != PreconfigArg::File) {
            return false;
        }
    }
    return true;
}

void PreconfigChecker::TakeLoad(const std::string& file, int line, const PreconfigForm& form,
                                const PreconfigLine& words) {
    if (EqualsIgnoringCase(form.word, "DISPLAY")) {
        TakeDisplay(file, line, words);
    } else if (EqualsIgnoringCase(form.word, "ESCENA_ASE") || EqualsIgnoringCase(form.word, "ESCENA_BIN")) {
        TakeScene(file, line, words, EqualsIgnoringCase(form.word, "ESCENA_BIN"));
    } else if (EqualsIgnoringCase(form.word, "LAYER2D")) {
        TakeLayer(file, line, words);
    } else if (EqualsIgnoringCase(form.word, "LOAD_SCREEN")) {
        TakeLoadScreen(file, line, words);
    } else if (EqualsIgnoringCase(form.word, "PARTICULAS")) {
        TakeParticles(file, line, words);
    } else if (EqualsIgnoringCase(form.word, "PBUFFER")) {
        TakePixelBuffer(file, line, words);
    } else if (EqualsIgnoringCase(form.word, "SOUND")) {
        MusicChecker(show).Take(file, line, words.Arg(1));
    } else if (EqualsIgnoringCase(form.word, "SCRIPT")) {
        ScriptChecker(show).Take(file, line, words.Arg(1));
    } else if (EqualsIgnoringCase(form.word, "TRACKS")) {
        SyncTrackChecker(show).Take(file, line, words);
    }
}

void PreconfigChecker::TakeDisplay(const std::string& file, int line, const PreconfigLine& words) {
    ShowResources::Display& display = show.resources.display;
    if (display.seen) {
        show.findings.Add(false, file, line, "a second DISPLAY line (the first is line " +
                                                 std::to_string(display.line) + ") opens another window");
        return;
    }
    display = {true, line, words.IntArg(1), words.IntArg(2), words.IntArg(3), EqualsIgnoringCase(words.Arg(4), "YES")};
    if (display.width <= 0 || display.height <= 0) {
        show.findings.Add(true, file, line,
                          "the window needs a width and a height above 0: halvenor refuses this line and exits 1");
    }
}

void PreconfigChecker::TakeScene(const std::string& file, int line, const PreconfigLine& words, bool binary) {
    show.resources.Register(show.findings, Kind::Scene, file, line, words.Arg(2), words.Arg(1));
    show.files.Add(ShowFile::Kind::Scene, words.Arg(1), words.Arg(2));
    const int index = show.resources.Find(Kind::Scene, words.Arg(2));
    if (index >= 0 && show.resources.scenes[index].line == line && ShowPath::Found(words.Arg(1))) {
        SceneChecker(show).Read(file, line, show.resources.scenes[index], binary);
    }
}

void PreconfigChecker::TakeLayer(const std::string& file, int line, const PreconfigLine& words) {
    show.resources.Register(show.findings, Kind::Layer, file, line, words.Arg(3),
                            std::string(words.Arg(2)) + " " + words.Arg(1));
    if (ShaderLayerChecker::IsShaderLayer(words)) {
        ShaderLayerChecker(show).TakeLoad(file, line, words);
    } else if (PreconfigKeywords::LayerTypeCode(words.Arg(2)) != 4) {
        show.files.Add(ShowFile::Kind::Texture, words.Arg(1), words.Arg(3));
    }
}

void PreconfigChecker::TakeLoadScreen(const std::string& file, int line, const PreconfigLine& words) {
    show.resources.Register(show.findings, Kind::Layer, file, line, kLoadScreenLayer,
                            std::string("loading screen ") + words.Arg(1));
    show.files.Add(ShowFile::Kind::Texture, words.Arg(1), kLoadScreenLayer);
}

void PreconfigChecker::TakeParticles(const std::string& file, int line, const PreconfigLine& words) {
    show.resources.Register(show.findings, Kind::Particles, file, line, words.Arg(2), words.Arg(1));
    show.files.Add(ShowFile::Kind::Particles, words.Arg(1), words.Arg(2));
    if (ShowPath::Found(words.Arg(1))) {
        ParticleFileChecker(show).Read(file, line, words.Arg(1), words.Arg(2));
    }
}

void PreconfigChecker::TakePixelBuffer(const std::string& file, int line, const PreconfigLine& words) {
    const int width = words.IntArg(2);
    const int height = words.IntArg(3);
    show.resources.Register(show.findings, Kind::PixelBuffer, file, line, words.Arg(1),
                            std::to_string(width) + " x " + std::to_string(height));
    const int longest = Engine::kLongestPixelBufferSide;
    if (width <= 0 || height <= 0) {
        show.findings.Add(true, file, line, "a pixel buffer needs a width and a height above 0");
    } else if (width > longest || height > longest) {
        show.findings.Add(true, file, line, "a pixel buffer's sides are at most " + std::to_string(longest) +
                                                " pixels: halvenor refuses it");
    }
}
