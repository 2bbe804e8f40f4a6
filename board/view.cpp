#include "board/view.hpp"

#include <algorithm>
#include <string>

View boardView;

namespace {

// The columns of the widest number of cells the distance may take on a board
// of this side: from one edge to the other.
std::int32_t figureWidth(std::int32_t side) { return static_cast<std::int32_t>(std::to_string(side - 1).size()); }

// "Level N  goal: R right, D down" at its widest for the level.
std::int32_t oneLineHeaderWidth(std::int32_t side)
{
    const auto level = static_cast<std::int32_t>(std::to_string(side - 2).size());
    return 6 + level + 2 + 6 + (figureWidth(side) + 6) + 2 + (figureWidth(side) + 5);
}

// Along one side of the board: where a view of `size` cells starts to have
// `at` in its middle, kept inside the board.
std::int32_t centredStart(std::int32_t at, std::int32_t size, std::int32_t side)
{
    return std::clamp(at - size / 2, 0, std::max(side - size, 0));
}

// The same view start while `at` keeps a quarter of the view from each end
// with more board beyond it, else the start that centres it.
std::int32_t followedStart(std::int32_t start, std::int32_t size, std::int32_t at, std::int32_t side)
{
    const std::int32_t margin = size / 4;
    const bool nearFirst = start > 0 && at - start < margin;
    const bool nearLast = start + size < side && start + size - 1 - at < margin;
    const bool outside = at < start || at >= start + size;
    return nearFirst || nearLast || outside ? centredStart(at, size, side) : start;
}

}  // namespace

bool boardFitsWindow(std::int32_t side, const std::optional<platform::ConsoleSize>& window)
{
    return !window || (window->columns >= 2 * side + 1 && window->lines >= side + 3);
}

bool windowPlays(std::int32_t side, const std::optional<platform::ConsoleSize>& window)
{
    return boardFitsWindow(side, window) ||
           (window->columns >= SmallestWindowColumns && window->lines >= SmallestWindowLines);
}

platform::ConsoleSize windowToAskFor(std::int32_t side)
{
    if (2 * side + 1 <= SmallestWindowColumns) {
        return {2 * side + 1, side + 3};
    }
    return {SmallestWindowColumns, SmallestWindowLines};
}

View viewAround(std::int32_t side, const std::optional<platform::ConsoleSize>& window, std::int32_t col,
                std::int32_t row)
{
    if (boardFitsWindow(side, window)) {
        return {0, 0, side, side, false};
    }
    // One column stays free beside the view for the goal's space.
    const std::int32_t columns = window->columns >= 2 * side + 1 ? side : std::max((window->columns - 1) / 2, 1);
    const std::int32_t rows = window->lines >= side + 3 ? side : std::max(window->lines - 3, 1);
    return {centredStart(col, columns, side), centredStart(row, rows, side), columns, rows,
            oneLineHeaderWidth(side) > window->columns};
}

View viewFollowing(const View& view, std::int32_t side, std::int32_t col, std::int32_t row)
{
    View moved = view;
    moved.left = followedStart(view.left, view.columns, col, side);
    moved.top = followedStart(view.top, view.rows, row, side);
    return moved;
}

bool showsWholeBoard(const View& view, std::int32_t side)
{
    return view.left == 0 && view.top == 0 && view.columns == side && view.rows == side;
}
