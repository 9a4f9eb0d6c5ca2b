// What a Rocket client sends the editor: its greeting, a GET_TRACK for each
// track it wants (the editor then sends the track's keys and names it by the
// order of these requests), and the row it plays at. Numbers in network byte
// order.
#ifndef HALVENOR_SYNC_ROCKETWRITER_H
#define HALVENOR_SYNC_ROCKETWRITER_H

#include <cstdint>
#include <string>

class RocketWriter {
public:
    static constexpr const char* kGreeting = "hello, synctracker!";

    static std::string Greeting();
    // 2, the name's length (u32), the name.
    static std::string GetTrack(const std::string& name);
    // 3, the row (u32).
    static std::string SetRow(uint32_t row);
};

#endif
