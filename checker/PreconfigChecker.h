// preconfig.txt line by line, as the engine reads it: its commands and LOAD
// kinds against the keyword table, each LOAD line's arguments, and what each
// right line creates, reading the scene, particle and music files it names
// with their own checkers. SET lines go to SetLineChecker.
#ifndef HALVENOR_CHECKER_PRECONFIGCHECKER_H
#define HALVENOR_CHECKER_PRECONFIGCHECKER_H

#include <string>

#include "config/PreconfigKeywords.h"

struct CheckedShow;
class PreconfigLine;

class PreconfigChecker {
public:
    explicit PreconfigChecker(CheckedShow& show) : show(show) {}

    // preconfig.txt of the working directory, and what it names.
    void Check();

private:
    void CheckWhole(const std::string& file);
    void CheckEngineTextures(const std::string& file);
    void CheckLine(const std::string& file, int line, const char* text);
    // False after a finding that ends the line's check.
    bool CheckLineStart(const std::string& file, int line, const char* text, const PreconfigLine& words);
    void CheckLoadKind(const std::string& file, int line, const char* text, const PreconfigLine& words);
    void CheckUnknownCommand(const std::string& file, int line, const char* text, const std::string& command);
    void ReadAsMeant(const std::string& file, int line, const std::string& meant);
    void CheckLoad(const std::string& file, int line, const PreconfigForm& form, const PreconfigLine& words);
    // False when an argument stops the line before it creates anything.
    bool CheckLoadArguments(const std::string& file, int line, const PreconfigForm& form,
                            const PreconfigLine& words);

    // What a LOAD line whose words are right creates or sets.
    void TakeLoad(const std::string& file, int line, const PreconfigForm& form, const PreconfigLine& words);
    void TakeDisplay(const std::string& file, int line, const PreconfigLine& words);
    void TakeScene(const std::string& file, int line, const PreconfigLine& words, bool binary);
    void TakeLayer(const std::string& file, int line, const PreconfigLine& words);
    void TakeLoadScreen(const std::string& file, int line, const PreconfigLine& words);
    void TakeParticles(const std::string& file, int line, const PreconfigLine& words);
    void TakePixelBuffer(const std::string& file, int line, const PreconfigLine& words);

    CheckedShow& show;
};

#endif
