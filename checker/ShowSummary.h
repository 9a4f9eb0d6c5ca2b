// What the show loads, one line per thing, as halvenor-check prints it: the
// window, scenes with their object, camera and light indices, layers,
// particle systems, pixel buffers, music and the script's events.
#ifndef HALVENOR_CHECKER_SHOWSUMMARY_H
#define HALVENOR_CHECKER_SHOWSUMMARY_H

#include <sstream>
#include <string>

#include "checker/CheckedShow.h"

class ShowSummary {
public:
    // Empty when preconfig.txt could not be read.
    static std::string Of(const CheckedShow& show);

private:
    static void WriteScene(std::ostringstream& out, const ShowResources::SceneInfo& scene);
    static void WriteResources(std::ostringstream& out, const ShowResources& resources);
    static void WriteMusic(std::ostringstream& out, const CheckedShow::Music& music);
    static void WriteScript(std::ostringstream& out, const CheckedShow::Script& script);
};

#endif
