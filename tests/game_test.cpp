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
// P F W F / F F W F / W W F F / W W W G
const std::string SecondLevelRecord = "8797779799779990";
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
        startFresh(160, 50);
    }

    static bool runsToTheEnd()
    {
        return runGame() == 0 && tc::scriptDone() && !tc::consoleIsOpen() && tc::closeCalls() > 0;
    }

    ScratchFolder folder;
};

TEST_F(WholeGame, WithoutAUsableRecordTheFirstLevelFollowsTheTitle)
{
    for (const char* damaged : {static_cast<const char*>(nullptr), "", "8777", "87777777\n", "X79779970"}) {
        SCOPED_TRACE(damaged != nullptr ? damaged : "no record");
        SetUp();  // a new run
        if (damaged != nullptr) {
            folder.write(SaveRecordName, damaged);
        }
        tc::typeKeys({13, 'q'});
        ASSERT_TRUE(runsToTheEnd());
        EXPECT_EQ(tc::output().find("Do you want"), std::string::npos);
        EXPECT_EQ(tc::screen().line(0), "Level 1");
        // The farewell stands on the message line, after a quit.
        EXPECT_EQ(tc::screen().line(5), Farewell);
        EXPECT_EQ(tc::pauses(), std::vector<std::int32_t>{3000});
        // Nothing touched the player's file.
        EXPECT_EQ(folder.read(SaveRecordName), damaged != nullptr ? damaged : "");
    }
}

TEST_F(WholeGame, DecliningTheRecordStartsANewGameAndResumingPlaysItsLevelFromTheStart)
{
    // A level-2 board: the record's length gives the level.
    folder.write(SaveRecordName, SecondLevelRecord);
    tc::typeKeys({13, 'n', 'q'});
    ASSERT_TRUE(runsToTheEnd());
    EXPECT_EQ(tc::screen().line(0), "Level 1");
    EXPECT_EQ(tc::pauses(), std::vector<std::int32_t>{3000});

    SetUp();  // a new run
    std::string prompt;
    tc::typeKeys({13, 224, 72});
    tc::scriptAction([&prompt] { prompt = tc::screen().text(); });
    tc::typeKeys({'Y', 'q'});
    ASSERT_TRUE(runsToTheEnd());
    EXPECT_EQ(prompt, ResumeQuestion + "\nPlease give a proper response.\nPlease give a proper response.");
    const Screen& s = tc::screen();
    EXPECT_EQ(s.line(0), "Level 2");
    EXPECT_EQ(s.cell(0, 2), (ScreenCell{U'\u2588', {}, {}}));
    EXPECT_EQ(s.line(5), Block + Block + Block + Bars);
    EXPECT_EQ(s.line(6), Farewell);
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

TEST_F(WholeGame, OnlyTheFirstLevelAfterALoadIsTheSavedOneAndLevelsFollowWithoutAClear)
{
    folder.write(SaveRecordName, FirstLevelRecord);
    tc::typeText("\rydssd");
    // Level 2's keys are known once it is on the screen; level 3 saves and quits.
    tc::scriptAction([] { tc::typeText(keysToGoal(2) + "eq"); });
    ASSERT_TRUE(runsToTheEnd());
    EXPECT_EQ(tc::screen().line(0), "Level 3");
    EXPECT_EQ(tc::output().find("\x1b[2J", tc::output().find("Level 1")), std::string::npos);
    EXPECT_EQ(tc::screen().line(7), Farewell);
    // The save replaced the record that was read (so it was closed before play began).
    EXPECT_EQ(folder.read(SaveRecordName).size(), 25u);
}

TEST_F(WholeGame, DeathThenDecliningSaysFarewellBelowThePrompt)
{
    folder.write(SaveRecordName, FirstLevelRecord);
    tc::typeText("\ryddxN");
    ASSERT_TRUE(runsToTheEnd());
    const Screen& s = tc::screen();
    EXPECT_EQ(s.line(5), "You have died!");
    EXPECT_EQ(s.line(6), RestartQuestion);
    EXPECT_EQ(s.line(7), "Please input your answer again");
    EXPECT_EQ(s.line(8), Farewell);
    EXPECT_EQ(tc::pauses(), std::vector<std::int32_t>{3000});
}

TEST_F(WholeGame, GamepadDeathWithAHeldRestartsAtLevelOneAfterTheRumble)
{
    folder.write(SaveRecordName, SecondLevelRecord);
    tc::typeText("\ry");
    tc::padReads(ButtonB, 2);  // right, right: into the wall
    std::string afterDeath;
    tc::scriptAction([&afterDeath] { afterDeath = tc::screen().text(); });
    tc::padReads(ButtonA);  // still down at the prompt
    tc::typeText("q");
    ASSERT_TRUE(runsToTheEnd());
    EXPECT_NE(afterDeath.find("You have died!\n" + RestartQuestion), std::string::npos);
    EXPECT_EQ(tc::pauses(), (std::vector<std::int32_t>{150, 150, 1000, 150, 3000}));
    EXPECT_EQ(tc::screen().line(0), "Level 1");  // on a cleared screen
    EXPECT_EQ(tc::screen().text().find("died"), std::string::npos);
}

TEST_F(WholeGame, WithoutAUsableConsoleOnlyTheFailureIsPrinted)
{
    tc::failOpen(true);
    EXPECT_EQ(runGame(), 0);
    EXPECT_EQ(tc::narrowOutput(), "Something broke within the game. Sorry, but you won't be able to play the game");
    EXPECT_EQ(tc::output(), tc::narrowOutput());
}

}  // namespace
