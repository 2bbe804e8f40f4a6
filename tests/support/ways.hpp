// Ways across the current board, for tests that play a level as a player would.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A shortest way over floor and goal cells from one cell to another, both
// included; empty when there is none.
std::vector<std::int32_t> shortestWay(std::int32_t side, std::int32_t from, std::int32_t to);

// The movement keys (w, a, s, d) that walk the way.
std::string keysAlong(const std::vector<std::int32_t>& way, std::int32_t side);

// The keys that take the player from the top-left cell to the goal.
std::string keysToGoal(std::int32_t level);

// A key that moves the player from the top-left cell onto a wall; 0 when no
// wall touches it.
char keyIntoWall(std::int32_t level);
