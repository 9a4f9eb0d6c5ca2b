#include "checker/ArgumentChecker.h"

#include <cstdlib>
#include <vector>

#include "checker/CheckedShow.h"
#include "checker/FileChecker.h"
#include "checker/FindingText.h"
#include "checker/ShowLines.h"
#include "checker/Suggestion.h"
#include "checker/TextureChecker.h"
#include "config/PreconfigLine.h"

bool ArgumentChecker::Check(const std::string& file, int line, PreconfigArg role, const char* word,
                            const char* what) {
    switch (role) {
        case PreconfigArg::Number:
        case PreconfigArg::WholeNumber:
            return CheckNumber(file, line, role, word);
        case PreconfigArg::YesNo:
            if (!EqualsIgnoringCase(word, "YES") && !EqualsIgnoringCase(word, "NO")) {
                show.findings.Add(false, file, line,
                                  FindingText::Quoted(word) + " reads as NO: only YES (any letter case) means yes");
            }
            return true;
        case PreconfigArg::LayerType:
            return CheckLayerType(file, line, word);
        case PreconfigArg::File:
            return FileChecker::Exists(show.findings, file, line, word, what);
        case PreconfigArg::Image:
            TextureChecker(show.findings).Check(file, line, word, what);
            return true;
        case PreconfigArg::NewScene:
        case PreconfigArg::NewLayer:
        case PreconfigArg::NewParticles:
        case PreconfigArg::NewPixelBuffer:
            return true;  // registered by the kind's own step
        case PreconfigArg::TrackBase:
        case PreconfigArg::TrackProperty:
            return true;  // read and bound by SyncTrackChecker
        case PreconfigArg::Scene:
        case PreconfigArg::Layer:
        case PreconfigArg::Particles:
        case PreconfigArg::PixelBuffer:
            return CheckName(file, line, role, word);
    }
    return true;
}

bool ArgumentChecker::CheckNumber(const std::string& file, int line, PreconfigArg role, const char* word) {
    if (ShowLines::IsNumber(word)) {
        return true;
    }
    const double read = role == PreconfigArg::Number ? std::atof(word) : std::atoi(word);
    show.findings.Add(true, file, line,
                      FindingText::Quoted(word) + " is not a number: the engine reads " + FindingText::Format("%g", read));
    return false;
}

bool ArgumentChecker::CheckLayerType(const std::string& file, int line, const char* word) {
    if (PreconfigKeywords::LayerTypeCode(word) != 0) {
        return true;
    }
    int count = 0;
    const char* const* types = PreconfigKeywords::LayerTypeWords(count);
    show.findings.Add(true, file, line,
                      "unknown layer type " + FindingText::Quoted(word) +
                          Suggestion::DidYouMean(word, std::vector<std::string>(types, types + count)) +
                          ": write BOARD, BACKGROUND, OVERLAY, PBUFFER or SHADER");
    return false;
}

bool ArgumentChecker::CheckName(const std::string& file, int line, PreconfigArg role, const char* word) {
    using Kind = ShowResources::Kind;
    const Kind kind = role == PreconfigArg::Scene       ? Kind::Scene
                      : role == PreconfigArg::Layer     ? Kind::Layer
                      : role == PreconfigArg::Particles ? Kind::Particles
                                                        : Kind::PixelBuffer;
    static const char* const kWhat[] = {"scene", "layer", "particle system", "pixel buffer"};
    if (show.resources.Find(kind, word) >= 0) {
        return true;
    }
    show.findings.Add(true, file, line,
                      std::string("no ") + kWhat[static_cast<int>(kind)] + " named " + FindingText::Quoted(word) +
                          " was loaded before this line" +
                          Suggestion::DidYouMean(word, show.resources.Names(kind)));
    return false;
}
