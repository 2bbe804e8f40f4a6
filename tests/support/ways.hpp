// What the unit tests share: the game's headers, the test console, a scratch
// folder, scripts of keys and buttons, and the board as the screen shows it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "board/board.hpp"
#include "play/input.hpp"
#include "save/record.hpp"
#include "tests/e2e/seen_board.hpp"
#include "tests/support/console.hpp"
#include "tests/support/scratch.hpp"

namespace tc = testconsole;

// Tile codes from letters as cellLetter gives them; '/' between rows is skipped.
std::vector<std::int32_t> cellsOf(std::string_view letters);
// The test console's board of this side in letters, rows joined by '/'.
std::string seenBoard(std::int32_t side);
// The keys that take the player from the top-left cell to the goal of `board`.
std::string keysToGoal(std::int32_t level);

// A script for the test console: key codes 0..255, Pad(word) a gamepad read,
// NoPad a read that finds no pad.
constexpr int Pad(int word) { return 0x10000 + word; }
constexpr int NoPad = -1;
void typeScript(const std::vector<int>& steps);
// From now on each pause is noted as its length, with " blank" when the
// screen is blank while the game waits.
void notePauses(std::vector<std::string>& notes);

// A fresh start: a blank console of this size, and the game's board, snapshot
// and player pointer empty as at program start.
void startFresh(int columns = 120, int lines = 40);

// Runs a part of the game until it ends; false when the script ran out first.
template <typename Part>
bool runsOut(Part part)
{
    try {
        part();
        return false;
    } catch (const tc::ScriptExhausted&) {
        return true;
    }
}
