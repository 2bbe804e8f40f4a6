#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/board.hpp"
#include "board/render.hpp"
#include "maze/maze.hpp"
#include "tests/support/console.hpp"
#include "tests/support/ways.hpp"

namespace tc = testconsole;

namespace {

const Rgb Green{20, 200, 50};
const Rgb Red{255, 0, 0};
const Rgb Yellow{255, 255, 0};
const Rgb Brown{150, 75, 0};

const std::string Block = "\u2588\u2588";
const std::string Bars = "\u25ac\u25ac";

class BoardDrawing : public ::testing::Test {
protected:
    void SetUp() override
    {
        tc::reset(220, 110);
        board.clear();
        shownBoard.clear();
    }
    void TearDown() override
    {
        board.clear();
        shownBoard.clear();
    }
};

// What a player sees on the cell at (col, row).
std::vector<ScreenCell> cellOnScreen(const Screen& screen, int col, int row)
{
    return {screen.cell(cellX(col), cellY(row)), screen.cell(cellX(col) + 1, cellY(row))};
}

// Plays the level to its goal on the screen, as the level play draws it.
void walkToGoal(std::int32_t level)
{
    const std::int32_t side = sideLengthFor(level);
    const std::vector<std::int32_t> way = shortestWay(side, 0, side * side - 1);
    ASSERT_FALSE(way.empty()) << "the goal cannot be reached";
    for (std::size_t k = 1; k < way.size(); ++k) {
        drawBoard(level, false, way[k] % side, way[k] / side, way[k - 1] % side, way[k - 1] / side);
    }
}

TEST_F(BoardDrawing, FreshDrawOfTheFirstLevel)
{
    board = {TilePlayer, TileFloor, TileWall, TileFloor, TileFloor, TileWall, TileWall, TileFloor, TileGoal};
    drawBoard(1, true, 0, 0, 0, 0);
    const Screen& s = tc::screen();
    EXPECT_EQ(s.line(0), "Level 1");
    EXPECT_EQ(s.line(1), "");
    EXPECT_EQ(s.line(2), Block + Block + Block);
    EXPECT_EQ(s.line(3), Block + Block + Block);
    EXPECT_EQ(s.line(4), Block + Block + Bars);
    EXPECT_EQ(s.line(5), "");
    EXPECT_EQ(s.cursor(), (CursorPosition{0, 2}));

    EXPECT_EQ(s.cell(0, 2).fg, Colour{});
    EXPECT_EQ(s.cell(2, 2).fg, Green);
    EXPECT_EQ(s.cell(5, 2).fg, Red);
    EXPECT_EQ(s.cell(4, 4).fg, Yellow);
    EXPECT_EQ(s.cell(5, 4).bg, Brown);
    // The goal's space is plain and falls right of the board.
    EXPECT_EQ(s.cell(6, 4), ScreenCell{});
    EXPECT_TRUE(s.unknownSequences().empty());
}

TEST_F(BoardDrawing, EmptyBoardShowsOnlyTheHeader)
{
    drawBoard(5, true, 0, 0, 0, 0);
    EXPECT_EQ(tc::screen().text(), "Level 5");
    EXPECT_EQ(tc::screen().cursor(), (CursorPosition{0, 2}));
}

TEST_F(BoardDrawing, UnknownCodesDrawAsThePlayer)
{
    board = {TilePlayer, 7, -1, TileWalker};
    drawBoard(0, true, 0, 0, 0, 0);
    for (int col = 0; col < 2; ++col) {
        for (int row = 0; row < 2; ++row) {
            for (const ScreenCell& c : cellOnScreen(tc::screen(), col, row)) {
                EXPECT_EQ(c, (ScreenCell{U'\u2588', {}, {}}));
            }
        }
    }
}

TEST_F(BoardDrawing, LoadedBoardWithAShortLastRow)
{
    // Seven cells on a side of three: the last row holds one cell and no line
    // break follows it. A goal inside a row pushes the rest of it right.
    board = {TilePlayer, TileGoal, TileFloor, TileWall, TileWall, TileWall, TileFloor};
    drawBoard(1, true, 0, 0, 0, 0);
    const Screen& s = tc::screen();
    EXPECT_EQ(s.line(2), Block + Bars + " " + Block);
    EXPECT_EQ(s.cell(5, 2).fg, Green);
    EXPECT_EQ(s.line(3), Block + Block + Block);
    EXPECT_EQ(s.line(4), Block);
    EXPECT_EQ(s.line(5), "");
    EXPECT_EQ(s.cursor(), (CursorPosition{0, 2}));
}

TEST_F(BoardDrawing, MoveRepaintsTwoCellsAndRestsOnThePlayer)
{
    board = {TilePlayer, TileFloor, TileWall, TileFloor, TileFloor, TileWall, TileWall, TileFloor, TileGoal};
    drawBoard(1, true, 0, 0, 0, 0);
    drawBoard(1, false, 1, 0, 0, 0);
    const Screen& s = tc::screen();
    EXPECT_EQ(cellOnScreen(s, 0, 0)[0].fg, Green);
    EXPECT_EQ(cellOnScreen(s, 1, 0)[0], (ScreenCell{U'\u2588', {}, {}}));
    EXPECT_EQ(s.cursor(), (CursorPosition{2, 2}));
    // Onto the goal: the bars give way to the player, the space stays.
    drawBoard(1, false, 2, 2, 2, 1);
    EXPECT_EQ(s.line(4), Block + Block + Block);
    EXPECT_EQ(s.cursor(), (CursorPosition{4, 4}));
}

// The strongest check of the draw by difference: after a level is played to
// its goal, the next level drawn over it looks exactly like the same board
// drawn fresh on a clean screen, colours included.
TEST_F(BoardDrawing, NextLevelOverAPlayedOneLooksLikeAFreshDraw)
{
    for (std::int32_t level = 1; level <= 40; level += (level < 12 ? 1 : 7)) {
        for (std::int64_t seed = 0; seed < 4; ++seed) {
            SCOPED_TRACE("level " + std::to_string(level) + " seed " + std::to_string(seed));
            tc::reset(220, 110);
            shownBoard.clear();
            tc::setCalendarSeconds(1'000 + seed * 7 + level);
            generateMaze(level);
            drawBoard(level, true, 0, 0, 0, 0);
            shownBoard = board;
            walkToGoal(level);

            tc::setCalendarSeconds(2'000 + seed * 11 + level);
            generateMaze(level + 1);
            drawBoard(level + 1, true, 0, 0, 0, 0);
            const Screen played = tc::screen();

            tc::reset(220, 110);
            shownBoard.clear();
            drawBoard(level + 1, true, 0, 0, 0, 0);
            const Screen& fresh = tc::screen();
            for (int y = 0; y < fresh.lines(); ++y) {
                for (int x = 0; x < fresh.columns(); ++x) {
                    ASSERT_EQ(played.cell(x, y), fresh.cell(x, y)) << "at " << x << "," << y;
                }
            }
            EXPECT_EQ(played.cursor(), fresh.cursor());
        }
    }
}

// Cells that match the previous level at the same column and row are left as
// the screen shows them; the rest is repainted.
TEST_F(BoardDrawing, DifferenceLeavesMatchingCellsAlone)
{
    // Level 1 snapshot and a level 2 board that agrees with it in cells 1 and 5
    // (snapshot cells 1 and 4) and differs in cells 2, 4 and 6.
    shownBoard = {TilePlayer, TileFloor, TileWall, TileFloor, TileFloor, TileWall, TileWall, TileFloor, TileGoal};
    board = {TilePlayer, TileFloor, TileFloor, TileWall,  //
             TileWall,   TileFloor, TileFloor, TileWall,  //
             TileWall,   TileFloor, TileFloor, TileWall,  //
             TileWall,   TileWall,  TileFloor, TileGoal};
    // Mark every cell of the screen so a repaint shows.
    for (int row = 0; row < 5; ++row) {
        tc::screen().feed("\x1b[" + std::to_string(row + 3) + ";1H" + std::string(10, '#'));
    }
    drawBoard(2, true, 0, 0, 0, 0);
    const Screen& s = tc::screen();
    const auto marked = [&](int col, int row) { return s.cell(cellX(col), cellY(row)).ch == U'#'; };
    EXPECT_TRUE(marked(1, 0));
    EXPECT_TRUE(marked(1, 1));
    for (const int i : {0, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}) {
        EXPECT_FALSE(marked(i % 4, i / 4)) << "cell " << i;
    }
    EXPECT_EQ(s.line(0), "Level 2");
    EXPECT_EQ(s.cursor(), (CursorPosition{0, 2}));
}

}  // namespace
