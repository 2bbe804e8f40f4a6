#include <algorithm>
#include <cstdlib>
#include <limits>
#include <set>

#include "maze/maze.hpp"
#include "tests/support/plain_walk.hpp"
#include "tests/support/ways.hpp"

namespace {

using Cells = std::vector<std::int32_t>;

Cells mazeAt(std::int64_t second, std::int32_t level)
{
    tc::setCalendarSeconds(second);
    generateMaze(level);
    return board;
}

// The plain walk as the generator runs it: seeded once, started again on the
// following random numbers whenever it spends its budget (an even one counts one draw more).
Cells plainMaze(std::uint32_t seed, std::int32_t level, std::int64_t budget)
{
    Cells cells;
    std::srand(seed);
    while (!plainwalk::walk(cells, level, budget | 1).finished) {
    }
    return cells;
}

TEST(Maze, IsThePlainWalksBoardAndItsPathAlsoWhenTheWalkStartsAgain)
{
    startFresh();
    for (std::int32_t level = 0; level <= 25; ++level) {
        for (int s = 0; s < (level <= 12 ? 40 : 12); ++s) {
            const std::int64_t second = 1'700'000'000 + std::int64_t{7919} * s + level;
            ASSERT_EQ(mazeAt(second, level), plainMaze(static_cast<std::uint32_t>(second), level, mazeDrawBudget(level)))
                << "level " << level << ", second " << second;
        }
    }
    // The calendar's seconds are cut to the seed's 32 bits.
    EXPECT_EQ(mazeAt((std::int64_t{1} << 32) + 1234, 15), mazeAt(1234, 15));
    // With a budget of a few draws per cell most walks run out and start over
    // on the following random numbers; below one draw per cell counts as one.
    for (const std::int64_t perCell : {0, 1, 3}) {
        for (const std::int32_t level : {0, 1, 4, 9, 16}) {
            const std::int64_t cells = std::int64_t{level + 2} * (level + 2);
            for (std::uint32_t seed = 1; seed <= 20; ++seed) {
                generateMazeFromSeed(level, seed, perCell * cells);
                ASSERT_EQ(board, plainMaze(seed, level, std::max<std::int64_t>(perCell, 1) * cells))
                    << "level " << level << ", seed " << seed << ", " << perCell << " per cell";
            }
        }
    }
}

TEST(Maze, SmallLevelsGiveEveryBoardTheirWalkAllows)
{
    std::set<Cells> levelZero;
    std::set<std::int64_t> levelOneFloors;
    for (int s = 0; s < 3000; ++s) {
        if (s < 40) {
            levelZero.insert(mazeAt(1'700'000'000 + s, 0));
        }
        const Cells cells = mazeAt(1'700'000'000 + s, 1);
        levelOneFloors.insert(std::count(cells.begin(), cells.end(), TileFloor));
    }
    EXPECT_EQ(levelZero, (std::set<Cells>{cellsOf("P./#G"), cellsOf("P#/.G")}));
    EXPECT_EQ(levelOneFloors, (std::set<std::int64_t>{3, 5, 7}));
}

// Most walks at levels 60 and 100 start again at least once. Below level 0
// there is no room for a player and a goal apart.
TEST(Maze, AnyBoardOnEntryEndsWholeAtAnyLevelAndEmptyBelowZero)
{
    shownBoard = {TileWall, TileFloor, TileGoal, 9};
    const Cells shown = shownBoard;
    std::int64_t second = 1'700'000'000;
    for (const Cells& before : {Cells{}, Cells{TileGoal}, Cells(13, 7), Cells(5000, TileWalker)}) {
        for (const std::int32_t level : {0, 3, 60, 100, -1, std::numeric_limits<std::int32_t>::min()}) {
            board = before;
            const Cells cells = mazeAt(second += 31, level);
            EXPECT_EQ(shownBoard, shown);
            const std::int32_t side = level + 2;
            if (level < 0) {
                EXPECT_TRUE(cells.empty() && playerCell == nullptr) << "level " << level;
            } else {
                ASSERT_EQ(cells.size(), static_cast<std::size_t>(side * side));
                const auto floor = std::count(cells.begin(), cells.end(), TileFloor);
                EXPECT_EQ(floor + std::count(cells.begin(), cells.end(), TileWall), side * side - 2);
                EXPECT_TRUE(floor % 2 == 1 && floor >= 2 * side - 3) << floor;
                EXPECT_TRUE(cells.front() == TilePlayer && cells.back() == TileGoal);
                EXPECT_FALSE(keysToGoal(level).empty()) << "level " << level;
            }
        }
    }
}

}  // namespace
