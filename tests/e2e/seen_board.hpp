// The board of a level as the screen of the real game shows it, and the keys
// that walk across it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tests/support/screen.hpp"

struct SeenBoard {
    int level = 0;
    int side = 0;
    std::vector<char> cells;  // 'P' player, '.' floor, '#' wall, 'G' goal
};

// The level's header and board, or nothing while the screen shows no whole board.
std::optional<SeenBoard> readBoard(const Screen& s);

// The level's board as it begins: the player top-left, the goal bottom-right.
bool showsLevel(const Screen& s, int level);

// Keys that walk from the player over floor to the nearest cell of the
// `target` kind ('G', '#' or '.'), the last key stepping onto it; empty when
// none is in reach.
std::string keysTo(const SeenBoard& b, char target);

// What the save record holds for this board: one digit per cell.
std::string recordOf(const SeenBoard& b);
