#include "sync/RocketWriter.h"

namespace {

constexpr char kGetTrack = 2;
constexpr char kSetRow = 3;

void AppendBigEndian(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

}  // namespace

std::string RocketWriter::Greeting() { return kGreeting; }

std::string RocketWriter::GetTrack(const std::string& name) {
    std::string out(1, kGetTrack);
    AppendBigEndian(out, static_cast<uint32_t>(name.size()));
    return out + name;
}

std::string RocketWriter::SetRow(uint32_t row) {
    std::string out(1, kSetRow);
    AppendBigEndian(out, row);
    return out;
}
