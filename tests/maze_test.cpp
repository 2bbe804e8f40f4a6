#include <algorithm>
#include <cstdlib>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "maze/maze.hpp"
#include "tests/support/plain_walk.hpp"
#include "tests/support/ways.hpp"

namespace {

using Cells = std::vector<std::int32_t>;

constexpr std::int64_t FirstSecond = 1'700'000'000;

Cells mazeAt(std::int64_t second, std::int32_t level)
{
    tc::setCalendarSeconds(second);
    generateMaze(level);
    return board;
}

// A walked board: the path to the goal stays on the board, meets no cell twice, and is the only floor.
::testing::AssertionResult laysThePath(const Cells& cells, std::int32_t level, const std::string& moves)
{
    const std::int32_t side = level + 2;
    Cells expected(static_cast<std::size_t>(side * side), TileWall);
    std::int32_t col = 0, row = 0;
    for (const char m : moves) {
        col += (m == 'd') - (m == 'a');
        row += (m == 's') - (m == 'w');
        const std::int32_t i = row * side + col;
        if (std::min(col, row) < 0 || std::max(col, row) >= side || i == 0 ||
            expected[static_cast<std::size_t>(i)] != TileWall) {
            return ::testing::AssertionFailure()
                   << "the path leaves the board or meets itself at " << col << "," << row;
        }
        expected[static_cast<std::size_t>(i)] = TileFloor;
    }
    expected.front() = TilePlayer;
    expected.back() = TileGoal;
    if (row * side + col != side * side - 1 || cells != expected) {
        return ::testing::AssertionFailure() << "the path ends at " << col << "," << row << " or floor lies off it";
    }
    return ::testing::AssertionSuccess();
}

TEST(Maze, IsThePlainWalksBoardWithinItsBudgetAndAWalkedBoardAfter)
{
    startFresh();
    Cells plain;
    for (std::int32_t level = 0; level <= 25; ++level) {
        for (int s = 0; s < (level <= 12 ? 40 : 12); ++s) {
            const std::int64_t second = FirstSecond + std::int64_t{7919} * s + level;
            // As the generator runs it first: 100 000 draws up to level 25 (an even budget counts one more).
            std::srand(static_cast<std::uint32_t>(second));
            plainwalk::walk(plain, level, 100'001);
            ASSERT_EQ(mazeAt(second, level), plain) << "level " << level << ", second " << second;
        }
    }
    // The calendar's seconds are cut to the seed's 32 bits.
    EXPECT_EQ(mazeAt((std::int64_t{1} << 32) + 1234, 15), mazeAt(1234, 15));
    // With a few draws per cell most plain walks run out and the walk goes on; below one per cell counts as one.
    for (const std::int64_t perCell : {0, 1, 3}) {
        for (const std::int32_t level : {0, 1, 4, 9, 16}) {
            const std::int64_t cells = std::int64_t{level + 2} * (level + 2);
            for (std::uint32_t seed = 1; seed <= 20; ++seed) {
                SCOPED_TRACE(testing::Message() << "level " << level << ", seed " << seed << ", per cell " << perCell);
                std::string path;
                const std::int64_t draws = generateMazeFromSeed(level, seed, perCell * cells, &path);
                std::srand(seed);
                const auto outcome = plainwalk::walk(plain, level, std::max<std::int64_t>(perCell, 1) * cells | 1);
                ASSERT_TRUE(laysThePath(board, level, path));
                // The draws it tells (the benchmarks count plain walks by them) are the plain walk's.
                ASSERT_TRUE(!outcome.finished || (board == plain && path == outcome.moves && draws == outcome.draws));
            }
        }
    }
}

// Whatever board the last level left, the new one is the seed's; below level 0 there is no board.
TEST(Maze, AnyBoardOnEntryEndsAsTheSeedsAndEmptyBelowZero)
{
    startFresh();
    for (const std::int32_t level : {60, 0, -1, std::numeric_limits<std::int32_t>::min()}) {
        board.assign(5000, TileWalker);
        const Cells cells = mazeAt(FirstSecond + level, level);
        if (level < 0) {
            EXPECT_TRUE(cells.empty() && playerCell == nullptr) << "level " << level;
            continue;
        }
        std::string path;
        generateMazeFromSeed(level, static_cast<std::uint32_t>(FirstSecond + level), mazeDrawBudget(level), &path);
        EXPECT_EQ(cells, board) << "level " << level;
        EXPECT_TRUE(laysThePath(cells, level, path)) << "level " << level;
    }
}

// The plain walk gets 20 draws a cell (208,080 at level 100): one that ends after 200,959 lays its own board.
TEST(Maze, WalksPlainlyForTwentyDrawsACell)
{
    startFresh();
    generateMazeFromSeed(100, 1'700'000'099, 208'081);
    const Cells walked = board;
    EXPECT_EQ(mazeAt(1'700'000'099, 100), walked);
}

// Past the plain walk's budget the board still winds far beyond the shortest way, for the path and the
// player alike, and is laid within three budgets and a closing way of at most one step per cell.
TEST(Maze, BoardsPastTheBudgetWindAndAreLaidInBoundedDraws)
{
    startFresh();
    // The shortest ways are 82, 202 and 602 steps; the plain walk alone, or a walk leaning toward the goal
    // after it, winds less than 2.7 times that at level 100, and a way left to run down the diagonal of the
    // level-300 board about twice.
    const std::tuple<std::int32_t, std::uint32_t, std::size_t, std::size_t> cases[] = {
        {40, 9, 160, 110}, {100, 9, 800, 450}, {300, 3, 2400, 1800}};
    for (const auto& [level, seeds, medianPathAtLeast, medianPlayerWayAtLeast] : cases) {
        std::vector<std::size_t> paths, playerWays;
        const std::int64_t budget = mazeDrawBudget(level);
        for (std::uint32_t seed = 1; seed <= seeds; ++seed) {
            std::string path;
            const std::int64_t draws = generateMazeFromSeed(level, seed, budget, &path);
            const std::int64_t side = level + 2;
            ASSERT_TRUE(laysThePath(board, level, path)) << "level " << level << ", seed " << seed;
            EXPECT_LE(draws, 3 * (budget | 1) + side * side) << "level " << level << ", seed " << seed;
            paths.push_back(path.size());
            playerWays.push_back(keysToGoal(level).size());
        }
        std::sort(paths.begin(), paths.end());
        std::sort(playerWays.begin(), playerWays.end());
        EXPECT_GE(paths[paths.size() / 2], medianPathAtLeast) << "level " << level;
        EXPECT_GE(playerWays[playerWays.size() / 2], medianPlayerWayAtLeast) << "level " << level;
    }
}

}  // namespace
