// What the checker has learnt of a show so far. Each piece of the checker
// reads one kind of the show's files and adds to it: its findings, the files
// it loads, what its lines create, its music and its script; the summary is
// written from it.
#ifndef HALVENOR_CHECKER_CHECKEDSHOW_H
#define HALVENOR_CHECKER_CHECKEDSHOW_H

#include <string>

#include "checker/ShowFiles.h"
#include "checker/ShowFindings.h"
#include "checker/ShowResources.h"

struct CheckedShow {
    struct Music {
        // As the SOUND line names it; empty without one.
        std::string file;
        // Seconds; negative when there is no music or it could not be decoded.
        float length = -1.0f;
        // What a module music file is (format, title, channels, orders), or empty.
        std::string detail;
    };
    struct Script {
        // As the SCRIPT line names it; empty without one.
        std::string file;
        int line = 0;
        int eventCount = 0;
        int markerCount = 0;
        float firstTime = 0.0f;
        float lastTime = 0.0f;
        // Time of the earliest DEMO FX_STOP; negative when there is none.
        float stopTime = -1.0f;
        // The music time reaches stopTime.
        bool stopDue = false;
        // A DEMO FX_STOP line wrote its effect where the name goes.
        bool misplacedStop = false;
    };

    ShowFindings findings;
    ShowFiles files;
    ShowResources resources;
    Music music;
    Script script;
    bool preconfigRead = false;
};

#endif
