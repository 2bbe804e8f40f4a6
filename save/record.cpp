#include "save/record.hpp"

#include <algorithm>
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

// A record edited on Windows ends its line with "\r\n"; the game's Windows
// build, reading in text mode, sees the line without the carriage return.
void dropWindowsLineEnd(std::string& line, bool lineFeedFollowed)
{
    if (lineFeedFollowed && !line.empty() && line.back() == '\r') {
        line.pop_back();
    }
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
    return true;
}

}  // namespace

bool saveRecordUsable(std::istream& record)
{
    // The first line, a piece at a time and never past two characters beyond
    // the largest board (room for a carriage return): that tells a file too
    // large to be one from a board that fits, without reading the rest of it
    // or holding room for it.
    std::string text;
    char piece[4096];
    bool lineFeed = false;
    while (text.size() <= MaxRecordChars + 1) {
        const std::size_t wanted = std::min(sizeof piece, MaxRecordChars + 2 - text.size());
        record.read(piece, static_cast<std::streamsize>(wanted));
        const char* const got = piece + record.gcount();
        const char* const lineEnd = std::find(static_cast<const char*>(piece), got, '\n');
        text.append(static_cast<const char*>(piece), lineEnd);
        lineFeed = lineEnd != got;
        if (lineFeed || record.gcount() < static_cast<std::streamsize>(wanted)) {
            break;
        }
    }
    dropWindowsLineEnd(text, lineFeed);
    if (record.bad() || text.size() > MaxRecordChars) {
        return false;
    }
    if (!isPlayableLayout(text)) {
        return false;
    }
    // A stream that cannot go back (a pipe) would give the reader nothing.
    record.clear();
    record.seekg(0);
    return !record.fail();
}

std::int32_t readSaveRecord(std::istream& record)
{
    std::string line;
    std::getline(record, line, '\n');
    // Without end of file the line feed was there.
    dropWindowsLineEnd(line, !record.eof());
    for (const char c : line) {
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

void removeUnfinishedSaves()
{
    platform::removeLeftoverFiles(NewRecordPrefix);
}

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
