#pragma once

#include <cstdint>
#include <string>

// Fills `board` with a new maze for the level: the player top-left, the goal
// bottom-right, one winding floor path between them and wall everywhere else.
// Seeds the runtime's random numbers from the calendar at every call, so two
// calls within the same second give the same board. A level below 0 has no
// room for a player and a goal apart, and leaves `board` empty.
void generateMaze(std::int32_t level);

// How many draws the plain walk may spend before the walk goes on in bounded
// steps toward the goal.
std::int64_t mazeDrawBudget(std::int32_t level);

// The whole of generateMaze for a seed already chosen and a given draw budget;
// a budget below one draw per cell counts as one per cell, and an even budget
// counts one draw more. Returns the draws spent, each step of the closing way
// counting as one: at most the budget when the plain walk reached the goal
// within it, and at most three budgets (or the budget and 10,000,000) plus
// one per cell otherwise.
// `path`, when given, receives the moves from the player to the goal ("w", "d",
// "s", "a" for up, right, down, left). generateMaze calls it with the
// calendar's seconds and mazeDrawBudget(level).
std::int64_t generateMazeFromSeed(std::int32_t level, std::uint32_t seed, std::int64_t drawBudget,
                                  std::string* path = nullptr);
