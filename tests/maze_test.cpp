#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <set>
#include <vector>

#include "board/board.hpp"
#include "maze/maze.hpp"
#include "tests/support/console.hpp"
#include "tests/support/plain_walk.hpp"

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

// The walk alone, seeded as the game seeds it.
plainwalk::Outcome plainMaze(Cells& cells, std::uint32_t seed, std::int32_t level,
                             std::int64_t maxDraws)
{
    std::srand(seed);
    return plainwalk::walk(cells, level, maxDraws);
}

// Finds a walk of edge steps from the player's cell to the goal that visits
// every floor cell once and no other cell: the path the floor must be. Tries
// the ways one by one, but drops a way as soon as it strands a cell, so that
// touching stretches of path do not make the search explode. Empty when there
// is no such walk.
class PathFinder {
public:
    PathFinder(const Cells& cells, std::int32_t side)
        : cells_(cells), side_(side), last_(side * side - 1), visited_(cells.size(), false)
    {
        for (std::int32_t i = 0; i <= last_; ++i) {
            left_ += onPath(i) ? 1 : 0;
        }
    }

    std::vector<std::int32_t> find()
    {
        if (!onPath(0) || !onPath(last_) || !extend(0, -1)) {
            path_.clear();
        }
        return path_;
    }

private:
    bool onPath(std::int32_t i) const
    {
        return i == 0 || i == last_ || cells_[i] == TileFloor;
    }

    // The path cells next to i; -1 for none.
    std::array<std::int32_t, 4> neighbours(std::int32_t i) const
    {
        const std::int32_t row = i / side_;
        const std::int32_t col = i % side_;
        std::array<std::int32_t, 4> n{row > 0 ? i - side_ : -1, col < side_ - 1 ? i + 1 : -1,
                                      row < side_ - 1 ? i + side_ : -1, col > 0 ? i - 1 : -1};
        for (std::int32_t& x : n) {
            x = x >= 0 && onPath(x) ? x : -1;
        }
        return n;
    }

    bool open(std::int32_t i) const { return i >= 0 && !visited_[i]; }

    std::int32_t openNeighbours(std::int32_t i) const
    {
        std::int32_t count = 0;
        for (const std::int32_t n : neighbours(i)) {
            count += open(n) ? 1 : 0;
        }
        return count;
    }

    // A cell still to visit that the way just taken cut off: it has too few
    // ways in and out left.
    bool strands(std::int32_t previous) const
    {
        if (previous < 0) {
            return false;
        }
        for (const std::int32_t n : neighbours(previous)) {
            if (open(n) && openNeighbours(n) + (n == last_ ? 1 : 0) < 2) {
                return true;
            }
        }
        return false;
    }

    // Every cell still to visit can be reached from the head.
    bool restConnected(std::int32_t head)
    {
        std::vector<std::int32_t> stack{head};
        std::vector<bool> seen(visited_.size(), false);
        seen[head] = true;
        std::int32_t reached = 0;
        while (!stack.empty()) {
            const std::int32_t i = stack.back();
            stack.pop_back();
            for (const std::int32_t n : neighbours(i)) {
                if (open(n) && !seen[n]) {
                    seen[n] = true;
                    ++reached;
                    stack.push_back(n);
                }
            }
        }
        return reached == left_;
    }

    bool extend(std::int32_t i, std::int32_t previous)
    {
        visited_[i] = true;
        --left_;
        path_.push_back(i);
        if (i == last_) {
            if (left_ == 0) {
                return true;
            }
        } else if (!strands(previous)) {
            if (openNeighbours(i) == 1 || restConnected(i)) {
                for (const std::int32_t n : neighbours(i)) {
                    if (open(n) && (n != last_ || left_ == 1) && extend(n, i)) {
                        return true;
                    }
                }
            }
        }
        visited_[i] = false;
        ++left_;
        path_.pop_back();
        return false;
    }

    const Cells& cells_;
    std::int32_t side_;
    std::int32_t last_;
    std::vector<bool> visited_;
    // Path cells not visited yet.
    std::int32_t left_ = 0;
    std::vector<std::int32_t> path_;
};

// Everything a finished board must be; the failure message says what is wrong.
::testing::AssertionResult isFinishedMaze(const Cells& cells, std::int32_t level)
{
    const std::int32_t side = level + 2;
    if (static_cast<std::int64_t>(cells.size()) != std::int64_t{side} * side) {
        return ::testing::AssertionFailure() << cells.size() << " cells for side " << side;
    }
    if (cells.front() != TilePlayer || cells.back() != TileGoal) {
        return ::testing::AssertionFailure()
               << "first cell " << cells.front() << ", last cell " << cells.back();
    }
    for (std::size_t i = 1; i + 1 < cells.size(); ++i) {
        if (cells[i] != TileFloor && cells[i] != TileWall) {
            return ::testing::AssertionFailure() << "cell " << i << " holds " << cells[i];
        }
    }
    const std::vector<std::int32_t> path = PathFinder(cells, side).find();
    if (path.empty()) {
        return ::testing::AssertionFailure()
               << "the floor is not one path from the player to the goal";
    }
    const auto steps = static_cast<std::int32_t>(path.size()) - 1;
    if (steps % 2 != 0 || steps < 2 * (side - 1)) {
        return ::testing::AssertionFailure() << "a path of " << steps << " steps";
    }
    return ::testing::AssertionSuccess();
}

std::int32_t floorCount(const Cells& cells)
{
    return static_cast<std::int32_t>(std::count(cells.begin(), cells.end(), TileFloor));
}

class Maze : public ::testing::Test {
protected:
    void SetUp() override
    {
        tc::reset();
        board.clear();
        shownBoard.clear();
        playerCell = nullptr;
    }
};

using MazeMatchesThePlainWalk = Maze;
using FinishedMaze = Maze;
using MazeSeed = Maze;
using MazeBoardState = Maze;

TEST_F(MazeMatchesThePlainWalk, ForEveryLevelUpTo25)
{
    int compared = 0;
    int restarted = 0;
    Cells plain;
    for (std::int32_t level = 0; level <= 25; ++level) {
        const int seeds = level <= 12 ? 100 : 30;
        for (int s = 0; s < seeds; ++s) {
            const std::int64_t second = FirstSecond + 7919 * s + level;
            const Cells fast = mazeAt(second, level);
            const plainwalk::Outcome plainOutcome =
                plainMaze(plain, static_cast<std::uint32_t>(second), level, mazeDrawBudget(level));
            if (plainOutcome.finished) {
                ++compared;
                ASSERT_EQ(fast, plain) << "level " << level << ", second " << second;
            } else {
                // The walk took too long and was started again: another board.
                ++restarted;
                ASSERT_TRUE(isFinishedMaze(fast, level)) << "level " << level;
            }
        }
    }
    // Up to level 25 hardly a walk runs out of draws.
    EXPECT_EQ(compared + restarted, 13 * 100 + 13 * 30);
    EXPECT_LE(restarted, (compared + restarted) / 100);
}

TEST_F(MazeMatchesThePlainWalk, AfterEachRestartOnTheFollowingRandomNumbers)
{
    // With a budget of a few draws per cell most walks run out and start over;
    // each new walk goes on with the random numbers where the last one stopped.
    int restartedWalks = 0;
    Cells plain;
    for (const std::int32_t level : {1, 4, 9, 16}) {
        const std::int64_t budget = 3 * (level + 2) * (level + 2);
        for (std::uint32_t seed = 1; seed <= 30; ++seed) {
            generateMazeFromSeed(level, seed, budget);
            std::srand(seed);
            int walks = 1;
            while (!plainwalk::walk(plain, level, budget).finished) {
                ++walks;
            }
            ASSERT_EQ(board, plain) << "level " << level << ", seed " << seed;
            restartedWalks += walks > 1 ? 1 : 0;
        }
    }
    EXPECT_GT(restartedWalks, 30);
}

TEST_F(FinishedMaze, HasOneFloorPathFromPlayerToGoal)
{
    for (std::int32_t level = 0; level <= 40; ++level) {
        for (int s = 0; s < 25; ++s) {
            const Cells cells = mazeAt(FirstSecond + 104729 * s + level, level);
            ASSERT_TRUE(isFinishedMaze(cells, level)) << "level " << level << ", try " << s;
        }
    }
}

TEST_F(FinishedMaze, HasOneFloorPathOnLargeBoards)
{
    // From level 60 on, many walks run out of draws and start over.
    for (const std::int32_t level : {60, 75, 100}) {
        for (int s = 0; s < 3; ++s) {
            const Cells cells = mazeAt(FirstSecond + 31 * s, level);
            ASSERT_TRUE(isFinishedMaze(cells, level)) << "level " << level << ", try " << s;
        }
    }
}

TEST_F(FinishedMaze, StaysWhole)
{
    // Budgets of one to a few draws per cell: many walks are cut short, and
    // smaller budgets count as one per cell.
    for (const std::int64_t perCell : {0, 1, 2, 5}) {
        for (const std::int32_t level : {0, 1, 2, 7, 15, 30}) {
            const std::int64_t budget = perCell * (level + 2) * (level + 2);
            for (std::uint32_t seed = 0; seed < 10; ++seed) {
                generateMazeFromSeed(level, seed, budget);
                ASSERT_TRUE(isFinishedMaze(board, level))
                    << "level " << level << ", budget " << budget << ", seed " << seed;
            }
        }
    }
}

TEST_F(FinishedMaze, LevelZeroIsOneOfTwoBoards)
{
    const Cells rightThenDown{TilePlayer, TileFloor, TileWall, TileGoal};
    const Cells downThenRight{TilePlayer, TileWall, TileFloor, TileGoal};
    std::set<Cells> seen;
    for (int s = 0; s < 40; ++s) {
        seen.insert(mazeAt(FirstSecond + s, 0));
    }
    EXPECT_EQ(seen, (std::set<Cells>{rightThenDown, downThenRight}));
}

TEST_F(FinishedMaze, LevelOneHasThreeFiveOrSevenFloorCells)
{
    std::set<std::int32_t> floors;
    for (int s = 0; s < 300; ++s) {
        const Cells cells = mazeAt(FirstSecond + s, 1);
        floors.insert(floorCount(cells));
        if (floorCount(cells) == 7) {
            // A path of eight steps leaves no wall on a board of nine cells.
            EXPECT_EQ(std::count(cells.begin(), cells.end(), TileWall), 0);
        }
    }
    EXPECT_EQ(floors, (std::set<std::int32_t>{3, 5, 7}));
}

TEST_F(FinishedMaze, CheckCatchesBoardsThatAreNotOnePath)
{
    const std::int32_t P = TilePlayer, F = TileFloor, W = TileWall, G = TileGoal;
    EXPECT_TRUE(isFinishedMaze({P, F, W, W, F, W, W, F, G}, 1));
    // A floor cell off the path, a broken path, a walker left behind.
    EXPECT_FALSE(isFinishedMaze({P, F, F, W, F, W, W, F, G}, 1));
    EXPECT_FALSE(isFinishedMaze({P, F, W, W, W, W, W, F, G}, 1));
    EXPECT_FALSE(isFinishedMaze({P, F, W, W, TileWalker, W, W, F, G}, 1));
    // Cells that touch but cannot all be walked once: five steps.
    EXPECT_FALSE(isFinishedMaze({P, F, F, W, F, F, W, W, G}, 1));
    EXPECT_FALSE(isFinishedMaze({P, F, W, F, G}, 1));
}

TEST_F(MazeSeed, SameSecondGivesTheSameBoard)
{
    const Cells first = mazeAt(FirstSecond + 5, 20);
    mazeAt(FirstSecond + 6, 20);
    std::rand();
    EXPECT_EQ(mazeAt(FirstSecond + 5, 20), first);
}

TEST_F(MazeSeed, NextSecondGivesAnotherBoard)
{
    std::set<Cells> boards;
    for (int s = 0; s < 10; ++s) {
        boards.insert(mazeAt(FirstSecond + s, 20));
    }
    EXPECT_EQ(boards.size(), 10U);
}

TEST_F(MazeSeed, CalendarSecondsAreCutTo32Bits)
{
    const std::int64_t wrap = std::int64_t{1} << 32;
    EXPECT_EQ(mazeAt(wrap + 1234, 15), mazeAt(1234, 15));
    EXPECT_EQ(mazeAt(3 * wrap + 98765, 9), mazeAt(98765, 9));
}

TEST_F(MazeBoardState, AnyBoardOnEntryEndsSideBySide)
{
    shownBoard = {TileWall, TileFloor, TileGoal, 9};
    const Cells shown = shownBoard;
    const std::vector<Cells> before{{}, {TileGoal}, Cells(13, 7), Cells(5000, TileWalker)};
    for (const Cells& cells : before) {
        for (const std::int32_t level : {0, 3, 12}) {
            board = cells;
            generateMaze(level);
            EXPECT_EQ(board.size(), static_cast<std::size_t>((level + 2) * (level + 2)));
            EXPECT_TRUE(isFinishedMaze(board, level));
            EXPECT_EQ(shownBoard, shown);
        }
    }
}

TEST_F(MazeBoardState, LevelBelowZeroLeavesAnEmptyBoard)
{
    shownBoard = {TilePlayer, TileFloor, TileWall, TileGoal};
    const Cells shown = shownBoard;
    for (const std::int32_t level : {-1, -2, -3, -1000, std::numeric_limits<std::int32_t>::min()}) {
        board = Cells(9, TileFloor);
        generateMaze(level);
        EXPECT_TRUE(board.empty()) << "level " << level;
        EXPECT_EQ(playerCell, nullptr);
        EXPECT_EQ(shownBoard, shown);
    }
    // The next level is generated as usual.
    generateMaze(1);
    EXPECT_TRUE(isFinishedMaze(board, 1));
}

}  // namespace
