// What the checker found, in the order found, and the report it prints.
// Findings beyond kMax are left out, with one finding that says so: a file
// that is not a show at all (a picture renamed preconfig.txt) would
// otherwise give a finding per line.
#ifndef HALVENOR_CHECKER_SHOWFINDINGS_H
#define HALVENOR_CHECKER_SHOWFINDINGS_H

#include <cstddef>
#include <string>
#include <vector>

struct ShowFinding {
    bool error;
    // The show's file the finding is about, as found on disk.
    std::string file;
    // From 1; 0 when the finding is about the whole file.
    int line;
    std::string message;
};

class ShowFindings {
public:
    static constexpr size_t kMax = 200;

    void Add(bool error, const std::string& file, int line, const std::string& message);
    // Drops the findings added after the first count: a line read as its
    // author meant it keeps what it creates, not what it says.
    void KeepFirst(size_t count);

    const std::vector<ShowFinding>& All() const { return findings; }
    size_t Count() const { return findings.size(); }
    int ErrorCount() const;
    int WarningCount() const;
    // One "file:line: error: message" line per finding, errors first, then
    // warnings, each in the order found; no line number for a whole file.
    std::string Report() const;

private:
    static std::string ReportLine(const ShowFinding& finding);

    std::vector<ShowFinding> findings;
};

#endif
