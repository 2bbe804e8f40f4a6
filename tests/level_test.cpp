#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "board/board.hpp"
#include "play/input.hpp"
#include "play/level.hpp"
#include "save/record.hpp"
#include "tests/support/console.hpp"
#include "tests/support/scratch.hpp"
#include "tests/support/ways.hpp"

namespace tc = testconsole;

namespace {

const std::string Block = "\u2588\u2588";
const std::string Bars = "\u25ac\u25ac";
const Rgb Green{20, 200, 50};

// P F W
// F F W
// W F G
const std::vector<std::int32_t> FirstLevel = {TilePlayer, TileFloor, TileWall, TileFloor, TileFloor,
                                              TileWall,   TileWall,  TileFloor, TileGoal};

class LevelPlay : public ::testing::Test {
protected:
    void SetUp() override
    {
        tc::reset(100, 40);
        board = FirstLevel;
        shownBoard.clear();
    }
    void TearDown() override
    {
        board.clear();
        shownBoard.clear();
    }

    // Plays until the level ends; nothing when the script ran out first.
    static std::optional<LevelOutcome> play(std::int32_t level = 1, bool resumed = true)
    {
        try {
            return playLevel(level, resumed);
        } catch (const tc::ScriptExhausted&) {
            return std::nullopt;
        }
    }

    static bool playerGlyphAt(int col, int row)
    {
        const ScreenCell& c = tc::screen().cell(cellX(col), cellY(row));
        return c.ch == U'\u2588' && !c.fg;
    }

    ScratchFolder folder;
};

TEST_F(LevelPlay, WalkingToTheGoalCompletesTheLevel)
{
    tc::typeText("dssd");
    EXPECT_EQ(play(), LevelCompleted);
    const Screen& s = tc::screen();
    EXPECT_EQ(s.line(0), "Level 1");
    EXPECT_TRUE(playerGlyphAt(2, 2));
    EXPECT_EQ(s.cell(cellX(0), cellY(0)).fg, Green);
    EXPECT_EQ(s.cell(cellX(1), cellY(1)).fg, Green);
    EXPECT_EQ(s.cursor(), (CursorPosition{4, 4}));
    EXPECT_EQ(shownBoard, FirstLevel);
    EXPECT_TRUE(tc::pauses().empty());
}

TEST_F(LevelPlay, ArrowKeysAndCapitalsSteerToo)
{
    // The arrow's prefix code means nothing; its second code moves.
    tc::typeKeys({224, 77, 'S', 0, 80, 'M'});
    EXPECT_EQ(play(), LevelCompleted);
}

TEST_F(LevelPlay, TheEdgeBlocksSilently)
{
    tc::typeText("wa");
    tc::padReads(ButtonDpadUp);
    tc::padReads(ButtonX);
    EXPECT_EQ(play(), std::nullopt);
    EXPECT_EQ(board, FirstLevel);
    EXPECT_EQ(tc::screen().cursor(), (CursorPosition{0, 2}));
    EXPECT_TRUE(playerGlyphAt(0, 0));
    // Gamepad steps take their pause even when blocked.
    EXPECT_EQ(tc::pauses(), (std::vector<std::int32_t>{150, 150}));
}

TEST_F(LevelPlay, KeyboardDeathIsImmediate)
{
    tc::typeText("dd");
    EXPECT_EQ(play(), LevelDied);
    // The player is drawn over the wall, then the cursor waits below the board.
    EXPECT_TRUE(playerGlyphAt(2, 0));
    EXPECT_EQ(tc::screen().cursor(), (CursorPosition{0, 5}));
    EXPECT_TRUE(shownBoard.empty());
    EXPECT_TRUE(tc::pauses().empty());
    EXPECT_TRUE(tc::rumbles().empty());
}

TEST_F(LevelPlay, GamepadDeathRumblesForASecond)
{
    tc::padReads(ButtonDpadRight);
    tc::padReads(ButtonB);
    EXPECT_EQ(play(), LevelDied);
    EXPECT_EQ(tc::pauses(), (std::vector<std::int32_t>{150, 150, 1000}));
    ASSERT_EQ(tc::rumbles().size(), 2u);
    EXPECT_EQ(tc::rumbles()[0].left, 65535);
    EXPECT_EQ(tc::rumbles()[0].right, 65535);
    EXPECT_EQ(tc::rumbles()[0].atMs, 300);
    EXPECT_EQ(tc::rumbles()[1].left, 0);
    EXPECT_EQ(tc::rumbles()[1].right, 0);
    EXPECT_EQ(tc::rumbles()[1].atMs, 1300);
    EXPECT_EQ(tc::screen().cursor(), (CursorPosition{0, 5}));
}

TEST_F(LevelPlay, QuitFromEitherDevice)
{
    tc::typeText("dQ");
    EXPECT_EQ(play(), LevelQuit);
    EXPECT_EQ(tc::screen().cursor(), (CursorPosition{0, 5}));
    EXPECT_EQ(shownBoard, FirstLevel);

    tc::reset(100, 40);
    board = FirstLevel;
    tc::padReads(ButtonStart | ButtonBack);
    EXPECT_EQ(play(), LevelQuit);
    EXPECT_FALSE(folder.exists(SaveRecordName));
}

TEST_F(LevelPlay, TheFirstMatchingButtonWins)
{
    // Up with down moves up (blocked here); A with B moves down.
    tc::padReads(ButtonDpadUp | ButtonDpadDown);
    tc::padReads(ButtonA | ButtonB);
    EXPECT_EQ(play(), std::nullopt);
    EXPECT_TRUE(playerGlyphAt(0, 1));
    EXPECT_EQ(tc::screen().cursor(), (CursorPosition{0, 3}));
}

TEST_F(LevelPlay, SavingShowsItsMessagesAndReturnsToThePlayer)
{
    tc::typeText("d");
    tc::typeText("e");
    tc::typeText("s");
    tc::padReads(ButtonBack);
    std::vector<std::string> seenWhileWriting;
    std::vector<std::string> seenWhilePausing;
    tc::onDiskFlush([&](const std::string&) {
        seenWhileWriting.push_back(tc::screen().line(5));
        return true;
    });
    tc::onPause([&](std::int32_t ms) {
        seenWhilePausing.push_back(tc::screen().line(5));
        EXPECT_EQ(ms, 3000);
        EXPECT_EQ(tc::screen().cursor(), (CursorPosition{0, 5}));
    });
    EXPECT_EQ(play(), std::nullopt);

    ASSERT_FALSE(seenWhileWriting.empty());
    EXPECT_EQ(seenWhileWriting.front(), "Saving Game");
    EXPECT_EQ(seenWhilePausing, (std::vector<std::string>{"Saved Game", "Saved Game"}));
    EXPECT_EQ(tc::screen().line(5), "");
    // Back on the player, who moved between the two saves.
    EXPECT_EQ(tc::screen().cursor(), (CursorPosition{2, 3}));
    // The record holds the level as it began, both times.
    EXPECT_EQ(folder.read(SaveRecordName), "879779970");
}

TEST_F(LevelPlay, AFailedSaveSaysSoAndKeepsTheOldRecord)
{
    folder.write(SaveRecordName, "8777777777777770");
    tc::failDiskFlush(true);
    tc::typeText("e");
    std::string seenWhilePausing;
    tc::onPause([&](std::int32_t) { seenWhilePausing = tc::screen().line(5); });
    EXPECT_EQ(play(), std::nullopt);
    EXPECT_EQ(seenWhilePausing, "Save Failed");
    EXPECT_EQ(tc::screen().line(5), "");
    EXPECT_EQ(tc::screen().cursor(), (CursorPosition{0, 2}));
    EXPECT_EQ(folder.read(SaveRecordName), "8777777777777770");
}

TEST_F(LevelPlay, InputsThatMeanNothingChangeNothing)
{
    tc::typeKeys({'x', 224, 27});
    tc::padReads(0);
    tc::padReads(0x0100);  // a shoulder button
    tc::noPadReads();
    EXPECT_EQ(play(), std::nullopt);
    EXPECT_EQ(board, FirstLevel);
    EXPECT_TRUE(tc::pauses().empty());
}

TEST_F(LevelPlay, ABoardWithoutAGoalEndsAtTheFirstInput)
{
    board = {TilePlayer, TileFloor, TileWall, TileFloor, TileFloor, TileWall, TileWall, TileFloor, TileFloor};
    tc::typeText("x");
    EXPECT_EQ(play(), LevelCompleted);
}

TEST_F(LevelPlay, ABoardWithoutAPlayerIsNeverWrittenOutside)
{
    board = {TileFloor, TileFloor, TileWall, TileFloor, TileFloor, TileWall, TileWall, TileFloor, TileGoal};
    tc::typeText("sdwa");
    EXPECT_EQ(play(), std::nullopt);
    EXPECT_EQ(board.size(), 9u);
    EXPECT_EQ(std::count(board.begin(), board.end(), TilePlayer), 0);
}

TEST_F(LevelPlay, TooSmallAWindowAsksForMoreAndRedrawsWhenItFits)
{
    tc::reset(100, 40);
    board = FirstLevel;
    tc::typeText("d");
    tc::scriptAction([] { tc::resizeConsole(6, 20); });
    tc::noPadReads();
    tc::typeText("s");  // dropped while the board does not fit
    tc::padReads(ButtonDpadDown);
    tc::noPadReads();
    tc::scriptAction([] {
        EXPECT_EQ(tc::screen().line(0), "The bo");
        tc::resizeConsole(100, 30);
    });
    tc::noPadReads();
    tc::typeText("s");
    EXPECT_EQ(play(), std::nullopt);

    const Screen& s = tc::screen();
    EXPECT_EQ(s.line(0), "Level 1");
    EXPECT_EQ(s.line(2), Block + Block + Block);
    EXPECT_EQ(s.line(4), Block + Block + Bars);
    // The board as it stands now: the player moved right, then down once.
    EXPECT_TRUE(playerGlyphAt(1, 1));
    EXPECT_EQ(s.cell(cellX(1), cellY(0)).fg, Green);
    EXPECT_EQ(s.cursor(), (CursorPosition{2, 3}));
    EXPECT_EQ(shownBoard, FirstLevel);
}

TEST_F(LevelPlay, QuittingWhileTheWindowIsTooSmall)
{
    tc::reset(100, 6);
    board = std::vector<std::int32_t>(16, TileFloor);
    board.front() = TilePlayer;
    board.back() = TileGoal;
    tc::typeText("xq");
    EXPECT_EQ(play(2), LevelQuit);
    EXPECT_EQ(tc::screen().line(0),
              "The board of level 2 needs a window of at least 9 x 7 characters. Please enlarge the window.");
    EXPECT_EQ(tc::screen().cursor(), (CursorPosition{0, 1}));
}

}  // namespace
