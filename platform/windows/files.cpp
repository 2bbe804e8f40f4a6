// The save's new file on Windows. CREATE_NEW never opens what is already
// there, a link included, and the random name comes from the runtime's
// system-seeded generator. While the save holds the file, nobody may write
// to it or delete it, which tells a second copy of the game, cleaning up,
// that it is not a leftover.
// NOLINTNEXTLINE(bugprone-reserved-identifier): the Microsoft runtime's own switch that declares rand_s.
#define _CRT_RAND_S
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/new_file_name.hpp"
#include "platform/platform.hpp"

namespace {

constexpr int NameTries = 100;
// As on POSIX systems, a leftover is at least this old (file times count
// 100 ns steps); one that a save holds cannot be deleted anyway.
constexpr ULONGLONG LeftoverAge = 10ULL * 10'000'000ULL;

HANDLE handleOf(const platform::NewFile& file)
{
    // NOLINTNEXTLINE(performance-no-int-to-ptr): a handle is a number the system gave, never read through.
    return reinterpret_cast<HANDLE>(file.handle);
}

ULONGLONG ticks(const FILETIME& time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Up to `largest` bytes from the handle; nothing when it holds more (the
// file may be growing) or cannot be read.
std::optional<std::string> readAtMost(HANDLE file, std::size_t largest)
{
    std::string content(largest + 1, '\0');
    std::size_t got = 0;
    while (got < content.size()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - got, 1U << 30));
        DWORD read = 0;
        if (ReadFile(file, content.data() + got, chunk, &read, nullptr) == 0) {
            return std::nullopt;
        }
        if (read == 0) {
            break;
        }
        got += read;
    }
    if (got > largest) {
        return std::nullopt;
    }
    content.resize(got);
    return content;
}

// The number that tells a file from every other on its volume (the record and
// the new file share one: they lie in the same folder).
std::uint64_t fileIndex(const BY_HANDLE_FILE_INFORMATION& info)
{
    return (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

}  // namespace

namespace platform {

std::optional<NewFile> createNewFile(std::string_view prefix)
{
    for (int attempt = 0; attempt < NameTries; ++attempt) {
        std::string name(prefix);
        for (std::size_t i = 0; i < newfile::RandomLength; ++i) {
            unsigned int random = 0;
            if (rand_s(&random) != 0) {
                return std::nullopt;
            }
            name += newfile::RandomLetters[random % newfile::RandomLetters.size()];
        }
        HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            return NewFile{reinterpret_cast<std::intptr_t>(file), name};
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

bool writeNewFile(const NewFile& file, std::string_view text)
{
    while (!text.empty()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(text.size(), 1U << 30));
        DWORD written = 0;
        if (WriteFile(handleOf(file), text.data(), chunk, &written, nullptr) == 0 || written == 0) {
            return false;
        }
        text.remove_prefix(written);
    }
    return true;
}

bool replaceWithNewFile(NewFile& file, const char* name)
{
    // Windows renames a file nobody holds, so the file is known by its
    // index from here on; the write-through returns only once the new name
    // is on disk.
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(handleOf(file), &info) != 0;
    CloseHandle(handleOf(file));
    file.handle = -1;
    file.identity = fileIndex(info);
    if (!known || MoveFileExA(file.name.c_str(), name, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        DeleteFileA(file.name.c_str());
        return false;
    }
    return true;
}

bool confirmNewFile(NewFile& file, const char* name)
{
    // The entry itself, not what a link or a junction under the name leads to.
    HANDLE named =
        CreateFileA(name, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (named == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const DWORD notPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    const bool confirmed = GetFileInformationByHandle(named, &info) != 0 && (info.dwFileAttributes & notPlain) == 0 &&
                           fileIndex(info) == file.identity;
    CloseHandle(named);
    return confirmed;
}

void discardNewFile(NewFile& file)
{
    CloseHandle(handleOf(file));
    file.handle = -1;
    DeleteFileA(file.name.c_str());
}

std::optional<std::string> readPlainFile(const char* name, std::size_t largest)
{
    // Others may go on reading, writing, renaming or deleting it meanwhile,
    // as the game takes no lock on the record.
    HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    // A file on a disk, not a pipe, a console or another device.
    BY_HANDLE_FILE_INFORMATION info{};
    std::optional<std::string> content;
    if (GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) != 0 &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        content = readAtMost(file, largest);
    }
    CloseHandle(file);
    return content;
}

void removeLeftoverFiles(std::string_view prefix)
{
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((std::string(prefix) + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    do {
        const DWORD notPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
        const bool plainFile = (found.dwFileAttributes & notPlain) == 0;
        const bool old = ticks(now) >= ticks(found.ftLastWriteTime) + LeftoverAge;
        // A file that a save holds open cannot be deleted: that one stays.
        if (plainFile && old && newfile::isOwnName(found.cFileName, prefix)) {
            DeleteFileA(found.cFileName);
        }
    } while (FindNextFileA(search, &found) != 0);
    FindClose(search);
}

}  // namespace platform
