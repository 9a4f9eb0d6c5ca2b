// A SET line of preconfig.txt: its kind, the resource it names (created by
// an earlier line), its sub-keyword and the sub-keyword's arguments.
#ifndef HALVENOR_CHECKER_SETLINECHECKER_H
#define HALVENOR_CHECKER_SETLINECHECKER_H

#include <string>

#include "config/PreconfigKeywords.h"

struct CheckedShow;
class PreconfigLine;

class SetLineChecker {
public:
    explicit SetLineChecker(CheckedShow& show) : show(show) {}

    void Check(const std::string& file, int line, const PreconfigLine& words);

private:
    // The sub-keyword's form when the line is right to its end; null after a
    // finding that stops it.
    const PreconfigForm* CheckOption(const std::string& file, int line, const PreconfigSetKind& kind, const PreconfigLine& words);
    void CheckOptionWords(const std::string& file, int line, const std::string& head, const PreconfigForm& option,
                          const PreconfigLine& words);

    CheckedShow& show;
};

#endif
