// A descriptor's size and closing on Linux (contract in FileDescriptor.h):
// fstat and close.
#include "platform/FileDescriptor.h"

#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

uint64_t DescriptorFileBytes(int descriptor) {
    struct stat info {};
    return fstat(descriptor, &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
}

void CloseFileDescriptor(int descriptor) {
    if (descriptor >= 0) {
        close(descriptor);
    }
}

}  // namespace Platform
