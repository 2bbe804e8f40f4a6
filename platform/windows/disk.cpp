// Forcing the save's files onto the disk on Windows.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "platform/platform.hpp"

namespace platform {

// Apart from the rest of the save's file handling (files.cpp), which the tests
// use as it is: the test console puts a disk of its own behind these two.
bool flushNewFile(const NewFile& file)
{
    // NOLINTNEXTLINE(performance-no-int-to-ptr): a handle is a number the system gave, never read through.
    return FlushFileBuffers(reinterpret_cast<HANDLE>(file.handle)) != 0;
}

bool flushFileToDisk(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    // Windows gives a program no flush of a folder's entries; NTFS commits
    // them through its own journal, so there is nothing more to do here.
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return true;
    }
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool flushed = FlushFileBuffers(file) != 0;
    CloseHandle(file);
    return flushed;
}

}  // namespace platform
