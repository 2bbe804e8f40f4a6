#include "board/render.hpp"

#include <algorithm>

#include "board/board.hpp"
#include "platform/platform.hpp"

void moveToCell(std::int32_t col, std::int32_t row)
{
    platform::moveCursor(static_cast<std::int16_t>(cellX(col)), static_cast<std::int16_t>(cellY(row)));
}

void printTile(std::int32_t code)
{
    platform::printCell(cellFor(code));
    if (code == TileGoal) {
        platform::printText(L" ");
    }
}

namespace {

// Every cell one after the other, a line break after each full row.
void drawFresh(std::int32_t side)
{
    for (std::size_t i = 0; i < board.size(); ++i) {
        printTile(board[i]);
        if ((i + 1) % static_cast<std::size_t>(side) == 0) {
            platform::printText(L"\n");
        }
    }
}

// The previous level's board, one cell narrower, is still on the screen: only
// what may differ from it is repainted. The last column covers the old goal's
// space, the last two rows cover the old board's bottom and its message line,
// and cell 0 covers the floor the player left there.
void drawDifference(std::int32_t side)
{
    const auto width = static_cast<std::size_t>(side);
    for (std::size_t i = 0; i < board.size(); ++i) {
        const std::size_t row = i / width;
        const std::size_t col = i % width;
        const bool redraw =
            (i + 1) % width == 0 || i + 1 >= shownBoard.size() || i == 0 || board[i] != shownBoard[i - row];
        if (redraw) {
            moveToCell(static_cast<std::int32_t>(col), static_cast<std::int32_t>(row));
            printTile(board[i]);
        }
    }
}

}  // namespace

void drawBoard(std::int32_t level, bool fullDraw, std::int32_t newCol, std::int32_t newRow, std::int32_t oldCol,
               std::int32_t oldRow)
{
    if (!fullDraw) {
        moveToCell(oldCol, oldRow);
        printTile(TileFloor);
        moveToCell(newCol, newRow);
        printTile(TilePlayer);
        moveToCell(newCol, newRow);
        return;
    }
    platform::moveCursor(0, 0);
    platform::printText(L"Level " + std::to_wstring(level) + L"\n\n");
    // A playable level has a side of at least 2; the guard only keeps a
    // nonsensical level from dividing by zero.
    const std::int32_t side = std::max(sideLengthFor(level), 1);
    if (shownBoard.empty()) {
        drawFresh(side);
    } else {
        drawDifference(side);
    }
    platform::moveCursor(0, 2);
}
