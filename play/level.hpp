#pragma once

#include <cstdint>

// How a level ended.
using LevelOutcome = std::int32_t;
inline constexpr LevelOutcome LevelCompleted = 1;
inline constexpr LevelOutcome LevelDied = 2;
inline constexpr LevelOutcome LevelQuit = 3;

// Plays one level, from its first draw to its outcome. `resumed` means the
// board was just loaded from the save record and is played as it is.
LevelOutcome playLevel(std::int32_t level, bool resumed);
