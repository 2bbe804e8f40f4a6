#include "maze/maze.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <functional>
#include <queue>
#include <string>
#include <utility>
#include <vector>

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

const Direction& directionOf(char letter)
{
    return *std::find_if(std::begin(Directions), std::end(Directions),
                         [letter](const Direction& x) { return x.letter == letter; });
}

// Undoes the last move of the history: the walker leaves the trail and goes
// back to the cell it came from.
void takeBack(Walk& walk)
{
    const Direction& d = directionOf(walk.history.back());
    stepWalker(walk, -d.dRow, -d.dCol, TileFloor);
    walk.history.pop_back();
}

// Draws until the walker steps onto the goal, or until `budget` draws are
// spent, which `draws` counts. True when the goal was reached; the move onto
// it says so, there is no need to look for the goal on the board.
bool walkToGoal(Walk& walk, std::int64_t budget, std::int64_t& draws)
{
    for (std::int64_t draw = 0; draw < budget; ++draw) {
        ++draws;
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

// The index of the cell one step from (row, col), or -1 off the board.
std::int64_t neighbour(const Walk& walk, std::int64_t row, std::int64_t col, const Direction& d)
{
    const std::int64_t r = row + d.dRow;
    const std::int64_t c = col + d.dCol;
    return r < 0 || r >= walk.side || c < 0 || c >= walk.side ? -1 : r * walk.side + c;
}

// Marks the goal and every cell off the trail from which the goal can be
// reached without crossing the trail.
std::vector<char> goalSide(const Walk& walk)
{
    std::vector<char> reached(board.size(), 0);
    std::vector<std::int64_t> next{walk.side * walk.side - 1};
    reached.back() = 1;
    while (!next.empty()) {
        const std::int64_t cell = next.back();
        next.pop_back();
        for (const Direction& d : Directions) {
            const std::int64_t n = neighbour(walk, cell / walk.side, cell % walk.side, d);
            if (n >= 0 && reached[static_cast<std::size_t>(n)] == 0 &&
                board[static_cast<std::size_t>(n)] == TileFloor) {
                reached[static_cast<std::size_t>(n)] = 1;
                next.push_back(n);
            }
        }
    }
    return reached;
}

bool besideGoalSide(const Walk& walk, const std::vector<char>& side, std::int64_t row, std::int64_t col)
{
    return std::any_of(std::begin(Directions), std::end(Directions), [&](const Direction& d) {
        const std::int64_t n = neighbour(walk, row, col, d);
        return n >= 0 && side[static_cast<std::size_t>(n)] != 0;
    });
}

// A walker walled in by its own trail, with the goal outside, leaves its
// pocket one or two moves at a time and may take longer than any budget; the
// walk is taken back at once to the last cell of the trail from which the goal
// can still be reached.
void leavePocket(Walk& walk)
{
    const std::vector<char> side = goalSide(walk);
    if (besideGoalSide(walk, side, walk.row, walk.col)) {
        return;
    }
    std::int64_t row = 0;
    std::int64_t col = 0;
    std::size_t keep = 0;
    for (std::size_t move = 0; move < walk.history.size(); ++move) {
        if (besideGoalSide(walk, side, row, col)) {
            keep = move;
        }
        const Direction& d = directionOf(walk.history[move]);
        row += d.dRow;
        col += d.dCol;
    }
    while (walk.history.size() > keep) {
        takeBack(walk);
    }
}

// The walk that outlived its budget goes on from its trail as it stands,
// leaving any pocket before every board's worth of draws: keeping the trail,
// rather than starting over, keeps large boards as winding as small ones.
bool continueToGoal(Walk& walk, std::int64_t drawsLeft, std::int64_t& draws)
{
    const std::int64_t chunk = walk.side * walk.side | 1;
    for (; drawsLeft > 0; drawsLeft -= chunk) {
        leavePocket(walk);
        if (walkToGoal(walk, std::min(chunk, drawsLeft), draws)) {
            return true;
        }
    }
    return false;
}

// Below the trail's lowest row, every FenceEvery-th row is fenced off for the
// way to the goal but for a gap at its left or right end, in turn: on a large
// board, where the walk stays near its corner, the way winds from side to side
// instead of running down the diagonal. The rows below the trail are all off
// it, so the fences never cut the walker off from the goal.
constexpr std::int64_t FenceEvery = 32;
constexpr std::int64_t FenceGap = 4;

bool fenced(const Walk& walk, std::int64_t firstFence, std::int64_t cell)
{
    const std::int64_t row = cell / walk.side;
    const std::int64_t col = cell % walk.side;
    if (row < firstFence || row == walk.side - 1 || (row - firstFence) % FenceEvery != 0) {
        return false;
    }
    return ((row - firstFence) / FenceEvery) % 2 == 0 ? col < walk.side - FenceGap : col >= FenceGap;
}

// A cheap way from the walker to the goal over the goal's side, searched from
// the goal until it first meets the walker: each step costs more beside the
// trail, where the player would find shortcuts, and a little at random.
// Returns false when the fences leave no way.
bool routeToGoal(Walk& walk, std::int64_t firstFence, std::int64_t& draws)
{
    const std::int64_t cells = walk.side * walk.side;
    std::vector<std::int64_t> cost(static_cast<std::size_t>(cells), -1);
    std::vector<std::int64_t> toward(static_cast<std::size_t>(cells), -1);
    using Entry = std::pair<std::int64_t, std::int64_t>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> open;
    cost.back() = 0;
    open.emplace(0, cells - 1);
    while (!open.empty() && cost[static_cast<std::size_t>(walk.cell)] < 0) {
        const auto [reached, cell] = open.top();
        open.pop();
        if (reached != cost[static_cast<std::size_t>(cell)]) {
            continue;
        }
        for (const Direction& d : Directions) {
            const std::int64_t n = neighbour(walk, cell / walk.side, cell % walk.side, d);
            if (n < 0 || (board[static_cast<std::size_t>(n)] != TileFloor && n != walk.cell) ||
                fenced(walk, firstFence, n)) {
                continue;
            }
            std::int64_t step = 1 + std::rand() % 2;
            for (const Direction& e : Directions) {
                const std::int64_t m = neighbour(walk, n / walk.side, n % walk.side, e);
                step += m >= 0 && board[static_cast<std::size_t>(m)] == TileWall ? 8 : 0;
            }
            std::int64_t& known = cost[static_cast<std::size_t>(n)];
            if (known < 0 || reached + step < known) {
                known = reached + step;
                toward[static_cast<std::size_t>(n)] = cell;
                open.emplace(known, n);
            }
        }
    }
    if (cost[static_cast<std::size_t>(walk.cell)] < 0) {
        return false;
    }
    while (walk.cell != cells - 1) {
        const std::int64_t to = toward[static_cast<std::size_t>(walk.cell)];
        const Direction& d = *std::find_if(std::begin(Directions), std::end(Directions), [&](const Direction& x) {
            return x.dRow * walk.side + x.dCol == to - walk.cell;
        });
        ++draws;
        walk.history.push_back(d.letter);
        stepWalker(walk, d.dRow, d.dCol, TileWall);
    }
    return true;
}

}  // namespace

// Small boards get at least 100,000 draws, so that they are nearly always the
// plain walk's own.
std::int64_t mazeDrawBudget(std::int32_t level)
{
    const std::int64_t side = std::max<std::int64_t>(std::int64_t{level} + 2, 0);
    return std::max<std::int64_t>(20 * side * side, 100'000);
}

std::int64_t generateMazeFromSeed(std::int32_t level, std::uint32_t seed, std::int64_t drawBudget, std::string* path)
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
    // The plain walk first, with the whole budget; past it, the same walk goes
    // on from its trail for at most two budgets (and 10,000,000 draws) more,
    // and a way over the cells still free, which cannot fail, ends it. The
    // budgets stay odd: the Windows runtime's rand() mod 4 repeats every 2^18
    // draws, and an even budget would line the walk's pieces up with it.
    const std::int64_t budget = std::max(drawBudget, side * side) | 1;
    if (!walkToGoal(walk, budget, draws) &&
        !continueToGoal(walk, std::min(2 * budget, std::int64_t{10'000'000}), draws)) {
        leavePocket(walk);
        std::int64_t lowest = 0;
        for (std::int64_t row = 0; const char letter : walk.history) {
            row += directionOf(letter).dRow;
            lowest = std::max(lowest, row);
        }
        if (!routeToGoal(walk, lowest + 2, draws)) {
            routeToGoal(walk, side, draws);
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
    generateMazeFromSeed(level, static_cast<std::uint32_t>(platform::calendarSeconds()), mazeDrawBudget(level));
}
