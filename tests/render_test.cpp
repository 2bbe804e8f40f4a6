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
const ScreenCell PlayerHalf{U'\u2588', {}, {}};
const std::string Block = "\u2588\u2588";
const std::string Bars = "\u25ac\u25ac";

class BoardDrawing : public ::testing::Test {
protected:
    void SetUp() override
    {
        startFresh(220, 110);
    }
};

TEST_F(BoardDrawing, FreshDrawOfTheFirstLevel)
{
    board = {TilePlayer, TileFloor, TileWall, TileFloor, TileFloor, TileWall, TileWall, TileFloor, TileGoal};
    drawBoard(1, true, 0, 0, 0, 0);
    const Screen& s = tc::screen();
    EXPECT_EQ(s.text(),
              "Level 1\n\n" + Block + Block + Block + "\n" + Block + Block + Block + "\n" + Block + Block + Bars);
    EXPECT_EQ(s.cursor(), (CursorPosition{0, 2}));
    EXPECT_EQ(s.cell(0, 2), PlayerHalf);
    EXPECT_EQ(s.cell(2, 2).fg, Green);
    EXPECT_EQ(s.cell(5, 2).fg, Red);
    EXPECT_EQ(s.cell(5, 4), (ScreenCell{U'\u25ac', Rgb{255, 255, 0}, Rgb{150, 75, 0}}));
    // The goal's space is plain and falls right of the board.
    EXPECT_EQ(s.cell(6, 4), ScreenCell{});
}

TEST_F(BoardDrawing, OddBoardsDrawWithoutBreakingTheScreen)
{
    drawBoard(5, true, 0, 0, 0, 0);  // empty: the header alone
    EXPECT_EQ(tc::screen().text(), "Level 5");
    EXPECT_EQ(tc::screen().cursor(), (CursorPosition{0, 2}));

    // Seven cells on a side of three: the last row holds one cell and no line
    // break follows it. A goal inside a row pushes the rest of it right; codes
    // without a glyph of their own draw as the player.
    tc::reset(220, 110);
    board = {TilePlayer, TileGoal, TileFloor, 7, -1, TileWall, TileWalker};
    drawBoard(1, true, 0, 0, 0, 0);
    const Screen& s = tc::screen();
    EXPECT_EQ(s.line(2), Block + Bars + " " + Block);
    EXPECT_EQ(s.cell(5, 2).fg, Green);
    EXPECT_EQ(s.line(3), Block + Block + Block);
    EXPECT_EQ(s.cell(1, 3), PlayerHalf);
    EXPECT_EQ(s.cell(3, 3), PlayerHalf);
    EXPECT_EQ(s.cell(4, 3).fg, Red);
    EXPECT_EQ(s.line(4), Block);
    EXPECT_EQ(s.cell(0, 4), PlayerHalf);
    EXPECT_EQ(s.cursor(), (CursorPosition{0, 2}));
}

// After a level is played to its goal, the next level drawn over it looks
// exactly like the same board drawn fresh on a clean screen, colours included.
TEST_F(BoardDrawing, NextLevelOverAPlayedOneLooksLikeAFreshDraw)
{
    for (std::int32_t level = 1; level <= 40; level += (level < 12 ? 1 : 7)) {
        for (std::int64_t seed = 0; seed < 4; ++seed) {
            SCOPED_TRACE("level " + std::to_string(level) + " seed " + std::to_string(seed));
            tc::reset(220, 110);
            tc::setCalendarSeconds(1'000 + seed * 7 + level);
            generateMaze(level);
            drawBoard(level, true, 0, 0, 0, 0);
            shownBoard = board;
            // Played to the goal as the level play draws it.
            const std::int32_t side = sideLengthFor(level);
            const std::vector<std::int32_t> way = shortestWay(side, 0, side * side - 1);
            ASSERT_FALSE(way.empty()) << "the goal cannot be reached";
            for (std::size_t k = 1; k < way.size(); ++k) {
                drawBoard(level, false, way[k] % side, way[k] / side, way[k - 1] % side, way[k - 1] / side);
            }

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
