#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "board/board.hpp"
#include "maze/maze.hpp"
#include "tests/support/console.hpp"
#include "tests/support/plain_walk.hpp"
#include "tests/support/ways.hpp"

namespace tc = testconsole;

namespace {

using Cells = std::vector<std::int32_t>;

constexpr std::int64_t FirstSecond = 1'700'000'000;

Cells mazeAt(std::int64_t second, std::int32_t level)
{
    tc::setCalendarSeconds(second);
    generateMaze(level);
    return board;
}

// The plain walk as the generator runs it first: seeded, and given up once it
// has spent its budget.
plainwalk::Outcome plainMaze(Cells& cells, std::uint32_t seed, std::int32_t level, std::int64_t budget)
{
    std::srand(seed);
    // An even budget counts one draw more.
    return plainwalk::walk(cells, level, budget % 2 == 0 ? budget + 1 : budget);
}

// The board a path of moves must leave: the player at its start, the goal at
// its end, floor on the cells between and wall on every other cell; and the
// path itself: on the board, no cell twice, an even number of steps, at least
// as many as the shortest way.
::testing::AssertionResult laysThePath(const Cells& cells, std::int32_t level, const std::string& moves)
{
    const std::int32_t side = level + 2;
    Cells expected(static_cast<std::size_t>(side * side), TileWall);
    std::int32_t col = 0;
    std::int32_t row = 0;
    for (std::size_t k = 0; k < moves.size(); ++k) {
        col += moves[k] == 'd' ? 1 : moves[k] == 'a' ? -1 : 0;
        row += moves[k] == 's' ? 1 : moves[k] == 'w' ? -1 : 0;
        const std::int32_t i = row * side + col;
        if (col < 0 || row < 0 || col >= side || row >= side || i == 0 ||
            expected[static_cast<std::size_t>(i)] != TileWall) {
            return ::testing::AssertionFailure() << "move " << k << " leaves the board or meets the path again";
        }
        expected[static_cast<std::size_t>(i)] = TileFloor;
    }
    if (row * side + col != side * side - 1 || moves.size() % 2 != 0 ||
        moves.size() < 2 * static_cast<std::size_t>(side - 1)) {
        return ::testing::AssertionFailure() << "a path of " << moves.size() << " steps to " << col << "," << row;
    }
    expected.front() = TilePlayer;
    expected.back() = TileGoal;
    if (cells != expected) {
        return ::testing::AssertionFailure() << "the floor is not exactly the path's inner cells";
    }
    return ::testing::AssertionSuccess();
}

class Maze : public ::testing::Test {
protected:
    void SetUp() override
    {
        startFresh();
    }
};

TEST_F(Maze, IsThePlainWalksBoardWithinItsBudgetAndAWalkedBoardAfter)
{
    Cells plain;
    for (std::int32_t level = 0; level <= 25; ++level) {
        const int seeds = level <= 12 ? 40 : 12;
        for (int s = 0; s < seeds; ++s) {
            const std::int64_t second = FirstSecond + std::int64_t{7919} * s + level;
            const plainwalk::Outcome outcome =
                plainMaze(plain, static_cast<std::uint32_t>(second), level, mazeDrawBudget(level));
            ASSERT_EQ(mazeAt(second, level), plain) << "level " << level << ", second " << second;
            ASSERT_TRUE(laysThePath(plain, level, outcome.moves)) << "level " << level << ", second " << second;
        }
    }
    // The calendar's seconds are cut to the seed's 32 bits.
    EXPECT_EQ(mazeAt((std::int64_t{1} << 32) + 1234, 15), mazeAt(1234, 15));
    // With a budget of a few draws per cell most plain walks run out, and walks
    // leaning toward the goal lay the board instead, or a straight one when
    // their tenths of the budget run out too; below one draw per cell counts
    // as one.
    int leaned = 0;
    for (const std::int64_t perCell : {0, 1, 3}) {
        for (const std::int32_t level : {0, 1, 4, 9, 16}) {
            const std::int64_t cells = std::int64_t{level + 2} * (level + 2);
            for (std::uint32_t seed = 1; seed <= 20; ++seed) {
                std::string path;
                generateMazeFromSeed(level, seed, perCell * cells, &path);
                const Cells laid = board;
                const plainwalk::Outcome outcome =
                    plainMaze(plain, seed, level, std::max<std::int64_t>(perCell, 1) * cells);
                ASSERT_TRUE(laysThePath(laid, level, path)) << "level " << level << ", seed " << seed
                                                            << ", " << perCell << " per cell";
                ASSERT_TRUE(!outcome.finished || (laid == plain && path == outcome.moves))
                    << "level " << level << ", seed " << seed << ", " << perCell << " per cell";
                leaned += outcome.finished ? 0 : 1;
            }
        }
    }
    EXPECT_GT(leaned, 100);
}

TEST_F(Maze, SmallLevelsGiveEveryBoardTheirWalkAllows)
{
    // Seven floor cells at level 1 are rare: with the Windows rand, first after 307 seconds.
    std::set<Cells> levelZero;
    std::set<std::int64_t> levelOneFloors;
    for (int s = 0; s < 3000; ++s) {
        if (s < 40) {
            levelZero.insert(mazeAt(FirstSecond + s, 0));
        }
        const Cells cells = mazeAt(FirstSecond + s, 1);
        levelOneFloors.insert(std::count(cells.begin(), cells.end(), TileFloor));
    }
    EXPECT_EQ(levelZero, (std::set<Cells>{{TilePlayer, TileFloor, TileWall, TileGoal},
                                          {TilePlayer, TileWall, TileFloor, TileGoal}}));
    EXPECT_EQ(levelOneFloors, (std::set<std::int64_t>{3, 5, 7}));
}

// Most walks at levels 60 and 100 start again at least once. An even number of
// steps leaves an odd number of floor cells. Below level 0 there is no room for
// a player and a goal apart.
TEST_F(Maze, AnyBoardOnEntryEndsWholeAtAnyLevelAndEmptyBelowZero)
{
    shownBoard = {TileWall, TileFloor, TileGoal, 9};
    const Cells shown = shownBoard;
    std::int64_t second = FirstSecond;
    for (const Cells& before : {Cells{}, Cells{TileGoal}, Cells(13, 7), Cells(5000, TileWalker)}) {
        for (const std::int32_t level : {0, 3, 60, 100, -1, std::numeric_limits<std::int32_t>::min()}) {
            board = before;
            const Cells cells = mazeAt(second += 31, level);
            EXPECT_EQ(shownBoard, shown);
            if (level < 0) {
                EXPECT_TRUE(cells.empty() && playerCell == nullptr) << "level " << level;
                continue;
            }
            const std::int32_t side = level + 2;
            ASSERT_EQ(cells.size(), static_cast<std::size_t>(side * side));
            EXPECT_TRUE(cells.front() == TilePlayer && cells.back() == TileGoal);
            const auto floor = std::count(cells.begin(), cells.end(), TileFloor);
            EXPECT_EQ(floor + std::count(cells.begin(), cells.end(), TileWall), side * side - 2);
            EXPECT_EQ(floor % 2, 1);
            EXPECT_FALSE(shortestWay(side, 0, [&](std::int32_t i) { return cells[static_cast<std::size_t>(i)] == TileFloor; },
                                         [&](std::int32_t i) { return i == side * side - 1; })
                                 .empty()) << "level " << level;
        }
    }
}

// The plain walk hardly ever reaches the far corner of a large board within
// its budget, and starting it over took minutes there: the leaning walks that
// follow it lay the board within six tenths of the budget more.
TEST_F(Maze, LargeLevelsEndWithinTheirDrawBoundOnAWalkedBoard)
{
    const std::int32_t level = 999;
    const std::int64_t budget = std::int64_t{level + 2} * (level + 2) | 1;
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
        std::string path;
        const std::int64_t draws = generateMazeFromSeed(level, seed, 0, &path);
        EXPECT_GT(draws, budget) << "seed " << seed;
        EXPECT_LT(draws, budget * 16 / 10 + 6) << "seed " << seed;
        EXPECT_TRUE(laysThePath(board, level, path)) << "seed " << seed;
    }
}

}  // namespace
