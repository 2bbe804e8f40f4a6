#include "maze/maze.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <string>
#include <utility>

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

// The direction of one draw. Lean 0 is the plain walk: rand() mod 4 names
// the direction. A lean of k draws from 4k + 2 numbers instead, the last two
// naming right and down: each of those two comes k + 1 times in 4k + 2 and up
// and left k times, so the smaller k, the harder the walk drifts toward the
// goal in the bottom-right corner.
const Direction& drawDirection(std::int32_t lean)
{
    if (lean == 0) {
        return Directions[std::rand() % 4];
    }
    const std::int32_t r = std::rand() % (4 * lean + 2);
    return Directions[r < 4 * lean ? r % 4 : 1 + (r - 4 * lean)];
}

// Draws until the walker steps onto the goal, or until `budget` draws are
// spent, which `draws` counts. True when the goal was reached; the move onto
// it says so, there is no need to look for the goal on the board.
bool walkToGoal(Walk& walk, std::int64_t budget, std::int32_t lean, std::int64_t& draws)
{
    for (std::int64_t draw = 0; draw < budget; ++draw) {
        ++draws;
        const Direction& d = drawDirection(lean);
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

// The last resort, which cannot fail: only right or down, one draw per move,
// along the edge once the walker reaches one. It never meets its trail and
// reaches the goal in exactly 2 x (side - 1) draws.
void walkStraightToGoal(Walk& walk, std::int64_t& draws)
{
    while (walk.cell != walk.side * walk.side - 1) {
        ++draws;
        const bool right = std::rand() % 2 == 0;
        const Direction& d =
            Directions[walk.row == walk.side - 1 || (right && walk.col < walk.side - 1) ? 1 : 2];
        walk.history.push_back(d.letter);
        stepWalker(walk, d.dRow, d.dCol, TileWall);
    }
}

}  // namespace

// Half the walks reach the goal within about 8 to 20 draws per cell; one
// that has not by then has often walled itself into a pocket of its own
// trail, which it leaves one or two moves at a time. 100,000 draws take about
// a millisecond, so small boards get at least that many and hardly ever run
// out: up to level 30 nearly every board is the one the plain walk lays. On
// large boards the plain walk hardly ever gets there within the budget (none
// of 50 walks at levels 600 and 999), and a leaning walk lays the board (see
// generateMazeFromSeed).
std::int64_t mazeDrawBudget(std::int32_t level)
{
    const std::int64_t side = std::max<std::int64_t>(std::int64_t{level} + 2, 0);
    return std::max<std::int64_t>(20 * side * side, 100'000);
}

std::int64_t generateMazeFromSeed(std::int32_t level, std::uint32_t seed, std::int64_t drawBudget,
                                  std::string* path)
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
        return 0;
    }

    // While walking, wall marks the trail and floor the cells off it.
    Walk walk{side, 0, 0, 0, {}};
    startWalk(walk);
    std::int64_t draws = 0;
    // The plain walk first, with the whole budget. It needs at least
    // 2 x (side - 1) draws, so one per cell always leaves it room. Once it has
    // spent the budget it is given up, and the walk starts over from the
    // corner on the random numbers that follow, leaning toward the goal, with
    // a tenth of the budget: first with a lean of 32 (right and down each
    // drawn 33 times in 130, hardly less winding than the plain walk), twice
    // as hard at each start-over down to 1 (right and down twice as often as
    // up and left), and at last straight. So no board takes much more than
    // 1.6 budgets, on any runtime's random numbers. Starting the plain walk
    // over instead took minutes at level 700; at level 999 most boards now
    // end at a lean of 16 or 8, a few hundred milliseconds after the budget,
    // with a path about three times the shortest. The budgets stay odd, as
    // when the plain walk started over: the Windows runtime's rand() mod 4
    // repeats every 2^18 draws, and an even budget such as 2^18 (level 254)
    // then made it walk the same walk for ever. A schedule with an end cannot
    // loop, but no walk starts where the last one did. Any path from corner to
    // corner has an even number of steps, at least 2 x (side - 1): each step
    // changes row + column by one, from 0 to 2 x (side - 1).
    const std::int64_t budget = std::max(drawBudget, side * side) | 1;
    if (!walkToGoal(walk, budget, 0, draws)) {
        bool reached = false;
        for (std::int32_t lean = 32; lean >= 1 && !reached; lean /= 2) {
            startWalk(walk);
            reached = walkToGoal(walk, (budget / 10) | 1, lean, draws);
        }
        if (!reached) {
            startWalk(walk);
            walkStraightToGoal(walk, draws);
        }
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
    if (path != nullptr) {
        *path = std::move(walk.history);
    }
    return draws;
}

void generateMaze(std::int32_t level)
{
    generateMazeFromSeed(level, static_cast<std::uint32_t>(platform::calendarSeconds()),
                         mazeDrawBudget(level));
}
