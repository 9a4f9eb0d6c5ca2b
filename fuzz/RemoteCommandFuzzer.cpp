// The remote-control protocol as a client may send it: every line of the
// input read as a command and carried out on a player that checks what it is
// asked, each answer checked to be one line of text that says ok or error.
#include <cmath>
#include <cstdlib>
#include <string>

#include "author/AuthorControl.h"
#include "author/RemoteCommand.h"
#include "author/RemoteControl.h"
#include "fuzz/support/FuzzHarness.h"

namespace {

// A player that ends the run as a finding when a command reaches it with a
// value the reader should have refused.
class CheckingPlayer : public AuthorControl {
public:
    bool Seek(double seconds, std::string* error) override {
        Expect(IsTime(seconds));
        status.time = seconds;
        *error = "refused\nwith a line break";
        return refuse = !refuse;
    }
    void SetPaused(bool paused) override { status.paused = paused; }
    bool Step(int frames, std::string* /*error*/) override {
        Expect(frames != 0 && std::abs(frames) <= RemoteCommand::kMostFrames);
        return true;
    }
    bool SetLoop(double start, double end, std::string* /*error*/) override {
        Expect(IsTime(start) && IsTime(end) && start < end);
        status.loopSet = true;
        status.loopStart = start;
        status.loopEnd = end;
        return true;
    }
    void ClearLoop() override { status.loopSet = false; }
    bool SetSpeed(double speed, std::string* /*error*/) override {
        Expect(std::isfinite(speed) && speed > 0.0 && speed <= RemoteCommand::kFastestSpeed);
        status.speed = speed;
        return true;
    }
    bool Reload(std::string* error) override {
        *error = std::string("bad \x01 byte\r", 12);
        return false;
    }
    AuthorStatus Status() const override { return status; }
    void Quit() override {}

    AuthorStatus status;

private:
    static bool IsTime(double t) { return std::isfinite(t) && t >= 0.0 && t <= RemoteCommand::kLongestTime; }
    static void Expect(bool holds) {
        if (!holds) {
            std::abort();
        }
    }
    bool refuse = false;
};

void CheckAnswer(const std::string& answer) {
    if (answer.rfind("ok", 0) != 0 && answer.rfind("error: ", 0) != 0) {
        std::abort();
    }
    for (const char c : answer) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte == 127) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    FuzzHarness::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzHarness run(data, size, "orden.txt");
    run.Run([&] {
        CheckingPlayer player;
        RemoteControl control(player);
        const std::string input(reinterpret_cast<const char*>(data), size);
        size_t start = 0;
        while (start <= input.size()) {
            size_t end = input.find('\n', start);
            if (end == std::string::npos) {
                end = input.size();
            }
            const std::string line = input.substr(start, end - start);
            // The directory shown by status: whatever bytes it holds, the
            // answer stays one line.
            player.status.show = line;
            CheckAnswer(control.Answer(line));
            double seconds = 0.0;
            if (RemoteCommand::ParseTime(line, seconds) && !(seconds >= 0.0 && seconds <= RemoteCommand::kLongestTime)) {
                std::abort();
            }
            start = end + 1;
        }
    });
    return 0;
}
