#include "checker/ShowChecker.h"

#include "checker/PreconfigChecker.h"
#include "checker/ScriptChecker.h"
#include "checker/ShowSummary.h"

void ShowChecker::Check() {
    PreconfigChecker(show).Check();
    // The blur pass's layers and pixel buffers exist by the time the script runs.
    show.resources.AddEngineResources();
    ScriptChecker(show).Check();
}

std::string ShowChecker::Summary() const { return ShowSummary::Of(show); }
