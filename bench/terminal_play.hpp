// Helpers for the programs that measure the built game in a pseudo-terminal:
// records that reach a chosen level, and where the screen shows the player.
#pragma once

#include <filesystem>
#include <string>

#include "tests/e2e/pty.hpp"
#include "tests/support/screen.hpp"

namespace terminalplay {

// A usable record for the level whose floor runs along the top row and down
// the right-hand column: 'd' (side - 1) times and then 's' (side - 1) times
// walk it to the goal.
std::string edgePathRecord(int level);

// A new folder holding the record; the caller removes it.
std::filesystem::path folderWithRecord(const std::string& record);

// The cell at column col, row row shows the player and the cursor rests on it.
bool playerShownAt(const Screen& screen, int col, int row);

// From the title, through the resume prompt, to the saved level shown with
// the player on its first cell. False when the game does not get there
// within the time.
bool resumeSavedLevel(GameInTerminal& game, int level, int timeoutMs = 5000);

}  // namespace terminalplay
