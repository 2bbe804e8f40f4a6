// What the unit tests share: the game's headers, the test console, scratch folders and the board as it shows.
#pragma once

#include <gtest/gtest.h>

#include "board/board.hpp"
#include "play/input.hpp"
#include "save/record.hpp"
#include "tests/e2e/seen_board.hpp"
#include "tests/support/console.hpp"
#include "tests/support/scratch.hpp"

namespace tc = testconsole;

// Tile codes from the letters P . # and G (any other letter is a goal too); '/' between rows is skipped.
inline std::vector<std::int32_t> cellsOf(std::string_view letters)
{
    std::vector<std::int32_t> cells;
    for (const char c : letters) {
        if (c != '/') {
            cells.push_back(c == 'P' ? TilePlayer : c == '.' ? TileFloor : c == '#' ? TileWall : TileGoal);
        }
    }
    return cells;
}

// The test console's board of this side in letters, rows joined by '/'.
inline std::string seenBoard(std::int32_t side)
{
    std::string letters;
    for (int i = 0; i < side * side; ++i) {
        letters += std::string(i > 0 && i % side == 0 ? "/" : "") + cellLetter(tc::screen(), i % side, i / side);
    }
    return letters;
}

// The keys that take the player from the top-left cell to the goal of `board`.
inline std::string keysToGoal(std::int32_t level)
{
    return keysOfShortestWay(board, sideLengthFor(level), 0, TileFloor, TileGoal);
}

// From now on each pause is noted as its length, with " blank" when the screen is blank meanwhile.
inline void notePauses(std::vector<std::string>& notes)
{
    tc::onPause(
        [&notes](std::int32_t ms) { notes.push_back(std::to_string(ms) + (tc::screen().blank() ? " blank" : "")); });
}

// A blank console of this size, and the game's board, snapshot and player pointer empty as at program start.
inline void startFresh(int columns = 120, int lines = 40)
{
    tc::reset(columns, lines);
    board.clear();
    shownBoard.clear();
    playerCell = nullptr;
}

// Runs a part of the game until it ends or the script runs out.
template <typename Part>
void runsOut(Part part)
{
    try {
        part();
    } catch (const tc::ScriptExhausted&) {
        // the scripted player has no more input: the part ends here
    }
}
