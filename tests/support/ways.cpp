#include "tests/support/ways.hpp"

#include <deque>

#include "board/board.hpp"

std::vector<std::int32_t> shortestWay(std::int32_t side, std::int32_t from, std::int32_t to)
{
    const auto cells = static_cast<std::int32_t>(board.size());
    std::vector<std::int32_t> cameFrom(board.size(), -1);
    std::deque<std::int32_t> queue{from};
    cameFrom[static_cast<std::size_t>(from)] = from;
    while (!queue.empty()) {
        const std::int32_t i = queue.front();
        queue.pop_front();
        const std::int32_t col = i % side;
        const std::int32_t row = i / side;
        const std::int32_t next[] = {row > 0 ? i - side : -1, col < side - 1 ? i + 1 : -1,
                                     row < side - 1 ? i + side : -1, col > 0 ? i - 1 : -1};
        for (const std::int32_t j : next) {
            if (j < 0 || j >= cells || cameFrom[static_cast<std::size_t>(j)] >= 0) {
                continue;
            }
            const std::int32_t code = board[static_cast<std::size_t>(j)];
            if (code == TileFloor || code == TileGoal) {
                cameFrom[static_cast<std::size_t>(j)] = i;
                queue.push_back(j);
            }
        }
    }
    if (cameFrom[static_cast<std::size_t>(to)] < 0) {
        return {};
    }
    std::vector<std::int32_t> way{to};
    while (way.back() != from) {
        way.push_back(cameFrom[static_cast<std::size_t>(way.back())]);
    }
    return {way.rbegin(), way.rend()};
}

std::string keysAlong(const std::vector<std::int32_t>& way, std::int32_t side)
{
    std::string keys;
    for (std::size_t k = 1; k < way.size(); ++k) {
        const std::int32_t step = way[k] - way[k - 1];
        keys += step == 1 ? 'd' : step == -1 ? 'a' : step == side ? 's' : 'w';
    }
    return keys;
}

std::string keysToGoal(std::int32_t level)
{
    const std::int32_t side = sideLengthFor(level);
    return keysAlong(shortestWay(side, 0, side * side - 1), side);
}

char keyIntoWall(std::int32_t level)
{
    const std::int32_t side = sideLengthFor(level);
    if (board[1] == TileWall) {
        return 'd';
    }
    if (board[static_cast<std::size_t>(side)] == TileWall) {
        return 's';
    }
    return 0;
}
