// The saved game: one file in the current folder, one digit per cell.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

inline constexpr const char* SaveRecordName = "record.quillonex";
// A new record is written under this name and six random letters or digits
// before it replaces the old one.
inline constexpr const char* NewRecordPrefix = "record.quillonex.new-";

// The widest board a usable record may hold. A board of side s takes 2s + 1
// columns and s + 3 lines of the terminal: at 1000 that is 2001 columns by
// 1003 lines, more than any screen can show (an 8K display would need
// characters under four pixels wide), and reaching it would take a player
// about a million moves. It keeps the look at a record under a megabyte,
// whatever file lies under the record's name.
inline constexpr std::int32_t MaxRecordSide = 1000;

// Looks at an open record and tells whether it holds a board the game can
// play, exactly as the game writes one for a level of at least 1: s x s
// characters (s >= 3) up to the first line feed or the end, "8" first, "0"
// last, "7" or "9" between; a carriage return right before that line feed is
// no cell. Reads no more than the largest such board and two characters; on
// success the stream is back at its start for readSaveRecord.
bool saveRecordUsable(std::istream& record);

// Appends the record's cells to `board` and gives the level they make (a
// carriage return right before the first line feed is no cell).
std::int32_t readSaveRecord(std::istream& record);

// The record's text for these cells: one digit per cell, nothing else.
std::string recordText(const std::vector<std::int32_t>& cells);

// Removes what saves cut short (killed, or the power gone) left behind: new
// records that never took the record's name. Files another save is still
// writing stay.
void removeUnfinishedSaves();

// Replaces the record with these cells. The old record stays whole unless the
// new one is completely on disk; false when the save did not happen.
bool writeSaveRecord(const std::vector<std::int32_t>& cells);
