#pragma once

#include <cstdint>

// Fills `board` with a new maze for the level: the player top-left, the goal
// bottom-right, one winding floor path between them and wall everywhere else.
void generateMaze(std::int32_t level);
