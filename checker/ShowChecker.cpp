#include "checker/ShowChecker.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <utility>

#include "config/PreconfigLine.h"
#include "config/Script.h"
#include "config/ScriptEvent.h"
#include "config/ScriptKeywords.h"
#include "core/Engine.h"
#include "core/Log.h"
#include "fx2d/ParticleFile.h"
#include "fx2d/ParticleSystem.h"
#include "platform/Bass.h"
#include "platform/ModuleMusic.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"
#include "scene/AseReader.h"
#include "scene/BinarySceneFile.h"
#include "scene/Scene.h"

namespace {

const char* const kPreconfigFile = "preconfig.txt";
// The flare lights' texture, the console font and the console background.
const char* const kFlareTexture = "texturas\\Blue.jpg";
const char* const kFontTexture = "texturas\\font.jpg";
const char* const kConsoleTexture = "texturas\\consola_fondo.jpg";
// Resources the engine adds after the last line of preconfig.txt.
const char* const kBlurPixelBuffers[] = {"PB_BLUR", "PB_BLUR2"};
const char* const kBlurLayers[] = {"LAYER_BLUR", "LAYER_BLUR2"};
const char* const kLoadScreenLayer = "LOADSCREEN";

// A word of the show inside a message: control bytes become '?', and a
// word longer than a line's worth is cut.
std::string Quoted(const std::string& text) {
    constexpr size_t kShown = 60;
    std::string shown = text.substr(0, kShown);
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 32 || c == 127) {
            c = '?';
        }
    }
    return "'" + shown + (text.size() > kShown ? "...'" : "'");
}

// A box's text on the finding's one line.
std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Seconds(float seconds) { return Format("%.2f s", seconds); }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Edits between two words, ignoring ASCII case; a swap of two neighbours is
// one edit, the most frequent typo ("FX_SHWO").
size_t EditDistance(const std::string& a, const std::string& b) {
    const size_t n = a.size();
    const size_t m = b.size();
    std::vector<std::vector<size_t>> d(n + 1, std::vector<size_t>(m + 1));
    for (size_t i = 0; i <= n; ++i) {
        d[i][0] = i;
    }
    for (size_t j = 0; j <= m; ++j) {
        d[0][j] = j;
    }
    for (size_t i = 1; i <= n; ++i) {
        for (size_t j = 1; j <= m; ++j) {
            const size_t cost = LowerAscii(a[i - 1]) == LowerAscii(b[j - 1]) ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && LowerAscii(a[i - 1]) == LowerAscii(b[j - 2]) &&
                LowerAscii(a[i - 2]) == LowerAscii(b[j - 1])) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[n][m];
}

// The closest candidate that is near enough to be a typo of the word, or an
// empty string.
std::string Nearest(const std::string& word, const std::vector<std::string>& candidates) {
    const size_t allowed = word.size() <= 3 ? 1 : word.size() <= 6 ? 2 : 3;
    std::string best;
    size_t bestDistance = allowed + 1;
    for (const std::string& candidate : candidates) {
        const size_t distance = EditDistance(word, candidate);
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

// " (did you mean X?)", or nothing.
std::string DidYouMean(const std::string& word, const std::vector<std::string>& candidates) {
    const std::string best = Nearest(word, candidates);
    return best.empty() ? std::string() : " (did you mean " + best + "?)";
}

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

template <typename Entry>
std::vector<std::string> WordsOf(const Entry* table, int count) {
    std::vector<std::string> words;
    for (int i = 0; i < count; ++i) {
        words.push_back(table[i].word);
    }
    return words;
}

// A number as the standard conversions read it, with nothing left over: "12,5"
// and "1.5s" are not numbers, although the engine reads 12 and 1.5 from them.
bool IsNumber(const char* word) {
    if (word == nullptr || *word == '\0') {
        return false;
    }
    char* end = nullptr;
    std::strtod(word, &end);
    return end != word && *end == '\0';
}

std::string WithoutLineFeed(const char* word) {
    std::string text(word);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The show's name for a file as it is on disk, for the findings.
std::string OnDisk(const std::string& name) {
    const std::string resolved = Platform::ResolvePath(name.c_str());
    return resolved.compare(0, 2, "./") == 0 ? resolved.substr(2) : resolved;
}

// The entries of the directory that holds a resolved path, for suggestions.
std::vector<std::string> Neighbours(const std::string& resolved) {
    const size_t slash = resolved.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : resolved.substr(0, slash);
    std::vector<std::string> names;
    if (DIR* dir = opendir(directory.empty() ? "/" : directory.c_str())) {
        while (dirent* entry = readdir(dir)) {
            if (entry->d_name[0] != '.') {
                names.push_back(entry->d_name);
            }
        }
        closedir(dir);
    }
    return names;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

// The line of the text where needle first occurs, from 1; 0 when it does not.
int LineOf(const std::string& text, const std::string& needle) {
    const size_t at = text.find(needle);
    if (at == std::string::npos) {
        return 0;
    }
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
}

// "0-3" or "0" or "none".
std::string IndexRange(size_t count) {
    if (count == 0) {
        return "none";
    }
    return count == 1 ? "0" : "0-" + std::to_string(count - 1);
}

std::string Plural(size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// One position track of a camera or light of an ASE file: where it starts
// and the tick of each sample, in file order.
struct PositionTrack {
    bool camera;
    int index;
    bool target;  // a camera's second track moves its target
    int line;
    std::vector<long long> ticks;
};

// The position tracks of the ASE text's cameras and lights; those of geometry
// objects, which the engine does not read, are left out.
std::vector<PositionTrack> PositionTracks(const std::string& text) {
    std::vector<PositionTrack> tracks;
    enum class Owner { None, Camera, Light } owner = Owner::None;
    int cameras = 0;
    int lights = 0;
    int ownTracks = 0;
    std::istringstream lines(text);
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        std::istringstream words(line);
        for (std::string word; words >> word;) {
            if (word == "*CAMERAOBJECT" || word == "*LIGHTOBJECT") {
                owner = word == "*CAMERAOBJECT" ? Owner::Camera : Owner::Light;
                (owner == Owner::Camera ? cameras : lights) += 1;
                ownTracks = 0;
            } else if (word == "*GEOMOBJECT") {
                owner = Owner::None;
            } else if (word == "*CONTROL_POS_TRACK" && owner != Owner::None) {
                const bool camera = owner == Owner::Camera;
                tracks.push_back({camera, (camera ? cameras : lights) - 1, camera && ownTracks == 1, number, {}});
                ++ownTracks;
            } else if (word == "*CONTROL_POS_SAMPLE" && owner != Owner::None && !tracks.empty()) {
                long long tick = 0;
                if (words >> tick) {
                    tracks.back().ticks.push_back(tick);
                }
            }
        }
    }
    return tracks;
}

// Words of a script line as the reader splits them: the line break becomes a
// space, words are separated by spaces only.
std::vector<std::string> SplitScriptLine(const char* text) {
    std::string line(text);
    if (!line.empty()) {
        line.back() = ' ';
    }
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        if (c == ' ') {
            if (!word.empty()) {
                words.push_back(word);
            }
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) {
        words.push_back(word);
    }
    return words;
}

// Reads a text file line by line with the engine's limits. For each line the
// engine reads, calls take(line number, text) with its first piece; reports
// over-long lines and a last line without a line break through
// problem(line number, message).
template <typename Take, typename Problem>
bool ReadLines(const std::string& name, int limit, Take take, Problem problem) {
    FILE* file = Platform::OpenFile(name.c_str(), "r");
    if (file == nullptr) {
        return false;
    }
    std::vector<char> buffer(static_cast<size_t>(limit) + 1);
    int lineNumber = 1;
    bool continuing = false;
    while (Platform::ReadTextLine(buffer.data(), static_cast<int>(buffer.size()), file) != nullptr) {
        const std::string text(buffer.data());
        if (std::feof(file)) {
            if (text.find_first_not_of(" \t\r\n") != std::string::npos) {
                problem(lineNumber, "the last line has no line break, so the engine does not read it");
            }
            break;
        }
        const bool complete = text.back() == '\n';
        if (!complete && !continuing) {
            problem(lineNumber, "the line is longer than " + std::to_string(limit - 1) +
                                    " characters: the engine reads the rest as another line");
        }
        // The rest of a cut line is reported with it, not as a line of its own.
        if (!continuing) {
            take(lineNumber, buffer.data());
        }
        continuing = !complete;
        if (complete) {
            ++lineNumber;
        }
    }
    std::fclose(file);
    return true;
}

bool ContainsTab(const char* text) { return std::strchr(text, '\t') != nullptr; }

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

ShowChecker::ShowChecker()
    : preconfigRead(false),
      displaySeen(false),
      displayLine(0),
      width(0),
      height(0),
      bits(0),
      fullscreen(false),
      musicLength(-1.0f),
      scriptLine(0),
      eventCount(0),
      markerCount(0),
      firstTime(0.0f),
      lastTime(0.0f),
      stopTime(-1.0f),
      stopDue(false),
      misplacedStop(false) {}

void ShowChecker::Add(bool error, const std::string& file, int line, const std::string& message) {
    // A file that is not a show at all (a picture renamed preconfig.txt)
    // would otherwise give a finding per line.
    if (findings.size() == kMaxFindings) {
        findings.push_back({true, file, line, "too many problems: the rest is left out"});
    }
    if (findings.size() > kMaxFindings) {
        return;
    }
    findings.push_back({error, file, line, message});
}

void ShowChecker::AddFile(ShowFile::Kind kind, const std::string& name, const std::string& owner) {
    if (name.empty()) {
        return;
    }
    const std::string path = OnDisk(name);
    if (fileKeys.insert(std::to_string(static_cast<int>(kind)) + '\n' + owner + '\n' + path).second) {
        files.push_back({kind, path, owner});
    }
}

std::string ShowChecker::DisplayMode() const {
    if (!displaySeen) {
        return std::string();
    }
    return std::to_string(width) + " x " + std::to_string(height) + " x " + std::to_string(bits) +
           (fullscreen ? " full screen" : " windowed");
}

int ShowChecker::ErrorCount() const {
    return static_cast<int>(std::count_if(findings.begin(), findings.end(), [](const ShowFinding& f) { return f.error; }));
}

int ShowChecker::WarningCount() const { return static_cast<int>(findings.size()) - ErrorCount(); }

void ShowChecker::Check() {
    CheckPreconfiguration();
    AddEngineResources();
    CheckScript();
}

// ---------------------------------------------------------------------------
// preconfig.txt

void ShowChecker::CheckPreconfiguration() {
    const std::string file = OnDisk(kPreconfigFile);
    AddFile(ShowFile::Kind::Preconfig, kPreconfigFile, "");
    const bool opened = ReadLines(
        kPreconfigFile, PreconfigLine::kLineLimit,
        [&](int line, const char* text) { CheckPreconfigLine(file, line, text); },
        [&](int line, const std::string& message) { Add(true, file, line, message); });
    preconfigRead = opened;
    if (!opened) {
        Add(true, kPreconfigFile, 0, "not found: halvenor plays the show of the directory it runs in and exits 1 "
                                     "without it");
        return;
    }
    if (!displaySeen) {
        Add(true, file, 0, "no LOAD DISPLAY line: halvenor exits 1 without a window");
    }
    if (scriptFile.empty()) {
        Add(true, file, 0, "no LOAD SCRIPT line: nothing ever shows and the show never ends by itself");
    }
    // The console's font and background are loaded for every show.
    for (const char* texture : {kFontTexture, kConsoleTexture}) {
        AddFile(ShowFile::Kind::Engine, texture, "");
        if (!IsRegularFile(Platform::ResolvePath(texture))) {
            Add(false, file, 0, Quoted(texture) + " not found: the console (TAB) has no picture" +
                                    (texture == kFontTexture ? " (halvenor-font makes one from a TrueType font)" : ""));
        }
    }
}

void ShowChecker::CheckPreconfigLine(const std::string& file, int line, const char* text) {
    const PreconfigLine words(text);
    if (words.IsComment() || std::strncmp(words.Command(), "//", 2) == 0) {
        return;
    }
    const std::string command = WithoutLineFeed(words.Command());
    if (command.empty()) {
        return;
    }
    if (EqualsIgnoringCase(command.c_str(), PreconfigKeywords::kLoad) ||
        EqualsIgnoringCase(command.c_str(), PreconfigKeywords::kSet)) {
        if (std::strchr(words.Command(), '\n') != nullptr) {
            Add(true, file, line, command + " without a kind word: the line is ignored");
            return;
        }
    }
    if (ContainsTab(text)) {
        std::string spaced(text);
        std::replace(spaced.begin(), spaced.end(), '\t', ' ');
        ReadAsMeant(file, line, spaced);
        Add(true, file, line, "a tab stands between words: the engine separates words by spaces only and reads "
                              "the tab as part of a word");
        return;
    }
    if (words.CommandIs(PreconfigKeywords::kLoad)) {
        const std::string kind = WithoutLineFeed(words.Kind());
        const PreconfigForm* form = PreconfigKeywords::FindLoadKind(kind.c_str());
        if (form == nullptr) {
            int count = 0;
            const PreconfigForm* kinds = PreconfigKeywords::LoadKinds(count);
            const std::string meant = Nearest(kind, WordsOf(kinds, count));
            if (!meant.empty()) {
                ReadAsMeant(file, line, ReplaceWord(text, 1, meant));
            }
            Add(true, file, line, "unknown LOAD kind " + Quoted(kind) + DidYouMean(kind, WordsOf(kinds, count)) +
                                      ": the line is ignored");
            return;
        }
        CheckLoad(file, line, *form, words);
    } else if (words.CommandIs(PreconfigKeywords::kSet)) {
        CheckSet(file, line, words);
    } else {
        const std::vector<std::string> commands = {PreconfigKeywords::kLoad, PreconfigKeywords::kSet};
        const std::string meant = Nearest(command, commands);
        if (!meant.empty()) {
            ReadAsMeant(file, line, ReplaceWord(text, 0, meant));
        }
        Add(true, file, line, "unknown command " + Quoted(command) + DidYouMean(command, commands) +
                                  ": the line is ignored (comments start with // and a space)");
    }
}

// Reads the line as the author meant it, keeping only what it creates, so
// that one mistake makes one finding and not one more on every line that
// names what it would have created.
void ShowChecker::ReadAsMeant(const std::string& file, int line, const std::string& meant) {
    const size_t before = findings.size();
    CheckPreconfigLine(file, line, meant.c_str());
    findings.resize(before);
}

void ShowChecker::CheckLoad(const std::string& file, int line, const PreconfigForm& form, const PreconfigLine& words) {
    const std::string usage = "LOAD " + std::string(form.word) + " " + form.usage;
    if (words.ArgCount() < form.argCount) {
        Add(true, file, line, "too few words: write " + usage + (words.ArgCount() == 0 ? " (the line is ignored)" : ""));
        return;
    }
    if (words.ArgCount() > form.argCount) {
        Add(false, file, line, "words after " + usage + " are ignored");
    }
    if (!form.built) {
        Add(false, file, line, "LOAD " + std::string(form.word) + " is read but not built in this engine yet: "
                               "the line loads nothing");
    }
    if (PreconfigKeywords::NeedsDisplay(form) && !displaySeen) {
        Add(true, file, line, "comes before the LOAD DISPLAY line: the engine has no window to load it into "
                              "and ignores the line");
    }
    const bool pbufferLayer =
        EqualsIgnoringCase(form.word, "LAYER2D") && PreconfigKeywords::LayerTypeCode(words.Arg(2)) == 4;
    for (int i = 0; i < form.argCount; ++i) {
        const PreconfigArg role = form.args[i];
        // A layer that shows a pixel buffer loads no image.
        if (pbufferLayer && role == PreconfigArg::Image) {
            continue;
        }
        // A missing file is one finding: what the line names is still
        // created, so that later lines naming it say nothing more.
        if (!CheckArgument(file, line, role, words.Arg(i + 1), FileWhat(form)) && role != PreconfigArg::File) {
            return;
        }
    }
    TakeLoad(file, line, form, words);
}

void ShowChecker::TakeDisplay(const std::string& file, int line, const PreconfigLine& words) {
    if (displaySeen) {
        Add(false, file, line, "a second DISPLAY line (the first is line " + std::to_string(displayLine) +
                                   ") opens another window");
        return;
    }
    displaySeen = true;
    displayLine = line;
    width = words.IntArg(1);
    height = words.IntArg(2);
    bits = words.IntArg(3);
    fullscreen = EqualsIgnoringCase(words.Arg(4), "YES");
    if (width <= 0 || height <= 0) {
        Add(true, file, line, "the window needs a width and a height above 0: halvenor refuses this line "
                              "and exits 1");
    }
}

// What a LOAD line whose words are right creates or sets.
void ShowChecker::TakeLoad(const std::string& file, int line, const PreconfigForm& form, const PreconfigLine& words) {
    if (EqualsIgnoringCase(form.word, "DISPLAY")) {
        TakeDisplay(file, line, words);
    } else if (EqualsIgnoringCase(form.word, "ESCENA_ASE") || EqualsIgnoringCase(form.word, "ESCENA_BIN")) {
        Register(Kind::Scene, file, line, words.Arg(2), words.Arg(1));
        AddFile(ShowFile::Kind::Scene, words.Arg(1), words.Arg(2));
        const int index = Find(Kind::Scene, words.Arg(2));
        if (index >= 0 && scenes[index].line == line && IsRegularFile(Platform::ResolvePath(words.Arg(1)))) {
            ReadScene(file, line, scenes[index], EqualsIgnoringCase(form.word, "ESCENA_BIN"));
        }
    } else if (EqualsIgnoringCase(form.word, "LAYER2D")) {
        Register(Kind::Layer, file, line, words.Arg(3), std::string(words.Arg(2)) + " " + words.Arg(1));
        if (PreconfigKeywords::LayerTypeCode(words.Arg(2)) != 4) {
            AddFile(ShowFile::Kind::Texture, words.Arg(1), words.Arg(3));
        }
    } else if (EqualsIgnoringCase(form.word, "LOAD_SCREEN")) {
        Register(Kind::Layer, file, line, kLoadScreenLayer, std::string("loading screen ") + words.Arg(1));
        AddFile(ShowFile::Kind::Texture, words.Arg(1), kLoadScreenLayer);
    } else if (EqualsIgnoringCase(form.word, "PARTICULAS")) {
        Register(Kind::Particles, file, line, words.Arg(2), words.Arg(1));
        AddFile(ShowFile::Kind::Particles, words.Arg(1), words.Arg(2));
        if (IsRegularFile(Platform::ResolvePath(words.Arg(1)))) {
            ReadParticles(file, line, words.Arg(1), words.Arg(2));
        }
    } else if (EqualsIgnoringCase(form.word, "PBUFFER")) {
        Register(Kind::PixelBuffer, file, line, words.Arg(1),
                 std::to_string(words.IntArg(2)) + " x " + std::to_string(words.IntArg(3)));
        const int longest = Engine::kLongestPixelBufferSide;
        if (words.IntArg(2) <= 0 || words.IntArg(3) <= 0) {
            Add(true, file, line, "a pixel buffer needs a width and a height above 0");
        } else if (words.IntArg(2) > longest || words.IntArg(3) > longest) {
            Add(true, file, line,
                "a pixel buffer's sides are at most " + std::to_string(longest) + " pixels: halvenor refuses it");
        }
    } else if (EqualsIgnoringCase(form.word, "SOUND")) {
        if (!soundFile.empty()) {
            Add(false, file, line, "a second SOUND line: the music of the last one is the show's clock");
        }
        soundFile = words.Arg(1);
        AddFile(ShowFile::Kind::Music, soundFile, "");
        ReadMusic(file, line);
    } else if (EqualsIgnoringCase(form.word, "SCRIPT")) {
        if (!scriptFile.empty()) {
            Add(false, file, line, "a second SCRIPT line replaces the script of line " + std::to_string(scriptLine));
        }
        scriptFile = words.Arg(1);
        scriptLine = line;
        AddFile(ShowFile::Kind::Script, scriptFile, "");
    }
}

void ShowChecker::CheckSet(const std::string& file, int line, const PreconfigLine& words) {
    const std::string kindWord = WithoutLineFeed(words.Kind());
    const PreconfigSetKind* kind = PreconfigKeywords::FindSetKind(kindWord.c_str());
    if (kind == nullptr) {
        int count = 0;
        const PreconfigSetKind* kinds = PreconfigKeywords::SetKinds(count);
        Add(true, file, line, "unknown SET kind " + Quoted(kindWord) + DidYouMean(kindWord, WordsOf(kinds, count)) +
                                  ": the line is ignored");
        return;
    }
    const std::string head = "SET " + std::string(kind->word);
    if (words.ArgCount() < 2) {
        Add(true, file, line, "too few words: write " + head + " name sub-keyword ...");
        return;
    }
    static const Kind kResourceKinds[] = {Kind::Scene, Kind::Scene, Kind::Layer, Kind::Particles, Kind::PixelBuffer};
    const Kind resource = kResourceKinds[static_cast<int>(kind->resource)];
    const PreconfigArg role = resource == Kind::Scene ? PreconfigArg::Scene
                              : resource == Kind::Layer ? PreconfigArg::Layer
                                                        : PreconfigArg::Particles;
    if (!CheckArgument(file, line, role, words.Arg(1), "")) {
        return;
    }
    const PreconfigForm* option = PreconfigKeywords::FindSetOption(*kind, words.Arg(2));
    if (option == nullptr) {
        Add(true, file, line, "unknown " + head + " sub-keyword " + Quoted(words.Arg(2)) +
                                  DidYouMean(words.Arg(2), WordsOf(kind->options, kind->optionCount)) +
                                  ": the line changes nothing");
        return;
    }
    const std::string usage = head + " name " + option->word + " " + option->usage;
    const int further = words.ArgCount() - 2;
    if (further < option->argCount) {
        Add(true, file, line, "too few words: write " + usage);
        return;
    }
    if (further > option->argCount) {
        Add(false, file, line, "words after " + usage + " are ignored");
    }
    if (!option->built) {
        Add(false, file, line, head + " " + option->word + " is read but not built in this engine yet: the line "
                                                           "changes nothing");
    }
    for (int i = 0; i < option->argCount; ++i) {
        if (!CheckArgument(file, line, option->args[i], words.Arg(i + 3), "")) {
            return;
        }
    }
    if (resource == Kind::Scene && EqualsIgnoringCase(option->word, "PBUFFER")) {
        scenes[Find(Kind::Scene, words.Arg(1))].hasPixelBuffer = true;
    }
}

// False when the argument is wrong enough that checking the line further
// would only repeat the finding.
bool ShowChecker::CheckArgument(const std::string& file, int line, PreconfigArg role, const char* word,
                                const char* what) {
    switch (role) {
        case PreconfigArg::Number:
        case PreconfigArg::WholeNumber:
            if (!IsNumber(word)) {
                Add(true, file, line, Quoted(word) + " is not a number: the engine reads " +
                                          Format("%g", role == PreconfigArg::Number ? std::atof(word) : std::atoi(word)));
                return false;
            }
            return true;
        case PreconfigArg::YesNo:
            if (!EqualsIgnoringCase(word, "YES") && !EqualsIgnoringCase(word, "NO")) {
                Add(false, file, line, Quoted(word) + " reads as NO: only YES (any letter case) means yes");
            }
            return true;
        case PreconfigArg::LayerType:
            if (PreconfigKeywords::LayerTypeCode(word) == 0) {
                int count = 0;
                const char* const* types = PreconfigKeywords::LayerTypeWords(count);
                Add(true, file, line, "unknown layer type " + Quoted(word) +
                                          DidYouMean(word, std::vector<std::string>(types, types + count)) +
                                          ": write BOARD, BACKGROUND, OVERLAY or PBUFFER");
                return false;
            }
            return true;
        case PreconfigArg::File:
            return CheckFileExists(file, line, word, what);
        case PreconfigArg::Image:
            CheckImage(file, line, word, what);
            return true;
        case PreconfigArg::NewScene:
        case PreconfigArg::NewLayer:
        case PreconfigArg::NewParticles:
        case PreconfigArg::NewPixelBuffer:
            return true;  // registered by the kind's own step
        case PreconfigArg::Scene:
        case PreconfigArg::Layer:
        case PreconfigArg::Particles:
        case PreconfigArg::PixelBuffer: {
            const Kind kind = role == PreconfigArg::Scene   ? Kind::Scene
                              : role == PreconfigArg::Layer ? Kind::Layer
                              : role == PreconfigArg::Particles ? Kind::Particles
                                                                : Kind::PixelBuffer;
            static const char* const kWhat[] = {"scene", "layer", "particle system", "pixel buffer"};
            if (Find(kind, word) < 0) {
                Add(true, file, line, std::string("no ") + kWhat[static_cast<int>(kind)] + " named " + Quoted(word) +
                                          " was loaded before this line" + DidYouMean(word, Names(kind)));
                return false;
            }
            return true;
        }
    }
    return true;
}

bool ShowChecker::CheckFileExists(const std::string& file, int line, const std::string& name,
                                  const std::string& what) {
    const std::string resolved = Platform::ResolvePath(name.c_str());
    if (IsRegularFile(resolved)) {
        return true;
    }
    static const std::pair<const char*, const char*> kConsequences[] = {
        {"music", ": the engine shows a box and the show plays without sound, its time kept by a silent clock"},
        {"script", ": no event happens and the show never ends by itself"},
        {"scene file", ": halvenor exits 1"},
        {"image", ": it is drawn without its picture"},
        {"texture", ": it is drawn without its picture"},
        {"particle texture", ": its particles are drawn without a picture"},
    };
    std::string consequence;
    for (const auto& [kind, text] : kConsequences) {
        if (what == kind) {
            consequence = text;
        }
    }
    Add(true, file, line, what + " " + Quoted(name) + " not found" +
                              DidYouMean(BaseName(resolved), Neighbours(resolved)) + consequence);
    return false;
}

void ShowChecker::CheckImage(const std::string& file, int line, const std::string& name, const std::string& what) {
    if (name.empty()) {
        return;
    }
    const std::string upper = Upper(name);
    const bool tga = upper.find("TGA") != std::string::npos;
    const bool jpg = !tga && upper.find("JPG") != std::string::npos;
    if (!tga && !jpg) {
        Add(true, file, line, what + " " + Quoted(name) + " is not loaded: the engine reads only .jpg (JPEG) and "
                                                           ".tga files, by name");
        return;
    }
    if (!CheckFileExists(file, line, name, what)) {
        return;
    }
    unsigned char header[18] = {};
    FILE* image = Platform::OpenFile(name.c_str(), "rb");
    const size_t got = image != nullptr ? std::fread(header, 1, sizeof header, image) : 0;
    if (image != nullptr) {
        std::fclose(image);
    }
    if (jpg && (got < 2 || header[0] != 0xFF || header[1] != 0xD8)) {
        Add(true, file, line, what + " " + Quoted(name) + " is not a JPEG file: it is drawn without its "
                                                           "picture");
        return;
    }
    static const unsigned char kTgaStart[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const int tgaWidth = header[12] | header[13] << 8;
    const int tgaHeight = header[14] | header[15] << 8;
    if (tga && (got < sizeof header || std::memcmp(header, kTgaStart, sizeof kTgaStart) != 0 || tgaWidth == 0 ||
                tgaHeight == 0 || (header[16] != 24 && header[16] != 32))) {
        Add(true, file, line, what + " " + Quoted(name) + " is not an uncompressed 24- or 32-bit TGA: it is drawn "
                                                           "without its picture");
    }
}

// Reads a scene with the engine's own reader, ASE or binary, without a
// window: its textures are named, not loaded.
void ShowChecker::ReadScene(const std::string& file, int line, SceneInfo& info, bool binary) {
    const std::string sceneFile = OnDisk(info.file);
    // The ASE text, to point at the line that names a missing texture.
    std::string text;
    if (!binary && !Platform::ReadWholeFile(info.file.c_str(), text)) {
        Add(true, file, line, "scene file " + Quoted(info.file) + " cannot be read");
        return;
    }
    std::string log;
    const size_t boxesBefore = Platform::MessageBoxes().size();
    Scene scene;
    Log::Capture(&log);
    // A reader that ends the player on a bad file (an element line before
    // its count line, a file gone since it was found) must not end the
    // checker, nor a player that reads a changed show while it plays.
    unsigned endStatus = 0;
    const bool ended = !Platform::RunCatchingEndings(
        [&] {
            if (binary) {
                BinarySceneFile reader;
                reader.Read(info.file.c_str(), scene);
            } else {
                AseReader reader;
                reader.Read(info.file.c_str(), scene);
            }
        },
        &endStatus);
    Log::Capture(nullptr);
    info.read = !ended;
    info.cameraCount = scene.CameraCount();
    info.lightCount = scene.LightCount();
    for (uint32_t i = 0; i < scene.ObjectCount(); ++i) {
        info.objectNames.push_back(scene.objects[i].name);
    }
    // The reader's own warnings, as it writes them to the log.
    std::istringstream lines(log);
    for (std::string entry; std::getline(lines, entry);) {
        if (entry.find("** AVISO **") != std::string::npos || entry.find("** ERROR **") != std::string::npos) {
            Add(false, sceneFile, 0, "the scene reader says: " + entry.substr(entry.find("**")));
        }
    }
    const std::vector<Platform::ShownMessageBox>& boxes = Platform::MessageBoxes();
    for (size_t i = boxesBefore; i < boxes.size(); ++i) {
        Add(false, sceneFile, 0, "reading it shows the box [" + boxes[i].caption + "] " + OneLine(boxes[i].text));
    }
    if (ended) {
        // What the reader filled before it gave up is no scene to check
        // indices against.
        const std::string cause = boxes.size() > boxesBefore ? " after the box [" + boxes.back().caption + "] " +
                                                                   OneLine(boxes.back().text)
                                                             : std::string();
        Add(true, sceneFile, 0, "reading it ends halvenor with exit status " + std::to_string(endStatus) + cause);
        scene.Release();
        return;
    }
    for (uint32_t m = 0; m < scene.MaterialCount(); ++m) {
        const Material material = scene.GetMaterial(m);
        const int maps = std::min<int>(material.props.mapCount, Material::kMapSlots);
        for (int slot = 0; slot < maps; ++slot) {
            const std::string texture = material.GetMap(slot).file;
            const int textLine = binary ? 0 : LineOf(text, "\"" + texture + "\"");
            AddFile(ShowFile::Kind::Texture, texture, info.name);
            CheckImage(sceneFile, textLine, texture, "texture");
        }
    }
    if (!binary) {
        CheckTracks(sceneFile, text, scene.GetParams());
    }
    for (uint32_t l = 0; l < scene.LightCount(); ++l) {
        if (scene.lights[l].flare != 0) {
            CheckImage(file, line, kFlareTexture, "flare texture");
            AddFile(ShowFile::Kind::Engine, kFlareTexture, "");
            break;
        }
    }
    scene.Release();
}

// The engine plays a track one sample per scene frame, whatever the ticks
// say. An exporter set to sample every few frames gives a track that runs
// that many times too fast and then holds still; a track shorter than the
// scene holds its last sample to the end.
void ShowChecker::CheckTracks(const std::string& sceneFile, const std::string& text, const SceneParams& params) {
    const long long frames = std::max<long long>(1, static_cast<long long>(params.lastFrame) + 1);
    const long long perFrame = params.ticksPerFrame;
    for (const PositionTrack& track : PositionTracks(text)) {
        const long long given = static_cast<long long>(track.ticks.size());
        if (given == 0) {
            continue;
        }
        const std::string owner = std::string(track.camera ? "camera " : "light ") + std::to_string(track.index);
        const std::string what = owner + (track.target ? "'s target track: " : "'s position track: ");
        const std::string self = track.camera ? "this camera" : "this light";
        const std::string still = given < frames ? " and holds still from frame " + std::to_string(given - 1) : "";
        long long gap = 0;
        bool even = true;
        for (size_t i = 1; i < track.ticks.size(); ++i) {
            const long long step = track.ticks[i] - track.ticks[i - 1];
            even &= i == 1 || step == gap;
            gap = i == 1 ? step : gap;
        }
        if (perFrame > 0 && given > 1 && (!even || gap != perFrame)) {
            if (even && gap > perFrame && gap % perFrame == 0) {
                const std::string every = std::to_string(gap / perFrame);
                Add(false, sceneFile, track.line, what + "samples every " + every + " frames are played one per "
                                                  "frame: " + self + " moves " + every + " × faster than in the "
                                                  "modeller" + still + " (export one sample per frame)");
            } else {
                Add(false, sceneFile, track.line, what + "the samples' ticks are not one frame (" +
                                                  std::to_string(perFrame) + " ticks) apart, but they are played "
                                                  "one per frame: " + self + " moves out of step with the "
                                                  "modeller" + still + " (export one sample per frame)");
            }
        } else if (given < frames) {
            Add(false, sceneFile, track.line, what + std::to_string(given) + " samples for the scene's " +
                                              std::to_string(frames) + " frames: " + self + " holds still from "
                                              "frame " + std::to_string(given - 1));
        } else if (given > frames) {
            Add(false, sceneFile, track.line, what + std::to_string(given) + " samples for the scene's " +
                                              std::to_string(frames) + " frames: those past frame " +
                                              std::to_string(frames - 1) + " are dropped");
        }
    }
}

// Reads a particle definition file with the engine's reader and checks the
// textures it names, as the engine will load them: the first ten, each once.
void ShowChecker::ReadParticles(const std::string& file, int line, const std::string& particleFile,
                                const std::string& owner) {
    ParticleFile particles;
    const ParticleFile::Status status = particles.Read(particleFile.c_str());
    const std::string name = "particle file " + Quoted(particleFile);
    if (status == ParticleFile::Status::CannotOpen) {
        Add(true, file, line, name + " cannot be read: the system is empty");
        return;
    }
    if (status == ParticleFile::Status::NoHeader) {
        Add(false, file, line, name + " is shorter than its " + std::to_string(ParticleFile::kHeaderSize) +
                                   "-byte header: the system is empty");
        return;
    }
    if (status == ParticleFile::Status::Short) {
        Add(false, file, line, name + " ends early: " + std::to_string(particles.textureNames.size()) + " of " +
                                   std::to_string(particles.declaredTextures) + " texture names and " +
                                   std::to_string(particles.particles.size()) + " of " +
                                   std::to_string(particles.declaredParticles) + " particles are read");
    }
    if (particles.declaredTextures > static_cast<uint32_t>(ParticleSystem::kMaxTextures)) {
        Add(false, file, line, name + " names " + std::to_string(particles.declaredTextures) +
                                   " textures: only the first " + std::to_string(ParticleSystem::kMaxTextures) +
                                   " are loaded");
    }
    std::vector<std::string> checked;
    const size_t used = std::min<size_t>(particles.textureNames.size(), ParticleSystem::kMaxTextures);
    for (size_t i = 0; i < used; ++i) {
        char texture[ParticleSystem::kTextureNameSize];
        ParticleFile::CopyName(particles.textureNames[i], texture, sizeof texture);
        if (std::find(checked.begin(), checked.end(), texture) == checked.end()) {
            checked.push_back(texture);
            CheckImage(file, line, texture, "particle texture");
            AddFile(ShowFile::Kind::Texture, texture, owner);
        }
    }
}

void ShowChecker::ReadMusic(const std::string& file, int line) {
    if (!IsRegularFile(Platform::ResolvePath(soundFile.c_str()))) {
        return;  // reported with the line's arguments
    }
    // Decoded as the engine will, without opening the audio output.
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, soundFile.c_str(), 0, 0, 0);
    std::string reason;
    const std::unique_ptr<ModuleMusic> module = ModuleMusic::LoadFile(soundFile.c_str(), &reason);
    musicDetail.clear();
    if (module) {
        // The same module as the engine reads: what it is, for the summary.
        const ModuleMusic::Info info = module->Describe();
        musicDetail = "module: " + info.format + (info.title.empty() ? "" : " \"" + info.title + "\"") + ", " +
                      Plural(static_cast<size_t>(std::max(info.channels, 0)), "channel", "channels") + ", " +
                      Plural(static_cast<size_t>(std::max(info.orders, 0)), "order", "orders");
    }
    if (stream == 0) {
        if (module || reason != ModuleMusic::kNotAModule) {
            // A module the engine refuses, or one libopenmpt cannot read.
            Add(true, file, line, "music " + Quoted(soundFile) + " is a module that cannot be played (" +
                                      Platform::MusicError() + "): the show plays without sound, its time kept by a silent clock");
        } else {
            Add(true, file, line, "music " + Quoted(soundFile) + " is neither a sound file it can decode (WAV, FLAC, "
                                  "Ogg or MP3, up to 30 minutes) nor a module it can read (MOD, XM, S3M, IT, ...): "
                                  "the show plays without sound, its time kept by a silent clock");
        }
        musicLength = -1.0f;
        return;
    }
    musicLength = BASS_ChannelBytes2Seconds(stream, BASS_StreamGetLength(stream));
    BASS_StreamFree(stream);
}

void ShowChecker::Register(Kind kind, const std::string& file, int line, const std::string& name,
                           const std::string& detail) {
    static const char* const kWhat[] = {"scene", "layer", "particle system", "pixel buffer"};
    static const int kCapacity[] = {Engine::kMaxScenes, Engine::kMaxLayers - 2, Engine::kMaxParticleSystems,
                                    Engine::kMaxPixelBuffers - 2};
    const int index = static_cast<int>(kind);
    const int existing = Find(kind, name);
    if (existing >= 0) {
        const int earlier = kind == Kind::Scene ? scenes[existing].line
                            : kind == Kind::Layer ? layers[existing].line
                            : kind == Kind::Particles ? particleSystems[existing].line
                                                      : pixelBuffers[existing].line;
        Add(false, file, line, std::string("a ") + kWhat[index] + " named " + Quoted(name) + " exists already " +
                                   (earlier > 0 ? "(line " + std::to_string(earlier) + ")" : "(made by the engine)") +
                                   ": names find the first one");
    }
    const size_t count = Names(kind).size();
    if (static_cast<int>(count) >= kCapacity[index]) {
        Add(true, file, line, std::string("more than ") + std::to_string(kCapacity[index]) + " " + kWhat[index] +
                                  "s: the engine refuses this one");
        return;
    }
    if (kind == Kind::Scene) {
        scenes.push_back({name, detail, line, false, false, 0, 0, {}});
    } else {
        std::vector<Resource>& list = kind == Kind::Layer ? layers : kind == Kind::Particles ? particleSystems
                                                                                            : pixelBuffers;
        list.push_back({name, detail, line});
    }
}

std::vector<std::string> ShowChecker::Names(Kind kind) const {
    std::vector<std::string> names;
    if (kind == Kind::Scene) {
        for (const SceneInfo& scene : scenes) {
            names.push_back(scene.name);
        }
        return names;
    }
    const std::vector<Resource>& list = kind == Kind::Layer ? layers : kind == Kind::Particles ? particleSystems
                                                                                               : pixelBuffers;
    for (const Resource& resource : list) {
        names.push_back(resource.name);
    }
    return names;
}

int ShowChecker::Find(Kind kind, const std::string& name) const {
    const std::vector<std::string> names = Names(kind);
    for (size_t i = 0; i < names.size(); ++i) {
        if (EqualsIgnoringCase(names[i].c_str(), name.c_str())) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void ShowChecker::AddEngineResources() {
    for (const char* name : kBlurPixelBuffers) {
        pixelBuffers.push_back({name, "blur pass", 0});
    }
    for (const char* name : kBlurLayers) {
        layers.push_back({name, "blur pass", 0});
    }
}

// ---------------------------------------------------------------------------
// The script

void ShowChecker::CheckScript() {
    if (scriptFile.empty()) {
        return;
    }
    if (!IsRegularFile(Platform::ResolvePath(scriptFile.c_str()))) {
        return;  // reported with the line's arguments
    }
    const std::string file = OnDisk(scriptFile);
    std::vector<Event> events;
    ReadLines(
        scriptFile, Script::kLineLimit,
        [&](int line, const char* text) { CheckEventLine(file, line, text, events); },
        [&](int line, const std::string& message) { Add(true, file, line, message); });
    CheckTimes(file, events);
}

void ShowChecker::CheckEventLine(const std::string& file, int line, const char* text, std::vector<Event>& events) {
    const std::vector<std::string> words = SplitScriptLine(text);
    if (words.empty()) {
        return;
    }
    if (eventCount + markerCount == Script::kCapacity) {
        Add(true, file, line, "more than " + std::to_string(Script::kCapacity) +
                                  " events: the engine ignores this line and the ones after it");
    }
    ScriptEvent event = ScriptEvent::Empty();
    const Script::LineKind kind = Script::ParseLine(text, event);
    if (words.size() == 1 && IsNumber(words[0].c_str())) {
        ++markerCount;  // a sync marker recorded with the key l
        return;
    }
    ++eventCount;
    if (ContainsTab(text)) {
        Add(true, file, line, "a tab stands between words: the engine separates words by spaces only and reads "
                              "the tab as part of a word");
        return;
    }
    if (kind == Script::LineKind::NoTime) {
        Add(true, file, line, "time " + Quoted(words[0]) + " is not a number: the engine skips this line "
                                                           "(write seconds like 12.5)");
        return;
    }
    if (!IsNumber(words[0].c_str())) {
        Add(true, file, line, "time " + Quoted(words[0]) + " is not a number: the engine reads " +
                                  Format("%g", event.time) + " (write seconds like 12.5)");
        return;
    }
    int targetCount = 0;
    const ScriptWord* targets = ScriptKeywords::Targets(targetCount);
    if (event.target == TARGET_NONE) {
        Add(true, file, line, "unknown target " + Quoted(words.size() > 1 ? words[1] : "") +
                                  DidYouMean(words.size() > 1 ? words[1] : "", WordsOf(targets, targetCount)) +
                                  ": write DEMO, SCENE, LAYER or PARTICLE; the event does nothing");
        return;
    }
    if (words.size() < 4) {
        const bool effectAsName = words.size() == 3 && ScriptKeywords::EffectCode(words[2].c_str()) != FX_NONE;
        misplacedStop = misplacedStop || (effectAsName && ScriptKeywords::EffectCode(words[2].c_str()) == FX_STOP);
        Add(true, file, line, effectAsName ? Quoted(words[2]) + " stands where the name goes: write " + words[0] +
                                                 " " + words[1] + " x " + words[2] +
                                                 " (every event needs a name word before its effect)"
                                           : "no effect word: the event does nothing");
        return;
    }
    int effectCount = 0;
    const ScriptWord* effects = ScriptKeywords::Effects(effectCount);
    if (event.effect == FX_NONE) {
        Add(true, file, line, "unknown effect " + Quoted(words[3]) + DidYouMean(words[3], WordsOf(effects, effectCount)) +
                                  ": the event does nothing");
        return;
    }
    const ScriptAction* action = ScriptKeywords::FindAction(event.target, event.effect);
    if (action == nullptr) {
        Add(false, file, line, words[1] + " " + words[3] + " does nothing in this engine");
        return;
    }
    events.push_back({line, event.time, event.target, event.effect});
    // Words after the numbers the effect uses change nothing it does.
    for (size_t i = 4; i < words.size() && i - 4 < static_cast<size_t>(action->paramCount); ++i) {
        if (!IsNumber(words[i].c_str())) {
            Add(true, file, line, Quoted(words[i]) + " is not a number: the engine reads " +
                                      Format("%g", event.params[i - 4]));
            return;
        }
    }
    const int numberCount = static_cast<int>(words.size()) - 4;
    if (event.target != TARGET_DEMO) {
        const Kind kind = event.target == TARGET_SCENE ? Kind::Scene
                          : event.target == TARGET_LAYER ? Kind::Layer
                                                         : Kind::Particles;
        if (Find(kind, event.name) < 0) {
            static const char* const kWhat[] = {"scene", "layer", "particle system"};
            Add(true, file, line, std::string("no ") + kWhat[static_cast<int>(kind)] + " named " + Quoted(event.name) +
                                      " is loaded" + DidYouMean(event.name, Names(kind)) + ": the event does nothing");
            return;
        }
    }
    CheckEventParams(file, line, *action, event, numberCount);
}

void ShowChecker::CheckEventParams(const std::string& file, int line, const ScriptAction& action,
                                   const ScriptEvent& event, int numberCount) {
    const std::string effect = ScriptKeywords::EffectWord(event.effect);
    if (numberCount < action.paramCount) {
        Add(false, file, line, effect + " takes " + std::to_string(action.paramCount) + " numbers (" + action.usage +
                                   "): the missing ones read as 0");
    }
    const SceneInfo* scene = nullptr;
    if (event.target == TARGET_SCENE) {
        scene = &scenes[Find(Kind::Scene, event.name)];
    }
    for (int i = 0; i < action.paramCount; ++i) {
        const float value = event.params[i];
        const double index = std::trunc(value);
        switch (action.params[i]) {
            case ScriptParam::Flag:
                if (value != 0.0f && value != 1.0f) {
                    Add(false, file, line, Format("%g", value) + " switches " + effect + " off: only exactly 1 is on");
                }
                break;
            case ScriptParam::ObjectIndex:
                if (scene != nullptr && scene->read && (index < 0 || index >= scene->objectNames.size())) {
                    Add(true, file, line, "object " + Format("%g", index) + " does not exist: scene " +
                                              Quoted(scene->name) + " has objects " +
                                              IndexRange(scene->objectNames.size()) + "; the event does nothing");
                }
                break;
            case ScriptParam::CameraIndex:
                if (scene != nullptr && scene->read && (index < 0 || index >= scene->cameraCount)) {
                    Add(index != scene->cameraCount, file, line,
                        "camera " + Format("%g", index) + " does not exist: scene " + Quoted(scene->name) +
                            " has cameras " + IndexRange(scene->cameraCount) + "; the engine shows camera 0");
                }
                break;
            case ScriptParam::Number:
                break;
        }
    }
    if (scene != nullptr && scene->read && scene->cameraCount == 0 &&
        (event.effect == FX_ROLL_CAM || event.effect == FX_CHANGE_CAM) && action.paramCount <= numberCount) {
        Add(false, file, line, "scene " + Quoted(scene->name) + " has no camera: " + effect + " does nothing");
    }
    if (scene != nullptr && event.effect == FX_PB_ACTIVE && event.params[0] == 1.0f && !scene->hasPixelBuffer) {
        Add(false, file, line, "scene " + Quoted(scene->name) + " has no pixel buffer (SET ESCENA " + scene->name +
                                   " PBUFFER name): FX_PB_ACTIVE has nowhere to draw");
    }
}

void ShowChecker::CheckTimes(const std::string& file, const std::vector<Event>& events) {
    bool anyStop = false;
    int stopLine = 0;
    for (const Event& event : events) {
        if (event.target == TARGET_DEMO && event.effect == FX_STOP && (!anyStop || event.time < stopTime)) {
            anyStop = true;
            stopTime = event.time;
            stopLine = event.line;
        }
    }
    if (!events.empty()) {
        firstTime = lastTime = events.front().time;
        for (const Event& event : events) {
            firstTime = std::min(firstTime, event.time);
            lastTime = std::max(lastTime, event.time);
        }
    }
    // A stop event without its name word has its own finding.
    if (!anyStop && !misplacedStop) {
        Add(true, file, 0, "no DEMO FX_STOP event: the show never ends by itself (write, say, 60.0 DEMO x FX_STOP)");
    }
    // Events that are never due: the first one says it for the others.
    const bool noMusic = soundFile.empty();
    const bool clockStops = noMusic || musicLength >= 0.0f;
    const float limit = noMusic ? 0.0f : musicLength;
    std::vector<const Event*> late;
    std::vector<const Event*> afterStop;
    for (const Event& event : events) {
        if (clockStops && (noMusic ? event.time > 0.0f : event.time >= limit)) {
            late.push_back(&event);
        } else if (anyStop && event.time > stopTime) {
            afterStop.push_back(&event);
        }
    }
    stopDue = anyStop && !(clockStops && (noMusic ? stopTime > 0.0f : stopTime >= limit));
    if (!late.empty()) {
        const std::string others =
            late.size() > 1 ? " (with " + Plural(late.size() - 1, "later event", "later events") + ")" : "";
        Add(true, file, late.front()->line,
            noMusic ? "never due" + others + ": without a LOAD SOUND line the music time stays at 0"
                    : "never due" + others + ": the music lasts " + Seconds(musicLength) +
                          " and loops, so its time never reaches " + Seconds(late.front()->time));
    }
    if (!afterStop.empty()) {
        Add(false, file, afterStop.front()->line,
            "never applied: the show ends at the FX_STOP of line " + std::to_string(stopLine) + " (" +
                Seconds(stopTime) + ")" +
                (afterStop.size() > 1 ? " (with " + Plural(afterStop.size() - 1, "later event", "later events") + ")"
                                      : ""));
    }
}

// ---------------------------------------------------------------------------
// Output

std::string ShowChecker::Report() const {
    std::string text;
    for (const bool errors : {true, false}) {
        for (const ShowFinding& finding : findings) {
            if (finding.error != errors) {
                continue;
            }
            text += finding.file + ":";
            if (finding.line > 0) {
                text += std::to_string(finding.line) + ":";
            }
            text += errors ? " error: " : " warning: ";
            text += finding.message + "\n";
        }
    }
    return text;
}

std::string ShowChecker::Summary() const {
    std::ostringstream out;
    if (!preconfigRead) {
        return std::string();
    }
    if (displaySeen) {
        out << "display      " << width << " x " << height << ", " << bits << " bits, "
            << (fullscreen ? "full screen" : "windowed") << "\n";
    }
    for (const SceneInfo& scene : scenes) {
        out << "scene        " << scene.name << " (" << scene.file << ")";
        if (!scene.read) {
            out << ": not read by the checker\n";
            continue;
        }
        out << ": " << Plural(scene.objectNames.size(), "object", "objects");
        for (size_t i = 0; i < scene.objectNames.size(); ++i) {
            // Binary scenes keep no object names.
            out << (i == 0 ? " [" : ", ") << i;
            if (!scene.objectNames[i].empty()) {
                out << " " << scene.objectNames[i];
            }
        }
        out << (scene.objectNames.empty() ? "" : "]") << ", " << Plural(scene.cameraCount, "camera", "cameras") << " ["
            << IndexRange(scene.cameraCount) << "], " << Plural(scene.lightCount, "light", "lights") << " ["
            << IndexRange(scene.lightCount) << "]\n";
    }
    for (const Resource& layer : layers) {
        if (layer.line > 0) {
            out << "layer        " << layer.name << " (" << layer.detail << ")\n";
        }
    }
    for (const Resource& system : particleSystems) {
        out << "particles    " << system.name << " (" << system.detail << ")\n";
    }
    for (const Resource& buffer : pixelBuffers) {
        if (buffer.line > 0) {
            out << "pixel buffer " << buffer.name << " (" << buffer.detail << ")\n";
        }
    }
    if (!soundFile.empty()) {
        out << "music        " << soundFile;
        if (musicLength >= 0.0f) {
            out << ", " << Seconds(musicLength) << " (loops)";
        } else {
            out << ": not loaded, the show plays without sound on a silent clock";
        }
        if (!musicDetail.empty()) {
            out << "; " << musicDetail;
        }
        out << "\n";
    } else {
        out << "music        none: the music time stays at 0\n";
    }
    if (!scriptFile.empty()) {
        out << "script       " << scriptFile << ": " << Plural(static_cast<size_t>(eventCount), "event", "events");
        if (eventCount > 0) {
            out << " from " << Seconds(firstTime) << " to " << Seconds(lastTime);
        }
        if (markerCount > 0) {
            out << ", " << Plural(static_cast<size_t>(markerCount), "marker", "markers");
        }
        if (stopTime >= 0.0f) {
            out << (stopDue ? "; ends at " : "; never ends: its FX_STOP at ") << Seconds(stopTime)
                << (stopDue ? "" : " is never due");
        }
        out << "\n";
    }
    return out.str();
}
