// Forcing the save's files onto the disk. Apart from the rest of the save's
// file handling (files.cpp), which the tests use as it is: the test console
// puts a disk of its own behind these two.
#include <fcntl.h>
#include <unistd.h>

#include "platform/platform.hpp"

namespace platform {

bool flushNewFile(const NewFile& file) { return fsync(static_cast<int>(file.handle)) == 0; }

bool flushFileToDisk(const char* path)
{
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool flushed = fsync(fd) == 0;
    close(fd);
    return flushed;
}

}  // namespace platform
