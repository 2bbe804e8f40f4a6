#pragma once

#include <cstdint>

// Fills `board` with a new maze for the level: the player top-left, the goal
// bottom-right, one winding floor path between them and wall everywhere else.
// Seeds the runtime's random numbers from the calendar at every call, so two
// calls within the same second give the same board. A level below 0 has no
// room for a player and a goal apart, and leaves `board` empty.
void generateMaze(std::int32_t level);

// How many draws one walk may spend before it starts again from the top-left
// corner (see maze.cpp for the reasons behind the figure).
std::int64_t mazeDrawBudget(std::int32_t level);

// The whole of generateMaze for a seed already chosen and a given draw budget;
// a budget below one draw per cell counts as one per cell, which always leaves
// a walk room to reach the goal, and an even budget counts one draw more.
// generateMaze calls it with the calendar's seconds and mazeDrawBudget(level).
void generateMazeFromSeed(std::int32_t level, std::uint32_t seed, std::int64_t drawBudget);
