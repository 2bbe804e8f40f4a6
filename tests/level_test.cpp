#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "board/board.hpp"
#include "maze/maze.hpp"
#include "play/input.hpp"
#include "play/level.hpp"
#include "save/record.hpp"
#include "tests/support/console.hpp"
#include "tests/support/ways.hpp"
#include "tests/support/scratch.hpp"

namespace tc = testconsole;

namespace {

const std::string Block = "\u2588\u2588";
const std::string Bars = "\u25ac\u25ac";
const Rgb Green{20, 200, 50};
const std::string LevelOneNotice =
    "The board of level 1 needs a window of at least 7 x 6 characters. Please enlarge the window.";

// P F W
// F F W
// W F G
const std::vector<std::int32_t> FirstLevel = {TilePlayer, TileFloor, TileWall, TileFloor, TileFloor,
                                              TileWall,   TileWall,  TileFloor, TileGoal};

class LevelPlay : public ::testing::Test {
protected:
    void SetUp() override
    {
        startFresh(100, 40);
        board = FirstLevel;
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
    // A prefix means nothing; the code after it moves, whatever the prefix.
    tc::typeKeys({224, 77, 'S', 0, 80, 'M'});
    EXPECT_EQ(play(), LevelCompleted);
    EXPECT_TRUE(playerGlyphAt(2, 2));
    EXPECT_EQ(tc::screen().cell(cellX(1), cellY(1)).fg, Green);
    EXPECT_EQ(tc::screen().cursor(), (CursorPosition{4, 4}));
    EXPECT_EQ(shownBoard, FirstLevel);
    EXPECT_TRUE(tc::pauses().empty());
}

TEST_F(LevelPlay, BlockedMovesAndStrayInputsChangeNothingUntilStartQuits)
{
    tc::typeKeys({'w', 'a', 'x', 224, 27});
    tc::padReads(ButtonDpadUp | ButtonDpadDown);  // up wins: blocked
    tc::padReads(ButtonX);                         // left: blocked
    tc::padReads(0);
    tc::padReads(0x0100);  // a shoulder button
    tc::noPadReads();
    tc::padReads(ButtonA | ButtonB);  // down wins over right
    tc::padReads(ButtonStart | ButtonBack);  // quits before it can save
    EXPECT_EQ(play(), LevelQuit);
    EXPECT_EQ(board, (std::vector<std::int32_t>{0, 0, 2, 1, 0, 2, 2, 0, 3}));
    EXPECT_TRUE(playerGlyphAt(0, 1));
    EXPECT_EQ(tc::screen().cursor(), (CursorPosition{0, 5}));
    EXPECT_EQ(shownBoard, FirstLevel);
    EXPECT_FALSE(folder.exists(SaveRecordName));
    // Every gamepad move pauses, blocked or not; nothing else does.
    EXPECT_EQ(tc::pauses(), (std::vector<std::int32_t>{150, 150, 150}));
}

TEST_F(LevelPlay, DeathByKeyIsImmediateAndByPadRumblesForASecond)
{
    tc::typeText("dd");
    EXPECT_EQ(play(), LevelDied);
    // The player is drawn over the wall, then the cursor waits below the board.
    EXPECT_TRUE(playerGlyphAt(2, 0));
    EXPECT_EQ(tc::screen().cursor(), (CursorPosition{0, 5}));
    EXPECT_TRUE(shownBoard.empty());
    EXPECT_TRUE(tc::pauses().empty());
    EXPECT_TRUE(tc::rumbles().empty());

    tc::reset(100, 40);
    board = FirstLevel;
    tc::padReads(ButtonDpadRight);
    tc::padReads(ButtonB);
    EXPECT_EQ(play(), LevelDied);
    EXPECT_EQ(tc::pauses(), (std::vector<std::int32_t>{150, 150, 1000}));
    ASSERT_EQ(tc::rumbles().size(), 2u);
    const tc::RumbleRequest& on = tc::rumbles()[0];
    const tc::RumbleRequest& off = tc::rumbles()[1];
    EXPECT_EQ(std::tie(on.left, on.right, on.atMs), std::make_tuple(65535, 65535, 300));
    EXPECT_EQ(std::tie(off.left, off.right, off.atMs), std::make_tuple(0, 0, 1300));
    EXPECT_EQ(tc::screen().cursor(), (CursorPosition{0, 5}));
}

TEST_F(LevelPlay, SavingShowsItsMessagesAndReturnsToThePlayer)
{
    tc::typeText("des");
    tc::padReads(ButtonBack);
    tc::scriptAction([] { tc::failDiskFlush(true); });
    tc::typeText("e");
    // The message line while the record is written and while the game pauses.
    std::vector<std::string> seen;
    tc::onDiskFlush([&](const std::string&) {
        seen.push_back("writing: " + tc::screen().line(5));
        return true;
    });
    tc::onPause([&](std::int32_t ms) {
        seen.push_back(std::to_string(ms) + ": " + tc::screen().line(5));
        EXPECT_EQ(tc::screen().cursor(), (CursorPosition{0, 5}));
    });
    EXPECT_EQ(play(), std::nullopt);
    EXPECT_EQ(seen, (std::vector<std::string>{"writing: Saving Game", "writing: Saving Game", "3000: Saved Game",
                                              "writing: Saving Game", "writing: Saving Game", "3000: Saved Game",
                                              "writing: Saving Game", "3000: Save Failed"}));
    EXPECT_EQ(tc::screen().line(5), "");
    // Back on the player, who moved between the first two saves.
    EXPECT_EQ(tc::screen().cursor(), (CursorPosition{2, 3}));
    // The record holds the level as it began.
    EXPECT_EQ(folder.read(SaveRecordName), "879779970");
}

TEST_F(LevelPlay, DamagedBoardsNeitherHangNorAreWrittenOutside)
{
    // Without a goal, the first input of any kind completes the level.
    board[8] = TileFloor;
    tc::typeText("x");
    EXPECT_EQ(play(), LevelCompleted);
    // Without a player, moves change nothing.
    board = FirstLevel;
    board[0] = TileFloor;
    tc::typeText("sdwa");
    EXPECT_EQ(play(), std::nullopt);
    EXPECT_EQ(board, (std::vector<std::int32_t>{0, 0, 2, 0, 0, 2, 2, 0, 3}));
}

TEST_F(LevelPlay, TooSmallAWindowAsksForMoreAndRedrawsWhenItFits)
{
    tc::typeText("d");
    tc::scriptAction([] { tc::resizeConsole(100, 5); });
    tc::noPadReads();
    tc::typeText("s");  // dropped while the board does not fit
    tc::padReads(ButtonDpadDown);
    tc::scriptAction([] {
        EXPECT_EQ(tc::screen().line(0), LevelOneNotice);
        tc::resizeConsole(100, 30);
    });
    tc::noPadReads();  // the resize is seen at the next poll
    tc::typeText("s");
    EXPECT_EQ(play(), std::nullopt);

    // Drawn afresh as the board stands now: the player moved right, then down once.
    EXPECT_EQ(tc::screen().line(0), "Level 1");
    EXPECT_EQ(tc::screen().line(4), Block + Block + Bars);
    EXPECT_TRUE(playerGlyphAt(1, 1));
    EXPECT_EQ(tc::screen().cell(cellX(1), cellY(0)).fg, Green);
    EXPECT_EQ(tc::screen().cursor(), (CursorPosition{2, 3}));
    EXPECT_EQ(shownBoard, FirstLevel);
}

TEST_F(LevelPlay, QuittingBeforeTheBoardFitsTheWindow)
{
    tc::reset(100, 5);
    tc::typeText("xq");
    EXPECT_EQ(play(), LevelQuit);
    EXPECT_EQ(tc::screen().line(0), LevelOneNotice);
    EXPECT_EQ(tc::screen().cursor(), (CursorPosition{0, 1}));
}

// The level as it reads plainly: after each key, search the board for the
// player to move, then for a goal left, and count the walls.
std::optional<LevelOutcome> playPlainly(std::int32_t side, std::vector<std::int32_t>& cells, CursorPosition& at,
                                        const std::string& keys)
{
    const auto walls = std::count(cells.begin(), cells.end(), TileWall);
    for (const char key : keys) {
        if (key != 'x') {
            *std::find(cells.begin(), cells.end(), TilePlayer) = TileFloor;
            const CursorPosition to{at.x + (key == 'd') - (key == 'a'), at.y + (key == 's') - (key == 'w')};
            at = std::min(to.x, to.y) >= 0 && std::max(to.x, to.y) < side ? to : at;
            *(cells.begin() + at.y * side + at.x) = TilePlayer;
        }
        const bool goalLeft = std::find(cells.begin(), cells.end(), TileGoal) != cells.end();
        if (!goalLeft || std::count(cells.begin(), cells.end(), TileWall) != walls) {
            return goalLeft ? LevelDied : LevelCompleted;
        }
    }
    return std::nullopt;
}

TEST_F(LevelPlay, KeepingThePlayersCellEndsAndDrawsAsSearchingTheBoardAfterEveryKey)
{
    // Generated boards (no record), then records of open floor.
    const auto open = [](std::size_t side) { return std::string("8").append(side * side - 2, '7').append("0"); };
    const std::pair<std::int32_t, std::string> boards[] = {{1, ""}, {6, ""}, {40, ""}, {5, open(7)}, {30, open(32)}};
    std::mt19937 random(13);
    for (const auto& [level, text] : boards) {
        const std::int32_t side = sideLengthFor(level);
        std::istringstream in(text);
        startFresh(100, 50);
        tc::setCalendarSeconds(1'700'000'000 + level);
        if (text.empty()) {
            generateMaze(level);
        } else {
            ASSERT_TRUE(saveRecordUsable(in));
            readSaveRecord(in);
        }
        const std::vector<std::int32_t> cells = board;
        // To the goal, each step taken, taken back and taken again; at random; against the edges.
        std::string walk = "wax";
        for (const char k : keysToGoal(level)) {
            walk += {k, "sdwa"[std::string_view("wasd").find(k)], k};
        }
        std::string stray;
        std::generate_n(std::back_inserter(stray), 400, [&] { return "wasdx"[random() % 5]; });
        const auto along = [&](char k) { return std::string(static_cast<std::size_t>(side), k); };
        for (const std::string& keys : {walk, stray, along('d'), "sa" + along('s') + along('d')}) {
            startFresh(100, 50);
            tc::setCalendarSeconds(1'700'000'000 + level);
            board = text.empty() ? std::vector<std::int32_t>{} : cells;
            tc::typeText(keys);
            const std::optional<LevelOutcome> outcome = play(level, !text.empty());
            std::vector<std::int32_t> plain = cells;
            CursorPosition at;
            SCOPED_TRACE("level " + std::to_string(level) + ", keys " + keys);
            EXPECT_EQ(outcome, playPlainly(side, plain, at, keys));
            EXPECT_EQ(board, plain);
            std::vector<std::int32_t> shown;
            for (std::int32_t i = 0; i < side * side; ++i) {
                const ScreenCell& c = tc::screen().cell(cellX(i % side), cellY(i / side));
                const std::int32_t block = c.fg == Green ? TileFloor : c.fg ? TileWall : TilePlayer;
                shown.push_back(c.ch == U'\u25ac' ? TileGoal : c.ch == U'\u2588' ? block : -1);
            }
            EXPECT_EQ(shown, plain);
            const CursorPosition cursor = outcome == LevelDied ? CursorPosition{0, messageLine(level)}
                                                               : CursorPosition{cellX(at.x), cellY(at.y)};
            EXPECT_EQ(tc::screen().cursor(), cursor);
        }
    }
}

}  // namespace
