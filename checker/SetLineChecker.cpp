#include "checker/SetLineChecker.h"

#include "checker/ArgumentChecker.h"
#include "checker/CheckedShow.h"
#include "checker/FindingText.h"
#include "checker/ShaderLayerChecker.h"
#include "checker/ShowLines.h"
#include "checker/Suggestion.h"
#include "checker/SyncTrackChecker.h"
#include "config/PreconfigLine.h"

namespace {

using Kind = ShowResources::Kind;

// The resource a SET kind names, by its PreconfigResource.
const Kind kResourceKinds[] = {Kind::Scene, Kind::Scene, Kind::Layer, Kind::Particles, Kind::PixelBuffer};

PreconfigArg NameRole(Kind resource) {
    return resource == Kind::Scene   ? PreconfigArg::Scene
           : resource == Kind::Layer ? PreconfigArg::Layer
                                     : PreconfigArg::Particles;
}

}  // namespace

void SetLineChecker::Check(const std::string& file, int line, const PreconfigLine& words) {
    const std::string kindWord = ShowLines::WithoutLineFeed(words.Kind());
    const PreconfigSetKind* kind = PreconfigKeywords::FindSetKind(kindWord.c_str());
    if (kind == nullptr) {
        int count = 0;
        const PreconfigSetKind* kinds = PreconfigKeywords::SetKinds(count);
        show.findings.Add(true, file, line,
                          "unknown SET kind " + FindingText::Quoted(kindWord) +
                              Suggestion::DidYouMean(kindWord, Suggestion::Words(kinds, count)) +
                              ": the line is ignored");
        return;
    }
    if (words.ArgCount() < 2) {
        show.findings.Add(true, file, line, "too few words: write SET " + std::string(kind->word) +
                                                " name sub-keyword ...");
        return;
    }
    if (ShaderLayerChecker::IsChannel(words)) {
        ShaderLayerChecker(show).CheckChannel(file, line, words);
        return;
    }
    const Kind resource = kResourceKinds[static_cast<int>(kind->resource)];
    if (!ArgumentChecker(show).Check(file, line, NameRole(resource), words.Arg(1), "")) {
        return;
    }
    const PreconfigForm* option = CheckOption(file, line, *kind, words);
    if (option != nullptr && resource == Kind::Scene && EqualsIgnoringCase(option->word, "PBUFFER")) {
        show.resources.scenes[show.resources.Find(Kind::Scene, words.Arg(1))].hasPixelBuffer = true;
    }
    if (option != nullptr && EqualsIgnoringCase(option->word, "TRACK")) {
        SyncTrackChecker(show).Want(file, line, words.Arg(1), words.Arg(3));
    }
}

const PreconfigForm* SetLineChecker::CheckOption(const std::string& file, int line, const PreconfigSetKind& kind,
                                 const PreconfigLine& words) {
    const std::string head = "SET " + std::string(kind.word);
    const PreconfigForm* option = PreconfigKeywords::FindSetOption(kind, words.Arg(2));
    if (option == nullptr) {
        show.findings.Add(true, file, line,
                          "unknown " + head + " sub-keyword " + FindingText::Quoted(words.Arg(2)) +
                              Suggestion::DidYouMean(words.Arg(2), Suggestion::Words(kind.options, kind.optionCount)) +
                              ": the line changes nothing");
        return nullptr;
    }
    const int further = words.ArgCount() - 2;
    if (further < option->argCount) {
        show.findings.Add(true, file, line, "too few words: write " + head + " name " + option->word + " " +
                                                option->usage);
        return nullptr;
    }
    CheckOptionWords(file, line, head, *option, words);
    for (int i = 0; i < option->argCount; ++i) {
        if (!ArgumentChecker(show).Check(file, line, option->args[i], words.Arg(i + 3), "")) {
            return nullptr;
        }
    }
    return option;
}

// Words past the sub-keyword's own, and a sub-keyword not built yet.
void SetLineChecker::CheckOptionWords(const std::string& file, int line, const std::string& head,
                                      const PreconfigForm& option, const PreconfigLine& words) {
    if (words.ArgCount() - 2 > option.argCount) {
        show.findings.Add(false, file, line, "words after " + head + " name " + option.word + " " + option.usage +
                                                 " are ignored");
    }
    if (!option.built) {
        show.findings.Add(false, file, line, head + " " + option.word +
                                                 " is read but not built in this engine yet: the line changes nothing");
    }
}
