#include "tests/support/TestModule.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "sound/ProTrackerModule.h"

namespace TestSupport {

std::string TestModuleBytes(int orders, int speed, const std::string& title) {
    ProTrackerModule module(title);
    ProTrackerModule::Sample square;
    square.name = "square";
    for (int i = 0; i < 256; ++i) {
        square.data.push_back(static_cast<int8_t>(i % 32 < 16 ? 48 : -48));
    }
    square.loopStart = 0;
    square.loopLength = square.data.size();
    const int sample = module.AddSample(square);
    for (int order = 0; order < orders; ++order) {
        const int pattern = module.AddPattern();
        module.At(pattern, 0, 0) = {12 + order % 12, sample, 0xC, 40};
        for (int row = 0; row < ProTrackerModule::kRows; row += 4) {
            module.At(pattern, row, 1) = {24 + (row / 4) % 12, sample, 0xC, 32};
        }
        if (order == 0) {
            module.At(pattern, 0, 3) = {-1, 0, 0xF, speed};
        }
        module.AddOrder(pattern);
    }
    return module.Bytes();
}

bool WriteTestModule(const std::string& path, int orders, int speed, const std::string& title) {
    const std::string bytes = TestModuleBytes(orders, speed, title);
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

double TestModuleSeconds(int orders, int speed) { return orders * ProTrackerModule::kRows * speed * 2.5 / 125.0; }

}  // namespace TestSupport
