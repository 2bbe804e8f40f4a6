// What the window shows of the board: all of it where it fits, else the part
// around the player, which follows the player as it moves.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/platform.hpp"

// A rectangle of board cells: its first column and row, how many columns and
// rows it holds, and where the goal's distance stands in the header.
struct View {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t columns = 0;
    std::int32_t rows = 0;
    // In a window too narrow for "Level N" and the distance on one line, the
    // distance takes the line under the header.
    bool goalBelow = false;
};

// What the screen shows of the board now; the cells and the message line are
// placed by it.
extern View boardView;

// The smallest window that plays a board larger than it: 25 columns hold the
// goal's distance at every level ("goal: 999 right, 999 down") and a view 12
// cells wide; 8 lines hold the header, the line under it, 5 rows and the
// message line.
inline constexpr std::int32_t SmallestWindowColumns = 25;
inline constexpr std::int32_t SmallestWindowLines = 8;

// The whole board with the header above, the goal's space beside and the
// message line below.
bool boardFitsWindow(std::int32_t side, const std::optional<platform::ConsoleSize>& window);
// The level plays in this window: the whole board or a view of it. A window
// of unknown size is taken to hold the whole board.
bool windowPlays(std::int32_t side, const std::optional<platform::ConsoleSize>& window);
// The window to ask for where it does not play: the whole board's when that is
// no wider than the smallest, else the smallest.
platform::ConsoleSize windowToAskFor(std::int32_t side);

// The view a window gives, centred on the player as far as the board allows;
// the whole board where it fits.
View viewAround(std::int32_t side, const std::optional<platform::ConsoleSize>& window, std::int32_t col,
                std::int32_t row);
// The view once the player stands on (col, row): the same while the player is
// at least a quarter of the view away from every edge with more board beyond
// it, else moved along that side to have the player in the middle again.
View viewFollowing(const View& view, std::int32_t side, std::int32_t col, std::int32_t row);

bool showsWholeBoard(const View& view, std::int32_t side);
// The first line below the view.
inline std::int32_t viewMessageLine() { return boardView.rows + 2; }
