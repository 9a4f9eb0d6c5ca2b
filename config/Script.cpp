#include "config/Script.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "config/ScriptKeywords.h"
#include "core/Log.h"
#include "platform/FileSystem.h"

namespace {

// Leaves field alone when the word is not listed.
void MatchTarget(const char* word, int32_t& field) {
    const int32_t code = ScriptKeywords::TargetCode(word);
    if (code != TARGET_NONE) {
        field = code;
    }
}

void MatchEffect(const char* word, int32_t& field) {
    const int32_t code = ScriptKeywords::EffectCode(word);
    if (code != FX_NONE) {
        field = code;
    }
}

bool ReadNumber(const char* word, float& field) { return std::sscanf(word, "%f", &field) == 1; }

}  // namespace

Script::LineKind Script::ParseLine(const char* line, ScriptEvent& event) {
    char work[ScriptEvent::kNameSize];
    std::snprintf(work, sizeof work, "%s", line);
    const size_t length = std::strlen(work);
    if (length == 0) {
        return LineKind::Blank;
    }
    // The line break becomes a separator like any space.
    work[length - 1] = ' ';
    char* rest = nullptr;
    int index = 0;
    for (char* word = strtok_r(work, " ", &rest); word != nullptr; word = strtok_r(nullptr, " ", &rest), ++index) {
        if (index == 0) {
            if (!ReadNumber(word, event.time)) {
                return LineKind::NoTime;
            }
        } else if (index == 1) {
            MatchTarget(word, event.target);
        } else if (index == 2) {
            std::snprintf(event.name, sizeof event.name, "%s", word);
        } else if (index == 3) {
            MatchEffect(word, event.effect);
        } else if (index - 4 < ScriptEvent::kParamCount) {
            ReadNumber(word, event.params[index - 4]);
        }
    }
    return index > 0 ? LineKind::Event : LineKind::Blank;
}

namespace {

// The line as written, without its line break, for the log.
std::string Unbroken(const char* line) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

// A time that is not a number sorts after every other, so the comparison
// stays a strict order.
bool EarlierThan(const ScriptEvent& first, const ScriptEvent& second) {
    if (std::isnan(first.time)) {
        return false;
    }
    return std::isnan(second.time) || first.time < second.time;
}

// True when the file exists, is not empty and its last byte is not a line
// break: appended text would then run on from its last line.
bool EndsWithoutLineBreak(const char* fileName) {
    FILE* file = Platform::OpenFile(fileName, "rb");
    if (file == nullptr) {
        return false;
    }
    bool open = false;
    if (std::fseek(file, -1, SEEK_END) == 0) {
        const int last = std::fgetc(file);
        open = last != EOF && last != '\n';
    }
    std::fclose(file);
    return open;
}

}  // namespace

Script::Script()
    : events(nullptr),
      capacity(0),
      count(0),
      markerCount(0),
      cursor(0),
      overflowReported(false),
      droppedMarkers(0) {}

Script::~Script() { delete[] events; }

void Script::Load(const char* fileName) {
    delete[] events;
    events = new ScriptEvent[kCapacity]();
    capacity = kCapacity;
    count = 0;
    markerCount = 0;
    cursor = 0;
    FILE* file = Platform::OpenFile(fileName, "r");
    if (file == nullptr) {
        return;
    }
    char line[kLineLimit + 1];
    int lineNumber = 0;
    // A last line without a line break is not an event.
    while (Platform::ReadTextLine(line, sizeof line, file) != nullptr && !std::feof(file)) {
        ++lineNumber;
        ScriptEvent event = ScriptEvent::Empty();
        const LineKind kind = ParseLine(line, event);
        if (kind == LineKind::Event) {
            event.line = lineNumber;
            Append(event);
        } else if (kind == LineKind::NoTime) {
            Log::Format("-> Script: la linea %d no empieza por un tiempo, se ignora: \"%s\"\n", lineNumber,
                        Unbroken(line).c_str());
        }
    }
    std::fclose(file);
}

bool Script::Append(const ScriptEvent& event) {
    if (count >= capacity) {
        if (!overflowReported) {
            Log::Write("-> Script: demasiados eventos, se ignoran los siguientes.\n");
            overflowReported = true;
        }
        return false;
    }
    events[count++] = event;
    return true;
}

void Script::Sort() {
    if (count > 1) {
        std::stable_sort(events, events + count, EarlierThan);
    }
}

bool Script::NextEvent(ScriptEvent& event) {
    if (cursor >= count) {
        return false;
    }
    event = events[cursor++];
    return true;
}

void Script::AddMarker(float time) {
    ScriptEvent marker = ScriptEvent::Empty();
    marker.time = time;
    if (count < capacity) {
        Append(marker);
        ++markerCount;
        return;
    }
    // The author must know at once that this sync mark is not kept.
    ++droppedMarkers;
    Log::Format("-> Script: guion lleno (%d eventos), la marca en %f se pierde.\n", static_cast<int>(capacity),
                static_cast<double>(time));
}

void Script::CarryMarkers(const Script& from) {
    droppedMarkers += from.droppedMarkers;
    for (int32_t i = from.count - from.markerCount; i < from.count; ++i) {
        AddMarker(from.events[i].time);
    }
}

void Script::SaveMarkers(const char* fileName) const {
    if (droppedMarkers > 0) {
        Log::Format("-> Script: %d marcas perdidas por falta de sitio en el guion (%d eventos).\n",
                    static_cast<int>(droppedMarkers), static_cast<int>(capacity));
    }
    const bool needsLineBreak = markerCount > 0 && EndsWithoutLineBreak(fileName);
    FILE* file = Platform::OpenFile(fileName, "a");
    if (file == nullptr) {
        std::fprintf(stderr, "-> Script: no se pudo abrir \"%s\" para guardar %d marcas.\n",
                     fileName != nullptr ? fileName : "",
                     static_cast<int>(markerCount));
        return;
    }
    if (needsLineBreak) {
        std::fputc('\n', file);
    }
    for (int32_t i = count - markerCount; i < count; ++i) {
        std::fprintf(file, "%f\n", static_cast<double>(events[i].time));
    }
    std::fclose(file);
}
