#include "board/render.hpp"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "board/board.hpp"
#include "board/view.hpp"
#include "platform/platform.hpp"

void moveToCell(std::int32_t col, std::int32_t row)
{
    platform::moveCursor(static_cast<std::int16_t>(cellX(col - boardView.left)),
                         static_cast<std::int16_t>(cellY(row - boardView.top)));
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

// The goal's distance: "goal: R right, D down", each figure as wide as the
// widest on this board, so that a figure rewritten covers the one before.
struct GoalText {
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::size_t width = 0;
};

GoalText goalText(std::int32_t level)
{
    const std::size_t width = std::to_string(sideLengthFor(level) - 1).size();
    const auto afterLevel = static_cast<std::int16_t>(std::to_wstring(level).size() + 8);
    return boardView.goalBelow ? GoalText{0, 1, width} : GoalText{afterLevel, 0, width};
}

// One figure and its word, right-aligned in the room of the widest.
std::wstring distanceText(std::int32_t cells, std::size_t width, std::wstring_view onward, std::wstring_view back)
{
    std::wstring text = std::to_wstring(std::abs(cells)) + L" " + std::wstring(cells >= 0 ? onward : back);
    return std::wstring(width + 1 + onward.size() - text.size(), L' ') + text;
}

std::wstring rightText(std::int32_t cells, std::size_t width) { return distanceText(cells, width, L"right", L"left"); }
std::wstring downText(std::int32_t cells, std::size_t width) { return distanceText(cells, width, L"down", L"up"); }

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
    boardView = View{0, 0, side, side, false};
    if (shownBoard.empty()) {
        drawFresh(side);
    } else {
        drawDifference(side);
    }
    platform::moveCursor(0, 2);
}

void drawView(std::int32_t level, const std::optional<GoalDistance>& goal)
{
    platform::moveCursor(0, 0);
    platform::printText(L"Level " + std::to_wstring(level));
    if (goal) {
        const GoalText at = goalText(level);
        platform::moveCursor(at.x, at.y);
        platform::printText(L"goal: " + rightText(goal->right, at.width) + L", " + downText(goal->down, at.width));
    }
    drawViewCells(level);
}

void drawViewCells(std::int32_t level)
{
    const auto side = static_cast<std::size_t>(std::max(sideLengthFor(level), 1));
    for (std::int32_t row = boardView.top; row < boardView.top + boardView.rows; ++row) {
        moveToCell(boardView.left, row);
        for (std::int32_t col = boardView.left; col < boardView.left + boardView.columns; ++col) {
            const std::size_t i = static_cast<std::size_t>(row) * side + static_cast<std::size_t>(col);
            if (i >= board.size()) {
                return;
            }
            printTile(board[i]);
            // The goal's space would push the rest of the row aside.
            if (board[i] == TileGoal && col + 1 < boardView.left + boardView.columns) {
                moveToCell(col + 1, row);
            }
        }
    }
}

void drawGoalDistance(std::int32_t level, const GoalDistance& now, const GoalDistance& shown)
{
    const GoalText at = goalText(level);
    const auto rightX = static_cast<std::int16_t>(at.x + 6);
    if (now.right != shown.right) {
        platform::moveCursor(rightX, at.y);
        platform::printText(rightText(now.right, at.width));
    }
    if (now.down != shown.down) {
        platform::moveCursor(static_cast<std::int16_t>(rightX + at.width + 8), at.y);
        platform::printText(downText(now.down, at.width));
    }
}
