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

// The Windows runtime's rand(), seeded by setting its state: rand() mod 4 repeats every 2^18 draws.
std::uint32_t windowsState = 0;
int windowsRand()
{
    windowsState = windowsState * 214013U + 2531011U;
    return static_cast<int>((windowsState >> 16) & 0x7fff);
}

// The longest straight run of floor, player and goal included, in a row or a column of `board`.
std::size_t longestRun(std::int32_t level)
{
    const auto side = static_cast<std::size_t>(level) + 2;
    std::size_t longest = 0;
    for (std::size_t line = 0; line < side; ++line) {
        for (std::size_t i = 0, across = 0, down = 0; i < side; ++i) {
            across = board.at(line * side + i) != TileWall ? across + 1 : 0;
            down = board.at(i * side + line) != TileWall ? down + 1 : 0;
            longest = std::max({longest, across, down});
        }
    }
    return longest;
}

// Past the plain walk's budget the board still winds far beyond the shortest way (82, 202, 602 and 2000 steps),
// the more the larger the board, for the path and the player alike; no row or column holds a straight run of
// more than 30 floor cells; and the draws stay within the stated bound. With glibc's rand() and the Windows one.
TEST(Maze, BoardsPastTheBudgetWindRunShortAndAreLaidInBoundedDraws)
{
    startFresh();
    const std::tuple<std::int32_t, std::uint32_t, double, double> cases[] = {
        {40, 9, 2.4, 1.75}, {100, 7, 4.5, 3.2}, {300, 3, 6.0, 4.1}, {999, 1, 9.0, 6.0}};
    for (const bool windows : {false, true}) {
        for (const auto& [level, seeds, medianPathAtLeast, medianPlayerWayAtLeast] : cases) {
            std::vector<double> paths, playerWays;
            const std::int64_t budget = mazeDrawBudget(level);
            const std::int64_t side = level + 2;
            const double shortest = 2.0 * (level + 1);
            for (std::uint32_t seed = 1; seed <= seeds; ++seed) {
                SCOPED_TRACE(testing::Message() << "level " << level << ", seed " << seed << ", Windows " << windows);
                std::string path;
                windowsState = seed;
                const std::int64_t draws =
                    generateMazeFromSeed(level, seed, budget, &path, windows ? windowsRand : nullptr);
                ASSERT_TRUE(laysThePath(board, level, path));
                EXPECT_LE(longestRun(level), std::size_t{30});
                EXPECT_LE(draws, (budget | 1) + MazeDrawsPerCell * side * side);
                paths.push_back(static_cast<double>(path.size()) / shortest);
                playerWays.push_back(static_cast<double>(keysToGoal(level).size()) / shortest);
            }
            std::sort(paths.begin(), paths.end());
            std::sort(playerWays.begin(), playerWays.end());
            EXPECT_GE(paths[paths.size() / 2], medianPathAtLeast) << "level " << level << ", Windows " << windows;
            EXPECT_GE(playerWays[playerWays.size() / 2], medianPlayerWayAtLeast)
                << "level " << level << ", Windows " << windows;
        }
    }
}

// Draws that run the walker 41 cells right and 41 down, then the Windows runtime's: without the limit the
// level-40 plain walk would finish on that corner, two runs of 42 cells.
int scriptedDraws = 0;
int straightThenWindows()
{
    const int n = scriptedDraws++;
    return n < 41 ? 1 : n < 82 ? 2 : windowsRand();
}

// Whatever rand() gives, even the same number for ever, the board holds one path laid within the stated draws;
// a walk's straight run stops at 30 cells.
TEST(Maze, AnyRandomNumbersLayOnePathWithinTheStatedDraws)
{
    startFresh();
    int (*const randoms[])() = {[] { return 0; }, [] { return 1; }, [] { return static_cast<int>(windowsState++ % 4); },
                                straightThenWindows};
    for (std::size_t kind = 0; kind < std::size(randoms); ++kind) {
        for (const std::int32_t level : {0, 3, 40, 50}) {
            SCOPED_TRACE(testing::Message() << "level " << level << ", rand " << kind);
            std::string path;
            const std::int64_t side = level + 2;
            scriptedDraws = 0;
            windowsState = 5;
            const std::int64_t draws = generateMazeFromSeed(level, 1, mazeDrawBudget(level), &path, randoms[kind]);
            ASSERT_TRUE(laysThePath(board, level, path));
            EXPECT_LE(draws, (mazeDrawBudget(level) | 1) + MazeDrawsPerCell * side * side);
            EXPECT_TRUE(randoms[kind] != straightThenWindows || longestRun(level) <= 30);
        }
    }
}

}  // namespace
