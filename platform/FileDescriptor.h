// What the music readers ask of a descriptor from Platform::OpenRegularFile
// (the descriptors libsndfile takes): its file's size, and closing it.
//
// Contract: DescriptorFileBytes answers the size in bytes of the file the
// descriptor is open on, or 0 when it cannot be told (a bad descriptor).
// CloseFileDescriptor closes it; a bad descriptor is ignored. Linux: fstat
// and close. Windows: the C runtime's _fstat64 and _close, whose descriptors
// OpenRegularFile hands out there.
#ifndef HALVENOR_PLATFORM_FILEDESCRIPTOR_H
#define HALVENOR_PLATFORM_FILEDESCRIPTOR_H

#include <cstdint>

namespace Platform {

uint64_t DescriptorFileBytes(int descriptor);
void CloseFileDescriptor(int descriptor);

}  // namespace Platform

#endif
