// The saved game: one file in the current folder, one digit per cell.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* SaveRecordName = "record.quillonex";
// A new record is written under this name and six random letters or digits
// before it replaces the old one.
inline constexpr const char* NewRecordPrefix = "record.quillonex.new-";

// The widest board a usable record may hold: at 2001 columns by 1003 lines,
// more than any screen shows. It keeps what is read of a record under a
// megabyte, whatever file lies under the record's name.
inline constexpr std::int32_t MaxRecordSide = 1000;

// The most bytes a record the game plays can take: the widest board and a
// line end from Windows ("\r\n"). A longer file is no saved game, and is
// never read whole.
inline constexpr std::size_t MaxRecordBytes =
    static_cast<std::size_t>(MaxRecordSide) * static_cast<std::size_t>(MaxRecordSide) + 2;

// Looks at the record's bytes and tells whether they hold a board the game can
// play, exactly as the game writes one for a level of at least 1: s x s
// characters (s >= 3) up to the first line feed or the end, "8" first, "0"
// last, "7" or "9" between; a carriage return right before that line feed is
// no cell.
bool saveRecordUsable(std::string_view record);

// Appends the cells of the record's bytes to `board` and gives the level they
// make (a carriage return right before the first line feed is no cell).
std::int32_t readSaveRecord(std::string_view record);

// The record's text for these cells: one digit per cell, nothing else.
std::string recordText(const std::vector<std::int32_t>& cells);

// Removes what saves cut short (killed, or the power gone) left behind: new
// records that never took the record's name. Files another save is still
// writing stay.
void removeUnfinishedSaves();

// Replaces the record with these cells. The old record stays whole unless the
// new one is completely on disk; false when the save did not happen.
bool writeSaveRecord(const std::vector<std::int32_t>& cells);
