// The one board every part of the game shares, its tile codes, the kind of
// cell that shows each code, and where each cell stands on the screen.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/cell.hpp"

inline constexpr std::int32_t TileFloor = 0;
inline constexpr std::int32_t TilePlayer = 1;
inline constexpr std::int32_t TileWall = 2;
inline constexpr std::int32_t TileGoal = 3;
// Only while a maze is being generated.
inline constexpr std::int32_t TileWalker = 4;

// The current board, row-major, one tile code per cell.
extern std::vector<std::int32_t> board;
// The board as it was drawn at the start of the current level; empty when
// nothing on the screen may be built on.
extern std::vector<std::int32_t> shownBoard;
// The cell of the piece being moved (the player in play, the walker while a
// maze is generated): each step points it at the piece, writes the cell left
// through it, moves it on and writes the piece into the cell entered.
extern std::int32_t* playerCell;

// Floor, wall and goal show as cells of their own kind; every other code,
// including values a damaged board might hold, shows as the player.
platform::Cell cellFor(std::int32_t code);

constexpr std::int32_t sideLengthFor(std::int32_t level) { return level + 2; }
// Screen position of a cell: two columns per cell, below the header and a blank line.
constexpr std::int32_t cellX(std::int32_t col) { return 2 * col; }
constexpr std::int32_t cellY(std::int32_t row) { return row + 2; }
