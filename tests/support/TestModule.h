// Tracker modules made by the tests: a ProTracker MOD whose length is known
// from its rows and speed (at tempo 125 a row lasts speed × 0.02 s).
#ifndef HALVENOR_TESTS_SUPPORT_TESTMODULE_H
#define HALVENOR_TESTS_SUPPORT_TESTMODULE_H

#include <string>

namespace TestSupport {

// orders patterns (each its own, 64 rows) at the given speed: a looped square
// wave held on one channel all the while and a note every four rows on
// another, so that no stretch of it is silent.
std::string TestModuleBytes(int orders, int speed, const std::string& title = "halvenor test");
bool WriteTestModule(const std::string& path, int orders, int speed, const std::string& title = "halvenor test");
// Seconds the module above lasts.
double TestModuleSeconds(int orders, int speed);

}  // namespace TestSupport

#endif
