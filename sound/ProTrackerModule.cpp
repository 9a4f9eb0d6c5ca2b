#include "sound/ProTrackerModule.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr size_t kMaxSampleBytes = 0xFFFF * 2;
constexpr int kPeriods[ProTrackerModule::kNotes] = {
    856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
    428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
    214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113,
};

void PutText(std::string& out, const std::string& text, size_t width) {
    std::string field = text.substr(0, width);
    field.resize(width, '\0');
    out += field;
}

void PutWord(std::string& out, size_t value) {
    out += static_cast<char>((value >> 8) & 0xFF);
    out += static_cast<char>(value & 0xFF);
}

// Lengths and loop points count 16-bit words; an odd byte is dropped.
void PutSampleHeader(std::string& out, const ProTrackerModule::Sample* sample) {
    if (sample == nullptr) {
        PutText(out, "", 22);
        PutWord(out, 0);
        out += '\0';
        out += '\0';
        PutWord(out, 0);
        PutWord(out, 1);
        return;
    }
    PutText(out, sample->name, 22);
    PutWord(out, sample->data.size() / 2);
    out += '\0';  // finetune
    out += static_cast<char>(sample->volume < 0 ? 0 : (sample->volume > 64 ? 64 : sample->volume));
    const bool loops = sample->loopLength >= 2 && sample->loopStart + sample->loopLength <= sample->data.size();
    PutWord(out, loops ? sample->loopStart / 2 : 0);
    PutWord(out, loops ? sample->loopLength / 2 : 1);
}

void PutCell(std::string& out, const ProTrackerModule::Cell& cell) {
    const int period = cell.note >= 0 ? ProTrackerModule::Period(cell.note) : 0;
    out += static_cast<char>((cell.sample & 0xF0) | ((period >> 8) & 0x0F));
    out += static_cast<char>(period & 0xFF);
    out += static_cast<char>(((cell.sample & 0x0F) << 4) | (cell.effect & 0x0F));
    out += static_cast<char>(cell.param & 0xFF);
}

}  // namespace

ProTrackerModule::ProTrackerModule(const std::string& title_) : title(title_) {}

int ProTrackerModule::AddSample(const Sample& sample) {
    if (samples.size() >= kMaxSamples || sample.data.size() > kMaxSampleBytes) {
        return 0;
    }
    samples.push_back(sample);
    return static_cast<int>(samples.size());
}

int ProTrackerModule::AddPattern() {
    patterns.emplace_back(kRows * kChannels);
    return static_cast<int>(patterns.size()) - 1;
}

ProTrackerModule::Cell& ProTrackerModule::At(int pattern, int row, int channel) {
    return patterns.at(static_cast<size_t>(pattern)).at(static_cast<size_t>(row * kChannels + channel));
}

bool ProTrackerModule::AddOrder(int pattern) {
    if (orders.size() >= kMaxOrders || pattern < 0 || pattern >= static_cast<int>(patterns.size())) {
        return false;
    }
    orders.push_back(static_cast<uint8_t>(pattern));
    return true;
}

std::string ProTrackerModule::Bytes() const {
    std::string out;
    PutText(out, title, 20);
    for (int i = 0; i < kMaxSamples; ++i) {
        PutSampleHeader(out, i < static_cast<int>(samples.size()) ? &samples[static_cast<size_t>(i)] : nullptr);
    }
    out += static_cast<char>(orders.size());
    out += static_cast<char>(127);  // no restart position: the song plays from the start again
    for (int i = 0; i < kMaxOrders; ++i) {
        out += static_cast<char>(i < static_cast<int>(orders.size()) ? orders[static_cast<size_t>(i)] : 0);
    }
    out += "M.K.";
    // Readers count the patterns by the highest one in the order list.
    size_t patternCount = 0;
    for (const uint8_t pattern : orders) {
        patternCount = std::max(patternCount, static_cast<size_t>(pattern) + 1);
    }
    for (size_t i = 0; i < patternCount; ++i) {
        for (const Cell& cell : patterns[i]) {
            PutCell(out, cell);
        }
    }
    for (const Sample& sample : samples) {
        out.append(reinterpret_cast<const char*>(sample.data.data()), sample.data.size() & ~size_t{1});
    }
    return out;
}

bool ProTrackerModule::Write(const std::string& path) const {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const std::string bytes = Bytes();
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

int ProTrackerModule::Period(int note) { return note >= 0 && note < kNotes ? kPeriods[note] : 0; }
