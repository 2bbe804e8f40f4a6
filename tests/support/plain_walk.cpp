#include "tests/support/plain_walk.hpp"

#include <cstdlib>
#include <string_view>

#include "board/board.hpp"

namespace plainwalk {

Outcome walk(std::vector<std::int32_t>& cells, std::int32_t level, std::int64_t maxDraws)
{
    const std::int32_t side = level + 2;
    // Per draw 0..3 (up, right, down, left): its letter and its step.
    const std::string_view letters = "wdsa";
    const std::int32_t rowStep[] = {-1, 0, 1, 0}, colStep[] = {0, 1, 0, -1};
    cells.assign(static_cast<std::size_t>(side) * static_cast<std::size_t>(side), TileFloor);
    cells.front() = TileWalker;
    cells.back() = TileGoal;
    std::int32_t col = 0, row = 0;
    std::string history;
    // Leaves the walker's cell as `mark` and steps by draw d, or back against it. Plain loops, not std::find
    // or std::count: the linker may take an unoptimised, instrumented copy of those templates from another
    // object, and the walk scans the whole board at every draw.
    const auto step = [&](int d, int sign, std::int32_t mark) {
        std::int32_t* at = cells.data();
        while (*at != TileWalker) {
            ++at;
        }
        *at = mark;
        row += sign * rowStep[d];
        col += sign * colStep[d];
        *(at + std::ptrdiff_t{sign} * (std::ptrdiff_t{rowStep[d]} * side + colStep[d])) = TileWalker;
    };
    const auto goalLeft = [&] {
        bool left = false;
        for (const std::int32_t cell : cells) {
            left = left || cell == TileGoal;
        }
        return left;
    };
    std::int64_t draws = 0;
    for (; goalLeft(); ++draws) {
        if (draws == maxDraws) {
            return {false, draws, history};
        }
        const int d = std::rand() % 4;
        const std::int32_t r = row + rowStep[d];
        const std::int32_t c = col + colStep[d];
        const std::int32_t next = r * side + c;
        if (r < 0 || c < 0 || r >= side || c >= side) {
            continue;
        }
        if (cells[static_cast<std::size_t>(next)] != TileWall) {
            history += letters[d];
            step(d, 1, TileWall);
        } else {
            // Against its own trail the walker takes back two steps, keeping at least three.
            for (int back = 0; back < 2 && history.size() > 3; ++back) {
                step(static_cast<int>(letters.find(history.back())), -1, TileFloor);
                history.pop_back();
            }
        }
    }
    for (std::int32_t& cell : cells) {
        cell = cell == TileWall ? TileFloor : cell == TileFloor ? TileWall : cell;
    }
    cells.front() = TilePlayer;
    cells.back() = TileGoal;
    return {true, draws, history};
}

}  // namespace plainwalk
