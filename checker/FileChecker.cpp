#include "checker/FileChecker.h"

#include <utility>

#include "checker/FindingText.h"
#include "checker/ShowFindings.h"
#include "checker/ShowPath.h"
#include "checker/Suggestion.h"
#include "platform/FileSystem.h"

bool FileChecker::Exists(ShowFindings& findings, const std::string& file, int line, const std::string& name,
                         const std::string& what) {
    const std::string resolved = Platform::ResolvePath(name.c_str());
    if (ShowPath::IsRegularFile(resolved)) {
        return true;
    }
    findings.Add(true, file, line,
                 what + " " + FindingText::Quoted(name) + " not found" +
                     Suggestion::DidYouMeanFile(ShowPath::BaseName(resolved), ShowPath::Neighbours(resolved)) +
                     Consequence(what));
    return false;
}

std::string FileChecker::Consequence(const std::string& what) {
    static const std::pair<const char*, const char*> kConsequences[] = {
        {"music", ": the engine shows a box and the show plays without sound, its time kept by a silent clock"},
        {"script", ": no event happens and the show never ends by itself"},
        {"scene file", ": halvenor exits 1"},
        {"image", ": it is drawn without its picture"},
        {"texture", ": it is drawn without its picture"},
        {"particle texture", ": its particles are drawn without a picture"},
        {"shader", ": the layer is not drawn"},
        {"channel image", ": the channel stays black"},
    };
    for (const auto& [kind, text] : kConsequences) {
        if (what == kind) {
            return text;
        }
    }
    return std::string();
}
