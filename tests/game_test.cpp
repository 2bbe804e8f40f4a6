#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/game.hpp"
#include "board/board.hpp"
#include "play/input.hpp"
#include "save/record.hpp"
#include "tests/support/console.hpp"
#include "tests/support/scratch.hpp"
#include "tests/support/ways.hpp"

namespace tc = testconsole;

namespace {

const std::string Block = "\u2588\u2588";
const std::string Bars = "\u25ac\u25ac";
// P F W / F F W / W F G
const std::string FirstLevelRecord = "879779970";
const std::string ResumeQuestion =
    "Do you want to use your last saved data (y/n)? If you are using a Xbox controller controller, press 'a' to "
    "use your last saved data and press 'b' to not.";
const std::string RestartQuestion =
    "Do you wanna restart (y/n)? If you are using an Xbox controller, press 'a' to restart and 'b' to not.";
const std::string Farewell = "Thank you for playing the quillonex!";

class WholeGame : public ::testing::Test {
protected:
    void SetUp() override
    {
        tc::reset(160, 50);
        board.clear();
        shownBoard.clear();
        playerCell = nullptr;
    }
    void TearDown() override
    {
        board.clear();
        shownBoard.clear();
    }

    static bool runsToTheEnd()
    {
        return runGame() == 0 && tc::scriptDone() && !tc::consoleIsOpen() && tc::closeCalls() > 0;
    }

    // Types, when the level is on the screen, the keys that walk it to its goal.
    static void walkToGoalOf(std::int32_t level)
    {
        tc::scriptAction([level] { tc::typeText(keysToGoal(level)); });
    }

    // Remembers the screen's text when the script gets here.
    static void snapshot(std::string& into)
    {
        tc::scriptAction([&into] { into = tc::screen().text(); });
    }

    ScratchFolder folder;
};

TEST_F(WholeGame, WithoutARecordTheFirstLevelFollowsTheTitle)
{
    tc::typeKeys({13, 'q'});
    ASSERT_TRUE(runsToTheEnd());
    const Screen& s = tc::screen();
    EXPECT_EQ(s.line(0), "Level 1");
    EXPECT_EQ(s.line(2).size(), 3 * Block.size());
    // The farewell stands on the message line, after a quit.
    EXPECT_EQ(s.line(5), Farewell);
    EXPECT_EQ(tc::pauses(), std::vector<std::int32_t>{3000});
    EXPECT_EQ(tc::output().find("Do you want"), std::string::npos);
}

TEST_F(WholeGame, AnUnusableRecordIsNotOffered)
{
    for (const std::string damaged : {"", "8777", "87777777\n", "X79779970"}) {
        tc::reset(160, 50);
        folder.write(SaveRecordName, damaged);
        tc::typeKeys({13, 'q'});
        ASSERT_TRUE(runsToTheEnd());
        EXPECT_EQ(tc::output().find("Do you want"), std::string::npos) << damaged;
        EXPECT_EQ(tc::screen().line(0), "Level 1");
        // Nothing touched the player's file.
        EXPECT_EQ(folder.read(SaveRecordName), damaged);
    }
}

TEST_F(WholeGame, ResumingPlaysTheSavedLevelFromItsStart)
{
    // A level-2 board: the record's length gives the level.
    folder.write(SaveRecordName, "8797779799779990");
    std::string prompt;
    tc::typeKeys({13, 224, 72});
    snapshot(prompt);
    tc::typeKeys({'Y', 'q'});
    ASSERT_TRUE(runsToTheEnd());
    EXPECT_EQ(prompt, ResumeQuestion + "\nPlease give a proper response.\nPlease give a proper response.");
    const Screen& s = tc::screen();
    EXPECT_EQ(s.line(0), "Level 2");
    EXPECT_EQ(s.cell(0, 2), (ScreenCell{U'\u2588', {}, {}}));
    EXPECT_EQ(s.line(5), Block + Block + Block + Bars);
    EXPECT_EQ(s.line(6), Farewell);
}

TEST_F(WholeGame, DecliningTheRecordStartsANewGame)
{
    folder.write(SaveRecordName, FirstLevelRecord);
    tc::typeKeys({13, 'n', 'q'});
    ASSERT_TRUE(runsToTheEnd());
    EXPECT_EQ(tc::screen().line(0), "Level 1");
    EXPECT_TRUE(tc::pauses() == std::vector<std::int32_t>{3000});
}

TEST_F(WholeGame, AHeldAButtonAnswersEveryWaitItMeets)
{
    // A ends the title, is still down at the offer and loads, and then moves
    // the player down in the level.
    folder.write(SaveRecordName, FirstLevelRecord);
    tc::padReads(ButtonA, 3);
    tc::typeText("q");
    ASSERT_TRUE(runsToTheEnd());
    EXPECT_EQ(tc::pauses(), (std::vector<std::int32_t>{150, 150, 150, 3000}));
    EXPECT_EQ(tc::screen().cell(0, 3), (ScreenCell{U'\u2588', {}, {}}));
}

TEST_F(WholeGame, OnlyTheFirstLevelAfterALoadIsTheSavedOne)
{
    folder.write(SaveRecordName, FirstLevelRecord);
    tc::typeKeys({13, 'y'});
    tc::typeText("dssd");
    tc::typeText("e");
    tc::typeText("q");
    ASSERT_TRUE(runsToTheEnd());
    EXPECT_EQ(tc::screen().line(0), "Level 2");
    EXPECT_EQ(board.size(), 16u);
    // The save during level 2 replaced the record that was read (so the
    // record was closed before play began).
    EXPECT_EQ(folder.read(SaveRecordName).size(), 16u);
}

TEST_F(WholeGame, DeathThenDecliningSaysFarewellBelowThePrompt)
{
    folder.write(SaveRecordName, FirstLevelRecord);
    tc::typeKeys({13, 'y'});
    tc::typeText("dd");
    tc::typeText("xN");
    ASSERT_TRUE(runsToTheEnd());
    const Screen& s = tc::screen();
    EXPECT_EQ(s.line(5), "You have died!");
    EXPECT_EQ(s.line(6), RestartQuestion);
    EXPECT_EQ(s.line(7), "Please input your answer again");
    EXPECT_EQ(s.line(8), Farewell);
    EXPECT_EQ(tc::pauses(), std::vector<std::int32_t>{3000});
}

TEST_F(WholeGame, RestartingByKeyClearsAndBeginsAtLevelOneAgain)
{
    folder.write(SaveRecordName, "8797779799779990");
    tc::typeKeys({13, 'y'});
    tc::typeText("ss");  // into the wall below
    tc::typeText("Y");
    tc::typeText("q");
    ASSERT_TRUE(runsToTheEnd());
    const Screen& s = tc::screen();
    EXPECT_EQ(s.line(0), "Level 1");
    EXPECT_EQ(s.line(5), Farewell);
    EXPECT_EQ(s.text().find("died"), std::string::npos);
    EXPECT_EQ(tc::pauses(), std::vector<std::int32_t>{3000});
}

TEST_F(WholeGame, GamepadDeathWithAHeldRestartsAfterTheRumble)
{
    folder.write(SaveRecordName, FirstLevelRecord);
    tc::typeKeys({13, 'y'});
    tc::padReads(ButtonB, 2);  // right, right: into the wall
    std::string afterDeath;
    snapshot(afterDeath);
    tc::padReads(ButtonA);  // still down at the prompt
    tc::typeText("q");
    ASSERT_TRUE(runsToTheEnd());
    EXPECT_NE(afterDeath.find("You have died!\n" + RestartQuestion), std::string::npos);
    EXPECT_EQ(tc::pauses(), (std::vector<std::int32_t>{150, 150, 1000, 150, 3000}));
    ASSERT_EQ(tc::rumbles().size(), 2u);
    EXPECT_EQ(tc::screen().line(0), "Level 1");
    EXPECT_EQ(tc::screen().text().find("died"), std::string::npos);
}

TEST_F(WholeGame, CompletedLevelsFollowOneAnotherWithoutAClear)
{
    tc::typeKeys({13});
    walkToGoalOf(1);
    walkToGoalOf(2);
    tc::scriptAction([] { tc::typeText("q"); });
    ASSERT_TRUE(runsToTheEnd());
    EXPECT_EQ(tc::screen().line(0), "Level 3");
    EXPECT_EQ(tc::output().find("\x1b[2J", tc::output().find("Level 1")), std::string::npos);
    EXPECT_EQ(tc::screen().line(7), Farewell);
}

TEST_F(WholeGame, WithoutAUsableConsoleOnlyTheFailureIsPrinted)
{
    tc::failOpen(true);
    EXPECT_EQ(runGame(), 0);
    EXPECT_EQ(tc::narrowOutput(), "Something broke within the game. Sorry, but you won't be able to play the game");
    EXPECT_EQ(tc::output(), tc::narrowOutput());
}

}  // namespace
