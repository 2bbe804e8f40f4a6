#include <gtest/gtest.h>

#include "tests/e2e/pty.hpp"

namespace {

TEST(TitleThroughTerminal, ShowsTheTitleRemindsAndClearsOnEnter)
{
    GameInTerminal game(100, 30);
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(10).starts_with("Press 'enter'"); }));
    EXPECT_EQ(game.screen().line(0), "Welcome to the quillonex. YOU are this.");
    EXPECT_EQ(game.screen().line(4), "Try to get to the \u25ac\u25ac without touching the \u2588\u2588.");

    // An arrow key is two codes: two reminders.
    game.type("\x1b[A");
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(12) == "Please input 'enter'"; }));
    EXPECT_EQ(game.screen().line(11), "Please input 'enter'");

    game.type("\r");
    ASSERT_TRUE(game.waitForLine("Level 1"));
    EXPECT_EQ(game.screen().findLine("Welcome"), -1);
    EXPECT_EQ(game.screen().findLine("Please input"), -1);
    game.type("q");
    EXPECT_EQ(game.waitForExit(), 0);
}

// Started straight in its terminal, as tmux or ssh start a command, the game
// has no shell that could bring it back from Ctrl+Z: it must go on playing in
// raw mode rather than hand the terminal back half-way.
TEST(TitleThroughTerminal, CtrlZWithNoShellToResumeKeepsPlaying)
{
    GameInTerminal game(100, 30);
    ASSERT_TRUE(game.waitForLine("Press 'enter'"));
    game.type("\x1a");
    game.settle(300);
    game.type("x");
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(11) == "Please input 'enter'"; }));
    EXPECT_EQ(game.screen().line(12), "");
    game.type("\rq");
    EXPECT_EQ(game.waitForExit(), 0);
    EXPECT_TRUE(game.terminalSettingsRestored());
}

}  // namespace
