#include "checker/ShowFindings.h"

#include <algorithm>

void ShowFindings::Add(bool error, const std::string& file, int line, const std::string& message) {
    if (findings.size() == kMax) {
        findings.push_back({true, file, line, "too many problems: the rest is left out"});
    }
    if (findings.size() > kMax) {
        return;
    }
    findings.push_back({error, file, line, message});
}

void ShowFindings::KeepFirst(size_t count) { findings.resize(std::min(count, findings.size())); }

int ShowFindings::ErrorCount() const {
    return static_cast<int>(
        std::count_if(findings.begin(), findings.end(), [](const ShowFinding& f) { return f.error; }));
}

int ShowFindings::WarningCount() const { return static_cast<int>(findings.size()) - ErrorCount(); }

std::string ShowFindings::Report() const {
    std::string text;
    for (const bool errors : {true, false}) {
        for (const ShowFinding& finding : findings) {
            if (finding.error == errors) {
                text += ReportLine(finding);
            }
        }
    }
    return text;
}

std::string ShowFindings::ReportLine(const ShowFinding& finding) {
    std::string text = finding.file + ":";
    if (finding.line > 0) {
        text += std::to_string(finding.line) + ":";
    }
    text += finding.error ? " error: " : " warning: ";
    return text + finding.message + "\n";
}
