// The saved game: one file in the current folder, one digit per cell.
#pragma once

#include <cstdint>
#include <istream>
#include <vector>

inline constexpr const char* SaveRecordName = "record.quillonex";

// Looks at an open record and tells whether it holds a board the game can
// play, exactly as the game writes one. Reads no more than the largest such
// board; on success the stream is back at its start for readSaveRecord.
bool saveRecordUsable(std::istream& record);

// Appends the record's cells to `board` and gives the level they make.
std::int32_t readSaveRecord(std::istream& record);

// Replaces the record with these cells. The old record stays whole unless the
// new one is completely on disk; false when the save did not happen.
bool writeSaveRecord(const std::vector<std::int32_t>& cells);
