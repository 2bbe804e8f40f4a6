// Ways across a board, for tests that play a level as a player would.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// A shortest way from one cell to the nearest cell where `arrive` holds, over
// cells where `pass` holds; both ends included, empty when there is none.
// Written here whole, so that the tests of the built game walk the board they
// read from its screen without linking the game.
inline std::vector<std::int32_t> shortestWay(std::int32_t side, std::int32_t from,
                                             const std::function<bool(std::int32_t)>& pass,
                                             const std::function<bool(std::int32_t)>& arrive)
{
    std::vector<std::int32_t> cameFrom(static_cast<std::size_t>(side) * static_cast<std::size_t>(side), -1);
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
            if (j < 0 || cameFrom[static_cast<std::size_t>(j)] >= 0) {
                continue;
            }
            if (arrive(j)) {
                std::vector<std::int32_t> way{j, i};
                while (way.back() != from) {
                    way.push_back(cameFrom[static_cast<std::size_t>(way.back())]);
                }
                return {way.rbegin(), way.rend()};
            }
            if (pass(j)) {
                cameFrom[static_cast<std::size_t>(j)] = i;
                queue.push_back(j);
            }
        }
    }
    return {};
}

// The movement keys (w, a, s, d) that walk the way.
inline std::string keysAlong(const std::vector<std::int32_t>& way, std::int32_t side)
{
    std::string keys;
    for (std::size_t k = 1; k < way.size(); ++k) {
        const std::int32_t step = way[k] - way[k - 1];
        keys += step == 1 ? 'd' : step == -1 ? 'a' : step == side ? 's' : 'w';
    }
    return keys;
}

// On the current board: a shortest way over floor and goal cells from one
// cell to another.
std::vector<std::int32_t> shortestWay(std::int32_t side, std::int32_t from, std::int32_t to);

// The keys that take the player from the top-left cell to the goal.
std::string keysToGoal(std::int32_t level);

// A test's fresh start: a blank console of this size, and the game's board,
// snapshot and player pointer empty as at program start.
void startFresh(int columns = 120, int lines = 40);
