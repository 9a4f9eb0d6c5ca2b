// Lines of an ASE file for points of its text as the ASE reader counts them
// (AseTextStream: UTF-16 narrowed, CR LF read as LF), so that what the reader
// says at a point of its reading names the line it was reading.
#ifndef HALVENOR_CHECKER_ASETEXTLINES_H
#define HALVENOR_CHECKER_ASETEXTLINES_H

#include <cstdint>
#include <string>
#include <vector>

class AseTextLines {
public:
    // For each offset (bytes of text read), the line of the last word read
    // before it, from 1; 0 for offset 0 (nothing read yet: the whole file)
    // and when the file cannot be read again.
    static std::vector<int> Of(const std::string& fileName, const std::vector<uint64_t>& offsets);
};

#endif
