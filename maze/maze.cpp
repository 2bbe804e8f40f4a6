#include "maze/maze.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
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

// No straight run of floor in a row or a column is longer: a player holding a
// key down along a corridor is not finding a way.
constexpr std::int64_t LongestRun = 30;

// Indexed by the draw: up, right, down, left.
constexpr Direction Directions[4] = {{'w', -1, 0}, {'d', 0, 1}, {'s', 1, 0}, {'a', 0, -1}};

// Rows [top, bottom) and columns [left, right) of a grid: where a walk may go.
struct Area {
    std::int64_t top;
    std::int64_t left;
    std::int64_t bottom;
    std::int64_t right;
};

// A walk over `cells`, a grid `side` cells wide (the board, or the grid of its
// blocks), kept within `area`. The walk keeps the walker's place itself
// instead of looking for it at every draw: each draw costs the same on any
// board. While walking, wall marks the trail and floor the cells off it.
struct Walk {
    std::vector<std::int32_t>& cells;
    std::int64_t side;
    Area area;
    int (*random)();
    // The longest straight run of trail a step may make in a row or a column;
    // 0 for no limit.
    std::int64_t longestRun = 0;
    std::int64_t row = 0;
    std::int64_t col = 0;
    // One letter per move that has not been taken back, oldest first.
    std::string history;
};

int draw(const Walk& walk) { return walk.random != nullptr ? walk.random() : std::rand(); }

std::int32_t& cellAt(Walk& walk, std::int64_t row, std::int64_t col)
{
    return walk.cells[static_cast<std::size_t>(row * walk.side + col)];
}

bool inArea(const Area& area, std::int64_t row, std::int64_t col)
{
    return row >= area.top && row < area.bottom && col >= area.left && col < area.right;
}

// The place of (row, col) in a list of the area's cells, row by row.
std::size_t areaIndex(const Area& area, std::int64_t row, std::int64_t col)
{
    return static_cast<std::size_t>((row - area.top) * (area.right - area.left) + col - area.left);
}

// Marks the walker's cell as `leaveAs` and puts the walker one step further;
// on the board, through the walker's pointer.
void stepWalker(Walk& walk, std::int32_t dRow, std::int32_t dCol, std::int32_t leaveAs)
{
    std::int32_t* piece = &cellAt(walk, walk.row, walk.col);
    *piece = leaveAs;
    piece += dRow * walk.side + dCol;
    *piece = TileWalker;
    walk.row += dRow;
    walk.col += dCol;
    if (&walk.cells == &board) {
        playerCell = piece;
    }
}

const Direction& directionOf(char letter)
{
    switch (letter) {
    case 'w': return Directions[0];
    case 'd': return Directions[1];
    case 's': return Directions[2];
    default: return Directions[3];
    }
}

// Undoes the last move of the history: the walker leaves the trail and goes
// back to the cell it came from.
void takeBack(Walk& walk)
{
    const Direction& d = directionOf(walk.history.back());
    stepWalker(walk, -d.dRow, -d.dCol, TileFloor);
    walk.history.pop_back();
}

// How many cells in a row, from the one at (row, col) on in direction d, are
// trail, walker or goal: floor of the finished board.
std::int64_t runFrom(Walk& walk, std::int64_t row, std::int64_t col, const Direction& d, std::int64_t atMost)
{
    std::int64_t run = 0;
    for (row += d.dRow, col += d.dCol; run < atMost && row >= 0 && row < walk.side && col >= 0 && col < walk.side &&
                                       cellAt(walk, row, col) != TileFloor;
         row += d.dRow, col += d.dCol) {
        ++run;
    }
    return run;
}

// Whether a step onto (row, col) would join a straight run of floor longer
// than the walk allows, in its row or its column.
bool makesLongRun(Walk& walk, std::int64_t row, std::int64_t col)
{
    if (walk.longestRun == 0) {
        return false;
    }
    const std::int64_t across = runFrom(walk, row, col, Directions[1], walk.longestRun) +
                                runFrom(walk, row, col, Directions[3], walk.longestRun);
    const std::int64_t down = runFrom(walk, row, col, Directions[0], walk.longestRun) +
                              runFrom(walk, row, col, Directions[2], walk.longestRun);
    return std::max(across, down) >= walk.longestRun;
}

// Draws until the walker steps onto the goal, or until `budget` draws are
// spent, which `draws` counts. True when the goal was reached; the move onto
// it says so, there is no need to look for the goal on the board.
bool walkToGoal(Walk& walk, std::int64_t budget, std::int64_t& draws)
{
    for (std::int64_t n = 0; n < budget; ++n) {
        ++draws;
        const Direction& d = Directions[draw(walk) % 4];
        const std::int64_t row = walk.row + d.dRow;
        const std::int64_t col = walk.col + d.dCol;
        if (!inArea(walk.area, row, col)) {
            continue;
        }
        const std::int32_t target = cellAt(walk, row, col);
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
        if (makesLongRun(walk, row, col)) {
            // Like the edge of the board: the walker stays.
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

// Clears the walk's area, marks the goal and puts the walker on its start,
// with no moves made.
void startWalk(Walk& walk, std::int64_t row, std::int64_t col, std::int64_t goalRow, std::int64_t goalCol)
{
    for (std::int64_t r = walk.area.top; r < walk.area.bottom; ++r) {
        std::fill_n(walk.cells.begin() + static_cast<std::ptrdiff_t>(r * walk.side + walk.area.left),
                    walk.area.right - walk.area.left, TileFloor);
    }
    cellAt(walk, goalRow, goalCol) = TileGoal;
    walk.row = row;
    walk.col = col;
    walk.history.clear();
    cellAt(walk, row, col) = TileWalker;
}

// Marks the goal and every cell of the walk's area off the trail from which
// the goal can be reached without crossing the trail.
std::vector<char> goalSide(Walk& walk, std::int64_t goalRow, std::int64_t goalCol)
{
    const Area& a = walk.area;
    std::vector<char> reached(static_cast<std::size_t>((a.bottom - a.top) * (a.right - a.left)), 0);
    std::vector<std::pair<std::int64_t, std::int64_t>> next{{goalRow, goalCol}};
    reached[areaIndex(a, goalRow, goalCol)] = 1;
    while (!next.empty()) {
        const auto [row, col] = next.back();
        next.pop_back();
        for (const Direction& d : Directions) {
            const std::int64_t r = row + d.dRow;
            const std::int64_t c = col + d.dCol;
            if (inArea(a, r, c) && reached[areaIndex(a, r, c)] == 0 && cellAt(walk, r, c) == TileFloor) {
                reached[areaIndex(a, r, c)] = 1;
                next.emplace_back(r, c);
            }
        }
    }
    return reached;
}

bool besideGoalSide(const Walk& walk, const std::vector<char>& side, std::int64_t row, std::int64_t col)
{
    return std::any_of(std::begin(Directions), std::end(Directions), [&](const Direction& d) {
        const std::int64_t r = row + d.dRow;
        const std::int64_t c = col + d.dCol;
        return inArea(walk.area, r, c) && side[areaIndex(walk.area, r, c)] != 0;
    });
}

// A walker walled in by its own trail, with the goal outside, leaves its
// pocket one or two moves at a time and may take longer than any budget; it
// takes its moves back at once to the last cell of its trail from which the
// goal can still be reached.
void leavePocket(Walk& walk, std::int64_t startRow, std::int64_t startCol, std::int64_t goalRow, std::int64_t goalCol)
{
    const std::vector<char> side = goalSide(walk, goalRow, goalCol);
    if (besideGoalSide(walk, side, walk.row, walk.col)) {
        return;
    }
    std::int64_t row = startRow;
    std::int64_t col = startCol;
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

// One walk from the start to the goal within the walk's area: a board's worth
// of draws at a time, up to 20 draws a cell, leaving any pocket in between.
bool walkOnce(Walk& walk, std::int64_t row, std::int64_t col, std::int64_t goalRow, std::int64_t goalCol,
              std::int64_t& draws)
{
    const std::int64_t cells = (walk.area.bottom - walk.area.top) * (walk.area.right - walk.area.left);
    startWalk(walk, row, col, goalRow, goalCol);
    for (int chunk = 0; chunk < 20; ++chunk) {
        if (chunk > 0) {
            leavePocket(walk, row, col, goalRow, goalCol);
        }
        if (walkToGoal(walk, cells | 1, draws)) {
            return true;
        }
    }
    return false;
}

// Only a runtime whose random numbers never lead the walker to the goal
// (always the same direction, say) gets here: the way is then laid down the
// rows and along the columns of a clear area, one step counted as one draw, so
// that any rand() ends within a known number of draws.
void layStraightWay(Walk& walk, std::int64_t row, std::int64_t col, std::int64_t goalRow, std::int64_t goalCol,
                    std::int64_t& draws)
{
    startWalk(walk, row, col, goalRow, goalCol);
    while (walk.row != goalRow || walk.col != goalCol) {
        const Direction& d = walk.row < goalRow   ? Directions[2]
                             : walk.row > goalRow ? Directions[0]
                             : walk.col < goalCol ? Directions[1]
                                                  : Directions[3];
        ++draws;
        walk.history.push_back(d.letter);
        stepWalker(walk, d.dRow, d.dCol, TileWall);
    }
}

// Past the plain walk's budget the board is laid afresh in blocks of at most
// BlockSide cells a side: on a whole large board the walk wanders for hours
// before it meets the goal, within a block it reaches a given cell in a few
// thousand draws. The same walk lays a route over the grid of blocks, from the
// top-left block to the bottom-right one (the longest of RouteWalks walks, so
// that the way visits many blocks); in each block of the route one walk, by
// its own random steps and take-backs (out of a pocket of its own trail, many
// at once), goes from where the way enters to a cell drawn at random on the
// side of the next block. So every stretch of the way is the walk's: no row is
// closed and no way is laid by a rule, and the way winds through blocks all
// over the board, longer the larger the board.
constexpr std::int64_t BlockSide = 48;
constexpr int RouteWalks = 16;
// Walks a block may take, a new exit drawn for every ExitTries of them.
constexpr int BlockTries = 16;
constexpr int ExitTries = 4;

// The first row (or column) of block `index` of `count` along a side.
std::int64_t blockEdge(std::int64_t side, std::int64_t count, std::int64_t index) { return index * side / count; }

// Where the way leaves `block` toward direction `d`: a cell of the block's side
// facing it, drawn from the quarter of that side farthest from the entry, so
// that the walk in between has room to wind.
std::pair<std::int64_t, std::int64_t> exitCell(Walk& walk, const Direction& d, std::int64_t entryRow,
                                               std::int64_t entryCol, std::int64_t& draws)
{
    const Area& block = walk.area;
    const bool acrossRows = d.dCol != 0;
    const std::int64_t fixed = d.dRow < 0   ? block.top
                               : d.dRow > 0 ? block.bottom - 1
                               : d.dCol < 0 ? block.left
                                            : block.right - 1;
    const std::int64_t first = acrossRows ? block.top : block.left;
    const std::int64_t count = acrossRows ? block.bottom - block.top : block.right - block.left;
    const auto distance = [&](std::int64_t along) {
        return acrossRows ? std::abs(along - entryRow) + std::abs(fixed - entryCol)
                          : std::abs(fixed - entryRow) + std::abs(along - entryCol);
    };
    ++draws;
    const std::int64_t offset = draw(walk) % ((count + 3) / 4);
    const std::int64_t along =
        distance(first) > distance(first + count - 1) ? first + offset : first + count - 1 - offset;
    return acrossRows ? std::pair{along, fixed} : std::pair{fixed, along};
}

// The route over a grid of `count` x `count` blocks: the moves of the longest
// of RouteWalks walks from its first block to its last.
std::string walkRoute(std::int64_t count, int (*random)(), std::int64_t& draws)
{
    std::vector<std::int32_t> grid(static_cast<std::size_t>(count * count));
    Walk route{grid, count, {0, 0, count, count}, random, 0, 0, 0, {}};
    std::string longest;
    for (int n = 0; n < RouteWalks && count > 1; ++n) {
        if (walkOnce(route, 0, 0, count - 1, count - 1, draws) && route.history.size() > longest.size()) {
            longest = route.history;
        }
    }
    if (longest.empty() && count > 1) {
        layStraightWay(route, 0, 0, count - 1, count - 1, draws);
        longest = route.history;
    }
    return longest;
}

// Lays the whole board in blocks, as above.
void walkInBlocks(std::int64_t side, int (*random)(), std::string& path, std::int64_t& draws)
{
    const std::int64_t count = (side + BlockSide - 1) / BlockSide;
    const std::string route = walkRoute(count, random, draws);
    board.assign(static_cast<std::size_t>(side * side), TileFloor);
    Walk walk{board, side, {}, random, LongestRun, 0, 0, {}};
    std::int64_t blockRow = 0;
    std::int64_t blockCol = 0;
    std::int64_t row = 0;
    std::int64_t col = 0;
    for (std::size_t leg = 0; leg <= route.size(); ++leg) {
        walk.area = {blockEdge(side, count, blockRow), blockEdge(side, count, blockCol),
                     blockEdge(side, count, blockRow + 1), blockEdge(side, count, blockCol + 1)};
        const Direction* next = leg < route.size() ? &directionOf(route[leg]) : nullptr;
        std::pair<std::int64_t, std::int64_t> exit{side - 1, side - 1};
        bool walked = false;
        for (int attempt = 0; attempt < BlockTries && !walked; ++attempt) {
            if (next != nullptr && attempt % ExitTries == 0) {
                exit = exitCell(walk, *next, row, col, draws);
            }
            walked = walkOnce(walk, row, col, exit.first, exit.second, draws);
        }
        if (!walked) {
            layStraightWay(walk, row, col, exit.first, exit.second, draws);
        }
        path += walk.history;
        if (next == nullptr) {
            break;
        }
        path += next->letter;
        stepWalker(walk, next->dRow, next->dCol, TileWall);
        row = walk.row;
        col = walk.col;
        blockRow += next->dRow;
        blockCol += next->dCol;
    }
}

}  // namespace

// Small boards get at least 100,000 draws, so that they are nearly always the
// plain walk's own. Past level 100 the plain walk rarely finishes even in 20
// draws a cell (5 % of boards at level 300, none from 600), and the blocks lay
// a board in far fewer: it keeps level 100's budget.
std::int64_t mazeDrawBudget(std::int32_t level)
{
    const std::int64_t side = std::clamp<std::int64_t>(std::int64_t{level} + 2, 0, 102);
    return std::max<std::int64_t>(20 * side * side, 100'000);
}

std::int64_t generateMazeFromSeed(std::int32_t level, std::uint32_t seed, std::int64_t drawBudget, std::string* path,
                                  int (*random)())
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

    // The plain walk first, with the whole budget; past it, the board is laid
    // afresh in blocks. The budget stays odd: the Windows runtime's rand()
    // mod 4 repeats every 2^18 draws, and an even budget would line the walks
    // that follow up with it.
    board.assign(static_cast<std::size_t>(side * side), TileFloor);
    Walk walk{board, side, {0, 0, side, side}, random, LongestRun, 0, 0, {}};
    startWalk(walk, 0, 0, side - 1, side - 1);
    std::int64_t draws = 0;
    const std::int64_t budget = std::max(drawBudget, side * side) | 1;
    if (!walkToGoal(walk, budget, draws)) {
        walk.history.clear();
        walkInBlocks(side, random, walk.history, draws);
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
    // The walker's pointer ends where the walk did, on the goal.
    playerCell = &board.back();
    if (path != nullptr) {
        *path = std::move(walk.history);
    }
    return draws;
}

void generateMaze(std::int32_t level)
{
    generateMazeFromSeed(level, static_cast<std::uint32_t>(platform::calendarSeconds()), mazeDrawBudget(level));
}
