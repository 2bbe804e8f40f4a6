#include "maze/maze.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <string>

#include "board/board.hpp"
#include "platform/platform.hpp"

namespace {

// One direction of the walk: the letter it leaves in the move history and the
// row and column it changes.
struct Direction {
    char letter;
    std::int32_t dRow;
    std::int32_t dCol;
};

// Indexed by the draw: up, right, down, left.
constexpr Direction Directions[4] = {{'w', -1, 0}, {'d', 0, 1}, {'s', 1, 0}, {'a', 0, -1}};

// The walk keeps the walker's place itself instead of looking for it on the
// board at every draw: that makes each draw cost the same on any board.
struct Walk {
    std::int64_t side;
    std::int64_t row = 0;
    std::int64_t col = 0;
    std::int64_t cell = 0;
    // One letter per move that has not been taken back, oldest first.
    std::string history;
};

// Puts the walker on the top-left cell and the goal on the last one, with
// every other cell off the trail and no moves made.
void startWalk(Walk& walk)
{
    board.assign(static_cast<std::size_t>(walk.side * walk.side), TileFloor);
    board.front() = TileWalker;
    board.back() = TileGoal;
    walk.row = 0;
    walk.col = 0;
    walk.cell = 0;
    walk.history.clear();
}

// Marks the walker's cell as `leaveAs` and puts the walker one step further.
void stepWalker(Walk& walk, std::int32_t dRow, std::int32_t dCol, std::int32_t leaveAs)
{
    const std::int64_t step = dRow * walk.side + dCol;
    playerCell = board.data() + walk.cell;
    *playerCell = leaveAs;
    playerCell += step;
    *playerCell = TileWalker;
    walk.cell += step;
    walk.row += dRow;
    walk.col += dCol;
}

// Undoes the last move of the history: the walker leaves the trail and goes
// back to the cell it came from.
void takeBack(Walk& walk)
{
    const char letter = walk.history.back();
    const Direction& d = *std::find_if(std::begin(Directions), std::end(Directions),
                                       [letter](const Direction& x) { return x.letter == letter; });
    stepWalker(walk, -d.dRow, -d.dCol, TileFloor);
    walk.history.pop_back();
}

// Draws until the walker steps onto the goal, or until `budget` draws are
// spent. True when the goal was reached; the move onto it says so, there is
// no need to look for the goal on the board.
bool walkToGoal(Walk& walk, std::int64_t budget)
{
    for (std::int64_t draw = 0; draw < budget; ++draw) {
        const Direction& d = Directions[std::rand() % 4];
        const std::int64_t row = walk.row + d.dRow;
        const std::int64_t col = walk.col + d.dCol;
        if (row < 0 || row >= walk.side || col < 0 || col >= walk.side) {
            continue;
        }
        const std::int32_t target = board[static_cast<std::size_t>(row * walk.side + col)];
        if (target == TileWall) {
            // The trail is in the way. The first three moves always stay, so
            // the walker never loses its way out of the corner.
            if (walk.history.size() > 3) {
                takeBack(walk);
                if (walk.history.size() >= 4) {
                    takeBack(walk);
                }
            }
            continue;
        }
        walk.history.push_back(d.letter);
        stepWalker(walk, d.dRow, d.dCol, TileWall);
        if (target == TileGoal) {
            return true;
        }
    }
    return false;
}

}  // namespace

// Half the walks reach the goal within about 8 to 20 draws per cell; one
// that has not by then has often walled itself into a pocket of its own
// trail, which it leaves one or two moves at a time, and starting over is
// quicker than waiting. Short budgets win on large boards: over 1000 walks at
// level 100, 20 draws per cell kept the slowest under 100 ms, where 100 per
// cell let it take 460 ms. 100,000 draws take about a millisecond, so small
// boards get at least that many and hardly ever start over: up to level 30
// nearly every board is the one the walk alone would lay.
std::int64_t mazeDrawBudget(std::int32_t level)
{
    const std::int64_t side = std::max<std::int64_t>(std::int64_t{level} + 2, 0);
    return std::max<std::int64_t>(20 * side * side, 100'000);
}

void generateMazeFromSeed(std::int32_t level, std::uint32_t seed, std::int64_t drawBudget)
{
    // Wide enough for any level without overflowing.
    const std::int64_t side = std::int64_t{level} + 2;
    board.clear();
    std::srand(seed);
    if (level < 0) {
        // No room for the player and the goal apart: at -1 they would share
        // the only cell and the walker could never step onto the goal, below
        // that there are no cells at all. The board stays empty.
        playerCell = nullptr;
        return;
    }

    // While walking, wall marks the trail and floor the cells off it.
    Walk walk{side, 0, 0, 0, {}};
    startWalk(walk);
    // A walk that walls itself into a pocket of its own trail can take ages to
    // back out of it; past the budget it starts over from the corner, on the
    // random numbers that follow. It needs at least 2 x (side - 1) draws, so
    // one per cell always leaves it room. The budget is odd, so each new walk
    // starts at a new place of the random numbers: the Windows runtime's
    // rand() mod 4 repeats every 2^18 draws, and an even budget such as 2^18
    // (level 254) made every walk the same one, over and over, for ever.
    const std::int64_t budget = std::max(drawBudget, side * side) | 1;
    while (!walkToGoal(walk, budget)) {
        startWalk(walk);
    }

    for (std::int32_t& cell : board) {
        if (cell == TileWall) {
            cell = TileFloor;
        } else if (cell == TileFloor) {
            cell = TileWall;
        }
    }
    board.front() = TilePlayer;
    board.back() = TileGoal;
}

void generateMaze(std::int32_t level)
{
    generateMazeFromSeed(level, static_cast<std::uint32_t>(platform::calendarSeconds()),
                         mazeDrawBudget(level));
}
