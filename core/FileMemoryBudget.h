// How much memory one file may make the engine hold: 64 MB plus 48 bytes for
// every byte of the file. Readers size whatever a file's counts or headers
// drive (arrays, decoded pictures and sound) within it, so that no crafted
// file, however small, can make the engine take gigabytes; a record per
// smallest block of its kind stays within it.
#ifndef HALVENOR_CORE_FILEMEMORYBUDGET_H
#define HALVENOR_CORE_FILEMEMORYBUDGET_H

#include <cstdint>

struct FileMemoryBudget {
    static constexpr uint64_t kBaseBytes = 64ull * 1024ull * 1024ull;
    static constexpr uint64_t kBytesPerFileByte = 48;

    static constexpr uint64_t For(uint64_t fileBytes) { return kBaseBytes + kBytesPerFileByte * fileBytes; }
};

#endif
