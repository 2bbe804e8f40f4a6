#include "tests/support/ways.hpp"

#include "board/board.hpp"
#include "tests/support/console.hpp"

std::vector<std::int32_t> shortestWay(std::int32_t side, std::int32_t from, std::int32_t to)
{
    const auto walkable = [](std::int32_t i) {
        const std::int32_t code = board.at(static_cast<std::size_t>(i));
        return code == TileFloor || code == TileGoal;
    };
    return shortestWay(side, from, walkable, [&](std::int32_t i) { return i == to && walkable(i); });
}

std::string keysToGoal(std::int32_t level)
{
    const std::int32_t side = sideLengthFor(level);
    return keysAlong(shortestWay(side, 0, side * side - 1), side);
}

void startFresh(int columns, int lines)
{
    testconsole::reset(columns, lines);
    board.clear();
    shownBoard.clear();
    playerCell = nullptr;
}
