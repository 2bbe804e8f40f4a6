#pragma once

#include <cstdint>
#include <optional>

// Puts the board on the screen. With fullDraw, the level-start draw of the
// whole board: the header and every cell, or only the cells that may differ
// from the previous level's board when `shownBoard` holds it; the cursor ends
// on the top-left cell. Without, the move mode: the cell left becomes floor,
// the cell entered the player, and the cursor rests on the player. Cells are
// placed by the view on the screen (`boardView`), which a full draw makes the
// whole board.
void drawBoard(std::int32_t level, bool fullDraw, std::int32_t newCol, std::int32_t newRow, std::int32_t oldCol,
               std::int32_t oldRow);

// Shows the cell of a tile code where the cursor stands. The goal takes three
// columns: a blank follows its bars, right of the goal cell.
void printTile(std::int32_t code);

// Puts the cursor on the left half of a cell of the view.
void moveToCell(std::int32_t col, std::int32_t row);

// How far the goal lies from the player, in cells: to the right and down (to
// the left and up where less than 0).
struct GoalDistance {
    std::int32_t right = 0;
    std::int32_t down = 0;
    friend bool operator==(const GoalDistance&, const GoalDistance&) = default;
};

// On a cleared screen, a board larger than the window: the header, with the
// goal's distance when there is a goal, and the cells of `boardView`.
void drawView(std::int32_t level, const std::optional<GoalDistance>& goal);
// Every cell of `boardView` again, once it has moved: nothing else changes.
void drawViewCells(std::int32_t level);
// The header's figures of the goal's distance that differ from those shown.
void drawGoalDistance(std::int32_t level, const GoalDistance& now, const GoalDistance& shown);
