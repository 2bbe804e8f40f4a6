#pragma once

#include <cstdint>
#include <string>

// Fills `board` with a new maze for the level: the player top-left, the goal
// bottom-right, one winding floor path between them and wall everywhere else.
// Seeds the runtime's random numbers from the calendar at every call, so two
// calls within the same second give the same board. A level below 0 has no
// room for a player and a goal apart, and leaves `board` empty.
void generateMaze(std::int32_t level);

// How many draws the plain walk may spend before the board is laid in blocks.
std::int64_t mazeDrawBudget(std::int32_t level);

// The whole of generateMaze for a seed already chosen and a given draw budget;
// a budget below one draw per cell counts as one per cell, and an even budget
// counts one draw more. Returns the draws spent: at most the budget when the
// plain walk reached the goal within it, and at most the budget and
// MazeDrawsPerCell draws a cell otherwise, whatever numbers rand() gives.
// `path`, when given, receives the moves from the player to the goal ("w", "d",
// "s", "a" for up, right, down, left). `random`, when given, draws in place of
// std::rand() (which is still seeded). generateMaze calls it with the
// calendar's seconds and mazeDrawBudget(level).
std::int64_t generateMazeFromSeed(std::int32_t level, std::uint32_t seed, std::int64_t drawBudget,
                                  std::string* path = nullptr, int (*random)() = nullptr);

// Past the plain walk, a block of c cells (at least 4) takes at most 16 walks
// of at most 20 (c + 1) draws, 4 draws for where the way leaves it and c steps
// should every walk fail: at most 402 draws a cell. The route over the grid of
// blocks takes at most 16 walks and a step per block: at most 81 draws a cell
// of the board, and 320 more where there is more than one block (a board of
// 2401 cells or more). Hence 500 a cell.
inline constexpr std::int64_t MazeDrawsPerCell = 500;
