// A descriptor's size and closing on Windows (contract in FileDescriptor.h):
// the C runtime's _fstat64 and _close.
#include "platform/FileDescriptor.h"

#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace Platform {

uint64_t DescriptorFileBytes(int descriptor) {
    struct _stat64 info {};
    return _fstat64(descriptor, &info) == 0 && info.st_size > 0 ? static_cast<uint64_t>(info.st_size) : 0;
}

void CloseFileDescriptor(int descriptor) {
    if (descriptor >= 0) {
        _close(descriptor);
    }
}

}  // namespace Platform
