// One argument word of a preconfig.txt line against what its place in the
// line stands for: a number, YES or NO, a layer type, a file, an image, or
// the name of something an earlier line created.
#ifndef HALVENOR_CHECKER_ARGUMENTCHECKER_H
#define HALVENOR_CHECKER_ARGUMENTCHECKER_H

#include <string>

#include "config/PreconfigKeywords.h"

struct CheckedShow;

class ArgumentChecker {
public:
    explicit ArgumentChecker(CheckedShow& show) : show(show) {}

    // False when the argument is wrong enough that checking the line further
    // would only repeat the finding. what names a file argument ("music",
    // "image", ...) in the findings.
    bool Check(const std::string& file, int line, PreconfigArg role, const char* word, const char* what);

private:
    bool CheckNumber(const std::string& file, int line, PreconfigArg role, const char* word);
    bool CheckLayerType(const std::string& file, int line, const char* word);
    bool CheckName(const std::string& file, int line, PreconfigArg role, const char* word);

    CheckedShow& show;
};

#endif
