#include <gtest/gtest.h>

#include "app/title.hpp"
#include "play/input.hpp"
#include "tests/support/console.hpp"

namespace tc = testconsole;

namespace {

const Rgb Red{255, 0, 0};
const Rgb Yellow{255, 255, 0};
const Rgb Brown{150, 75, 0};

class TitleScreen : public ::testing::Test {
protected:
    void SetUp() override { tc::reset(100, 30); }

    // Runs the title until the script ends; true when the title was left.
    static bool runTitle()
    {
        try {
            showTitleScreen();
            return true;
        } catch (const tc::ScriptExhausted&) {
            return false;
        }
    }
};

TEST_F(TitleScreen, ShowsEveryLineWithItsColours)
{
    ASSERT_FALSE(runTitle());
    const Screen& s = tc::screen();
    EXPECT_EQ(s.line(0), "Welcome to the quillonex. YOU are this.");
    EXPECT_EQ(s.line(1), "     \u2588\u2588");
    EXPECT_EQ(s.line(2), "Aren't you so pretty");
    EXPECT_EQ(s.line(3), "Move around by pressing the wasd or arrow keys");
    EXPECT_EQ(s.line(4), "Try to get to the \u25ac\u25ac without touching the \u2588\u2588.");
    EXPECT_EQ(s.line(5), "Press 'e' to save your progress and press 'q' to quit the game.");
    EXPECT_EQ(s.line(6), "If you are using an Xbox controller, use the d-pad or the letter buttons to move around.");
    EXPECT_EQ(s.line(7), "Press the start button to quit and press the back button to save.");
    EXPECT_EQ(s.line(8), "Good Luck");
    EXPECT_EQ(s.line(9), "DO NOT PRESS KEYS WHILE THE GAME IS DOING STUFF, SUCH AS SAVING OR UPDATING THE GAME.");
    EXPECT_EQ(s.line(10), "Press 'enter' to continue. Press 'A' on a Xbox controller to continue as well.");
    EXPECT_EQ(s.line(11), "");
    EXPECT_EQ(s.cursor(), (CursorPosition{0, 11}));

    // The player's block is in the default colours.
    EXPECT_EQ(s.cell(5, 1).fg, Colour{});
    // The goal's bars are yellow on brown, and the colour stops right after them.
    for (const int x : {18, 19}) {
        EXPECT_EQ(s.cell(x, 4).fg, Yellow);
        EXPECT_EQ(s.cell(x, 4).bg, Brown);
    }
    EXPECT_EQ(s.cell(20, 4), (ScreenCell{U' ', {}, {}}));
    // The deadly block is red; the full stop after it is not.
    const int red = static_cast<int>(std::string("Try to get to the ").size()) + 2 +
                    static_cast<int>(std::string(" without touching the ").size());
    EXPECT_EQ(s.cell(red, 4).ch, U'\u2588');
    EXPECT_EQ(s.cell(red, 4).fg, Red);
    EXPECT_EQ(s.cell(red + 1, 4).fg, Red);
    EXPECT_EQ(s.cell(red + 2, 4), (ScreenCell{U'.', {}, {}}));
    EXPECT_TRUE(s.unknownSequences().empty());
}

TEST_F(TitleScreen, EnterClearsTheScreenWithoutPausing)
{
    tc::noPadReads(3);
    tc::typeKeys({13});
    ASSERT_TRUE(runTitle());
    EXPECT_TRUE(tc::screen().blank());
    EXPECT_EQ(tc::screen().cursor(), (CursorPosition{0, 0}));
    EXPECT_TRUE(tc::pauses().empty());
    EXPECT_TRUE(tc::scriptDone());
}

TEST_F(TitleScreen, EveryOtherCodeGetsTheReminderOnce)
{
    // An arrow key brings two codes, so two reminders; then a letter and Esc.
    tc::typeKeys({224, 72, 'x', 27});
    tc::noPadReads();
    ASSERT_FALSE(runTitle());
    for (int y = 11; y < 15; ++y) {
        EXPECT_EQ(tc::screen().line(y), "Please input 'enter'");
    }
    EXPECT_EQ(tc::screen().line(15), "");
}

TEST_F(TitleScreen, GamepadAConfirmsAfterAPause)
{
    tc::padReads(0);
    tc::padReads(ButtonB | ButtonStart);
    tc::padReads(ButtonA | ButtonB);
    ASSERT_TRUE(runTitle());
    EXPECT_EQ(tc::pauses(), std::vector<std::int32_t>{150});
    EXPECT_TRUE(tc::screen().blank());
    // Ignored buttons print nothing.
    EXPECT_EQ(tc::output().find("Please input"), std::string::npos);
}

TEST_F(TitleScreen, EnterWinsOverAHeldAButton)
{
    // The keyboard is looked at first: the pad is never read.
    tc::typeKeys({13});
    tc::padReads(ButtonA);
    ASSERT_TRUE(runTitle());
    EXPECT_TRUE(tc::pauses().empty());
    EXPECT_FALSE(tc::scriptDone());
}

TEST_F(TitleScreen, WaitingWithoutInputIdlesInsteadOfSpinning)
{
    tc::noPadReads(5);
    ASSERT_FALSE(runTitle());
    EXPECT_EQ(tc::idleCalls(), 5);
}

}  // namespace
