#pragma once

#include <cstdint>

// Puts the board on the screen. With fullDraw, the level-start draw: the
// header and every cell, or only the cells that may differ from the previous
// level's board when `shownBoard` holds it; the cursor ends on the top-left
// cell. Without, the move mode: the cell left becomes floor, the cell entered
// the player, and the cursor rests on the player.
void drawBoard(std::int32_t level, bool fullDraw, std::int32_t newCol, std::int32_t newRow, std::int32_t oldCol,
               std::int32_t oldRow);

// Shows the cell of a tile code where the cursor stands. The goal takes three
// columns: a blank follows its bars, right of the goal cell.
void printTile(std::int32_t code);

// Puts the cursor on the left half of a cell.
void moveToCell(std::int32_t col, std::int32_t row);
