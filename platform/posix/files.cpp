// The save's new file on POSIX systems. mkstemp makes it with O_EXCL, so it
// is never opened through a link or shared with anyone; the save holds an
// flock on it until it is renamed or removed, which tells a second copy of
// the game, cleaning up, that it is not a leftover.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/new_file_name.hpp"
#include "platform/platform.hpp"

namespace {

// mkstemp puts the random letters in place of these.
constexpr std::string_view RandomPart = "XXXXXX";
static_assert(RandomPart.size() == newfile::RandomLength);
// A leftover younger than this may be the file another copy of the game has
// just made and not yet locked. (Were it removed all the same, that save
// would find its name gone and fail; it would never write elsewhere.)
constexpr std::time_t LeftoverAgeSeconds = 10;

int descriptor(const platform::NewFile& file) { return static_cast<int>(file.handle); }

// The name still holds the very file behind the descriptor.
bool nameHoldsFile(const std::string& name, int fd)
{
    struct stat own {};
    struct stat named {};
    return fstat(fd, &own) == 0 && lstat(name.c_str(), &named) == 0 && S_ISREG(named.st_mode) &&
           own.st_dev == named.st_dev && own.st_ino == named.st_ino;
}

void removeIfLeftover(const char* name)
{
    const int fd = open(name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    struct stat st {};
    const bool old =
        fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && std::time(nullptr) - st.st_mtime >= LeftoverAgeSeconds;
    // A save under way holds its lock; a killed one left the file unlocked.
    if (old && flock(fd, LOCK_EX | LOCK_NB) == 0 && nameHoldsFile(name, fd)) {
        unlink(name);
    }
    close(fd);
}

// Up to `largest` bytes from the descriptor; nothing when it holds more (the
// file may have grown since its size was looked at) or cannot be read.
std::optional<std::string> readAtMost(int fd, std::size_t largest)
{
    std::string content(largest + 1, '\0');
    std::size_t got = 0;
    while (got < content.size()) {
        const ssize_t count = read(fd, content.data() + got, content.size() - got);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return std::nullopt;
        }
        if (count == 0) {
            break;
        }
        got += static_cast<std::size_t>(count);
    }
    if (got > largest) {
        return std::nullopt;
    }
    content.resize(got);
    return content;
}

}  // namespace

namespace platform {

std::optional<NewFile> createNewFile(std::string_view prefix)
{
    std::string name = std::string(prefix) + std::string(RandomPart);
    const int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    // The record gets the permissions a newly created file gets, not
    // mkstemp's owner-only ones.
    const mode_t mask = umask(0);
    umask(mask);
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || fchmod(fd, 0666 & ~mask) != 0) {
        unlink(name.c_str());
        close(fd);
        return std::nullopt;
    }
    return NewFile{fd, name};
}

bool writeNewFile(const NewFile& file, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t written = write(descriptor(file), text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool replaceWithNewFile(NewFile& file, const char* name)
{
    // Anyone who may write in the folder could have put a link or a file of
    // theirs under our name: that must not become the record.
    if (!nameHoldsFile(file.name, descriptor(file))) {
        close(descriptor(file));
        file.handle = -1;
        return false;
    }
    if (rename(file.name.c_str(), name) != 0) {
        unlink(file.name.c_str());
        close(descriptor(file));
        file.handle = -1;
        return false;
    }
    return true;
}

bool confirmNewFile(NewFile& file, const char* name)
{
    const bool confirmed = nameHoldsFile(name, descriptor(file));
    // Closed only now: the lock shows the file is not a leftover until then.
    close(descriptor(file));
    file.handle = -1;
    return confirmed;
}

void discardNewFile(NewFile& file)
{
    if (nameHoldsFile(file.name, descriptor(file))) {
        unlink(file.name.c_str());
    }
    close(descriptor(file));
    file.handle = -1;
}

std::optional<std::string> readPlainFile(const char* name, std::size_t largest)
{
    // Without O_NONBLOCK, a named pipe put under the name would hold the game
    // until some writer came; with it, the open returns at once and fstat
    // tells what was opened.
    const int fd = open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat st {};
    std::optional<std::string> content;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::uintmax_t>(st.st_size) <= largest) {
        content = readAtMost(fd, largest);
    }
    close(fd);
    return content;
}

void removeLeftoverFiles(std::string_view prefix)
{
    DIR* const folder = opendir(".");
    if (folder == nullptr) {
        return;
    }
    // Removing entries while reading the folder is allowed; one removed
    // behind the reader is not seen again, one made meanwhile may or may not be.
    // One thread reads this folder stream; readdir_r is deprecated.
    // cppcheck-suppress readdirCalled
    while (const dirent* entry = readdir(folder)) {
        if (newfile::isOwnName(entry->d_name, prefix)) {
            removeIfLeftover(entry->d_name);
        }
    }
    closedir(folder);
}

}  // namespace platform
