#include <gtest/gtest.h>

#include <string>

#include "app/title.hpp"
#include "play/input.hpp"
#include "tests/support/console.hpp"

namespace tc = testconsole;

namespace {

const Rgb Red{255, 0, 0};

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

    // The player's block is in the default colours; the goal's bars are yellow
    // on brown and the deadly block red, each colour stopping right after them.
    EXPECT_EQ(s.cell(5, 1), (ScreenCell{U'\u2588', {}, {}}));
    for (const int x : {18, 19}) {
        EXPECT_EQ(s.cell(x, 4), (ScreenCell{U'\u25ac', Rgb{255, 255, 0}, Rgb{150, 75, 0}}));
        EXPECT_EQ(s.cell(x + 24, 4), (ScreenCell{U'\u2588', Red, {}}));
    }
    EXPECT_EQ(s.cell(20, 4), (ScreenCell{U' ', {}, {}}));
    EXPECT_EQ(s.cell(44, 4), (ScreenCell{U'.', {}, {}}));
}

TEST_F(TitleScreen, EnterClearsAtOnceAndWinsOverAHeldA)
{
    // Empty polls idle instead of spinning. The keyboard is looked at first,
    // so the pad is never read while Enter waits.
    tc::noPadReads(3);
    tc::typeKeys({13});
    tc::padReads(ButtonA);
    ASSERT_TRUE(runTitle());
    EXPECT_TRUE(tc::screen().blank());
    EXPECT_EQ(tc::screen().cursor(), (CursorPosition{0, 0}));
    EXPECT_TRUE(tc::pauses().empty());
    EXPECT_EQ(tc::idleCalls(), 3);
    EXPECT_FALSE(tc::scriptDone());
}

TEST_F(TitleScreen, OtherCodesGetTheReminderAndAContinuesAfterAPause)
{
    // An arrow key brings two codes, so two reminders; other buttons print nothing.
    tc::typeKeys({224, 72, 'x', 27});
    tc::padReads(0);
    tc::padReads(ButtonB | ButtonStart);
    tc::padReads(ButtonA | ButtonB);
    std::string seen;
    tc::onPause([&seen](std::int32_t) { seen = tc::screen().text(); });
    ASSERT_TRUE(runTitle());
    const std::string reminder = "\nPlease input 'enter'";
    EXPECT_TRUE(seen.ends_with("as well." + reminder + reminder + reminder + reminder)) << seen;
    EXPECT_EQ(tc::pauses(), std::vector<std::int32_t>{150});
    EXPECT_TRUE(tc::screen().blank());
}

}  // namespace
