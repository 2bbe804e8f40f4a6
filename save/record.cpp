#include "save/record.hpp"

#include <cmath>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "board/board.hpp"
#include "platform/platform.hpp"

namespace {

constexpr std::size_t MaxRecordChars =
    static_cast<std::size_t>(MaxRecordSide) * static_cast<std::size_t>(MaxRecordSide);

bool isSquareBoard(std::size_t cells)
{
    const auto side = static_cast<std::size_t>(std::lround(std::sqrt(static_cast<double>(cells))));
    return side >= 3 && side * side == cells;
}

// The player on the first cell, the goal on the last, floor and walls between.
bool isPlayableLayout(std::string_view line)
{
    if (!isSquareBoard(line.size()) || line.front() != '8' || line.back() != '0') {
        return false;
    }
    for (const char c : line.substr(1, line.size() - 2)) {
        if (c != '7' && c != '9') {
            return false;
        }
    }
    return true;
}

// The cells are the record's first line. A record edited on Windows ends it
// with "\r\n", and the carriage return is no cell either.
std::string_view firstLine(std::string_view record)
{
    const std::size_t lineFeed = record.find('\n');
    std::string_view line = record.substr(0, lineFeed);
    if (lineFeed != std::string_view::npos && line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    return line;
}

// The digit of (code + 7) mod 10. A snapshot holds the codes 0 to 3 only; the
// remainder is taken floored and in 64 bits so that no code, negative or
// huge, can put anything but a digit into the record.
char recordChar(std::int32_t code)
{
    const std::int64_t digit = ((static_cast<std::int64_t>(code) + 7) % 10 + 10) % 10;
    return static_cast<char>('0' + digit);
}

// The new record is made whole in a file of our own, next to the old one,
// before it takes the record's name in one step: nobody ever sees half of it,
// and nobody else's file or link can become the record.
bool replaceRecord(const std::string& text)
{
    platform::removeLeftoverFiles(NewRecordPrefix);
    std::optional<platform::NewFile> file = platform::createNewFile(NewRecordPrefix);
    if (!file) {
        return false;
    }
    if (!platform::writeNewFile(*file, text) || !platform::flushNewFile(*file)) {
        platform::discardNewFile(*file);
        return false;
    }
    if (!platform::replaceWithNewFile(*file, SaveRecordName)) {
        return false;
    }
    // Puts the folder's new entry on disk too. The record is already replaced,
    // so if this fails the save still happened.
    platform::flushFileToDisk(".");
    // Someone who may write in the folder can swap a link of theirs in for
    // the new file between the look at its name and the rename: the record
    // is then theirs, and the save did not happen.
    return platform::confirmNewFile(*file, SaveRecordName);
}

}  // namespace

bool saveRecordUsable(std::string_view record)
{
    const std::string_view line = firstLine(record);
    return line.size() <= MaxRecordChars && isPlayableLayout(line);
}

std::int32_t readSaveRecord(std::string_view record)
{
    for (const char c : firstLine(record)) {
        // A digit d gives (d + 3) mod 10. Any other byte counts as signed and
        // keeps the remainder's sign; only a record that failed the check
        // above holds one.
        const std::int32_t d = static_cast<signed char>(c) - '0';
        board.push_back((d + 3) % 10);
    }
    return static_cast<std::int32_t>(std::trunc(std::sqrt(static_cast<double>(board.size())) - 2.0));
}

std::string recordText(const std::vector<std::int32_t>& cells)
{
    std::string text;
    text.reserve(cells.size());
    for (const std::int32_t code : cells) {
        text.push_back(recordChar(code));
    }
    return text;
}

void removeUnfinishedSaves() { platform::removeLeftoverFiles(NewRecordPrefix); }

bool writeSaveRecord(const std::vector<std::int32_t>& cells)
{
    const std::string text = recordText(cells);
    // A Ctrl+C or a kill in the middle would leave a stray file behind; the
    // signal waits until the record is replaced or the attempt is undone.
    platform::holdInterrupts();
    const bool saved = replaceRecord(text);
    platform::releaseInterrupts();
    return saved;
}
