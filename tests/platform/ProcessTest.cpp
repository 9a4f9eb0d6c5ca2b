// Process endings taken over for a while: what a reader ends comes back as an
// answer, what it holds is unwound, and the ending in place before returns.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/Process.h"

namespace {

[[noreturn]] void AbortOnEnding(unsigned /*status*/) { std::abort(); }

struct Held {
    explicit Held(int& count) : count(count) { ++count; }
    ~Held() { --count; }
    int& count;
};

TEST(Process, AnEndingInsideRunCatchingEndingsComesBackAsAnAnswer) {
    Platform::SetExitHandler(AbortOnEnding);
    int held = 0;
    unsigned status = 99;
    const bool finished = Platform::RunCatchingEndings(
        [&] {
            Held first(held);
            std::string text(1000, 'x');
            ExitProcess(1);
        },
        &status);
    EXPECT_FALSE(finished);
    EXPECT_EQ(status, 1u);
    EXPECT_EQ(held, 0) << "what the body held was given back";
    EXPECT_EQ(Platform::CurrentExitHandler(), &AbortOnEnding);

    // Nested: the inner ending is the inner caller's; the outer one goes on.
    bool innerEnded = false;
    EXPECT_TRUE(Platform::RunCatchingEndings(
        [&] { innerEnded = !Platform::RunCatchingEndings([] { ExitProcess(0); }, nullptr); }, nullptr));
    EXPECT_TRUE(innerEnded);
    EXPECT_EQ(Platform::CurrentExitHandler(), &AbortOnEnding);

    // Anything else thrown passes through, with the ending put back too.
    EXPECT_THROW(Platform::RunCatchingEndings([] { throw std::string("other"); }, nullptr), std::string);
    EXPECT_EQ(Platform::CurrentExitHandler(), &AbortOnEnding);
    Platform::SetExitHandler(nullptr);
}

}  // namespace
