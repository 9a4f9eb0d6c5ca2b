// The show's timeline: events read from a text file, sorted by time and handed
// out one by one, plus the sync markers the author records while the show
// runs, which are appended to the same file at exit.
#ifndef HALVENOR_CONFIG_SCRIPT_H
#define HALVENOR_CONFIG_SCRIPT_H

#include <cstdint>

#include "config/ScriptEvent.h"

class Script {
public:
    static constexpr int32_t kCapacity = 500;
    // Read limit per line, line break included; a longer line reads as several.
    static constexpr int kLineLimit = 254;

    Script();
    ~Script();
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    // A file that cannot be opened leaves an empty script that still takes
    // markers. Lines beyond the capacity, and lines whose first word is not a
    // time, are refused with a log line.
    void Load(const char* fileName);
    // Ascending by time; equal times keep their file order.
    void Sort();
    // Copies the event at the cursor and moves on; false, with the record
    // untouched, when no event is left.
    bool NextEvent(ScriptEvent& event);
    // A marker that no longer fits is refused with a log line.
    void AddMarker(float time);
    // Takes over, in their recording order, the markers that from recorded:
    // from is the same show's script before it was read again, and its
    // markers are still to be appended at exit.
    void CarryMarkers(const Script& from);
    // Fills event from one line as read (line break included), leaving the
    // fields the line does not give. A line that holds no word is Blank; one
    // whose first word is not a number is NoTime: with no time it would be
    // due at once, so one typo could end the show on its first frame.
    enum class LineKind { Event, Blank, NoTime };
    static LineKind ParseLine(const char* line, ScriptEvent& event);
    // Appends the recorded marker times, one "%f\n" line each, in recording
    // order.
    void SaveMarkers(const char* fileName) const;

    int32_t Count() const { return count; }
    int32_t MarkerCount() const { return markerCount; }
    // The caller keeps index below Count().
    const ScriptEvent& EventAt(int32_t index) const { return events[index]; }

    ScriptEvent* events;
    int32_t capacity;
    int32_t count;
    int32_t markerCount;
    int32_t cursor;

private:
    bool Append(const ScriptEvent& event);

    bool overflowReported;
    // Markers refused because the script was full; said in the log at each
    // refusal and again when the markers are saved.
    int32_t droppedMarkers;
};

#endif
