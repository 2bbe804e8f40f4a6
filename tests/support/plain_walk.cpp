#include "tests/support/plain_walk.hpp"

#include <cstdlib>
#include <string>

#include "board/board.hpp"

namespace plainwalk {

namespace {

struct Walker {
    std::vector<std::int32_t>& cells;
    std::int32_t side;
    std::int32_t col = 0;
    std::int32_t row = 0;
    std::string history;
};

// Plain loops rather than std::find and std::count: the linker may take an
// unoptimised, instrumented copy of those templates from another object, and
// the walk scans the whole board at every step.
std::int32_t* findWalker(std::vector<std::int32_t>& cells)
{
    std::int32_t* at = cells.data();
    while (*at != TileWalker) {
        ++at;
    }
    return at;
}

bool goalLeft(const std::vector<std::int32_t>& cells)
{
    for (const std::int32_t* at = cells.data(); at != cells.data() + cells.size(); ++at) {
        if (*at == TileGoal) {
            return true;
        }
    }
    return false;
}

void takeBackOne(Walker& w)
{
    const char c = w.history.back();
    std::int32_t* at = findWalker(w.cells);
    *at = TileFloor;
    switch (c) {
    case 'w': at += w.side; w.row += 1; break;
    case 'd': at -= 1; w.col -= 1; break;
    case 's': at -= w.side; w.row -= 1; break;
    default: at += 1; w.col += 1; break;
    }
    *at = TileWalker;
    w.history.pop_back();
}

}  // namespace

Outcome walk(std::vector<std::int32_t>& cells, std::int32_t level, std::int64_t maxDraws)
{
    const std::int32_t side = level + 2;
    const std::int32_t count = side * side;
    cells.clear();
    cells.insert(cells.end(), count, TileFloor);
    cells[0] = TileWalker;
    cells[count - 1] = TileGoal;
    Walker w{cells, side, 0, 0, {}};

    std::int64_t draws = 0;
    for (;;) {
        if (!goalLeft(cells)) {
            break;
        }
        if (draws == maxDraws) {
            return {false, draws, w.history};
        }
        ++draws;
        const int d = std::rand() % 4;
        const std::int32_t i = static_cast<std::int32_t>(findWalker(cells) - cells.data());
        bool allowed = false;
        std::int32_t target = 0;
        switch (d) {
        case 0: allowed = w.row >= 1; target = i - side; break;
        case 1: allowed = w.col < side - 1; target = i + 1; break;
        case 2: allowed = w.row < side - 1; target = i + side; break;
        default: allowed = w.col >= 1; target = i - 1; break;
        }
        if (!allowed) {
            continue;
        }
        if (cells[target] == TileWall) {
            if (w.history.size() <= 3) {
                continue;
            }
            takeBackOne(w);
            if (w.history.size() >= 4) {
                takeBackOne(w);
            }
            continue;
        }
        w.history += "wdsa"[d];
        std::int32_t* at = &cells[i];
        *at = TileWall;
        switch (d) {
        case 0: w.row -= 1; break;
        case 1: w.col += 1; break;
        case 2: w.row += 1; break;
        default: w.col -= 1; break;
        }
        at += target - i;
        *at = TileWalker;
    }

    for (std::int32_t& cell : cells) {
        if (cell == TileWall) {
            cell = TileFloor;
        } else if (cell == TileFloor) {
            cell = TileWall;
        }
    }
    cells[0] = TilePlayer;
    cells[count - 1] = TileGoal;
    return {true, draws, w.history};
}

}  // namespace plainwalk
