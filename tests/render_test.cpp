#include "board/render.hpp"
#include "tests/support/ways.hpp"

namespace {

TEST(BoardDrawing, FreshDrawPrintsTheRowsUnderTheHeaderAndMovesRepaintTwoCells)
{
    startFresh(100, 40);
    board = cellsOf("P.#/..#/#.G");
    tc::screen().feed("\x1b[5;7H#");
    drawBoard(1, true, 0, 0, 0, 0);
    EXPECT_EQ(tc::screen().line(0) + "|" + tc::screen().line(1) + "|" + seenBoard(3), "Level 1||P.#/..#/#.G");
    // The goal's space is plain, right of the board over what stood there; the message line starts below.
    EXPECT_TRUE(tc::screen().cell(6, 4).ch == U' ' && !tc::screen().cell(6, 4).bg);
    EXPECT_EQ(tc::screen().cursor(), (CursorPosition{0, 2}));

    // A move paints the cell left as floor, the one entered as the player, whatever they showed; the cursor on it.
    drawBoard(1, false, 2, 1, 2, 0);
    EXPECT_EQ(seenBoard(3), "P../..P/#.G");
    EXPECT_EQ(tc::screen().cursor(), (CursorPosition{4, 3}));
    drawBoard(1, false, 0, 1, 1, 2);
    EXPECT_EQ(seenBoard(3), "P../P.P/#.G");
    EXPECT_EQ(tc::screen().cursor(), (CursorPosition{0, 3}));
}

// Cells that match the previous level's are left; the last column, last two rows and cell 0 are repainted.
TEST(BoardDrawing, ByDifferenceRepaintsOnlyWhatMayDiffer)
{
    startFresh(100, 40);
    shownBoard = cellsOf("P.#/..#/#.G");
    board = cellsOf("P.#./#..#/#..#/##.G");
    // Every cell marked, so a repaint shows.
    for (int row = 0; row < 5; ++row) {
        tc::screen().feed("\x1b[" + std::to_string(row + 3) + ";1H" + std::string(10, '#'));
    }
    drawBoard(2, true, 0, 0, 0, 0);
    EXPECT_EQ(seenBoard(4), "P??./#?.#/#..#/##.G");
    EXPECT_EQ(tc::screen().line(0), "Level 2");
    EXPECT_EQ(tc::screen().cursor(), (CursorPosition{0, 2}));
}

}  // namespace
