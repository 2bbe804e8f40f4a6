#include <gtest/gtest.h>

#include "tests/e2e/pty.hpp"

namespace {

TEST(TitleThroughTerminal, ShowsTheTitleRemindsAndClearsOnEnter)
{
    GameInTerminal game(100, 30);
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(10).starts_with("Press 'enter'"); }));
    EXPECT_EQ(game.screen().line(0), "Welcome to the quillonex. YOU are this.");
    EXPECT_EQ(game.screen().line(4), "Try to get to the \u25ac\u25ac without touching the \u2588\u2588.");

    game.type("\x1b[A");
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(12) == "Please input 'enter'"; }));
    EXPECT_EQ(game.screen().line(11), "Please input 'enter'");

    // Enter clears the title away; the first level follows, and q ends it.
    game.type("\r");
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(0) == "Level 1"; }));
    EXPECT_EQ(game.screen().findLine("Welcome"), -1);
    EXPECT_EQ(game.screen().findLine("Please input"), -1);
    game.type("q");
    EXPECT_EQ(game.waitForExit(), 0);
    EXPECT_EQ(game.screen().line(5), "Thank you for playing the quillonex!");
    EXPECT_TRUE(game.terminalSettingsRestored());
}

TEST(TitleThroughTerminal, TerminateSignalRestoresTheTerminal)
{
    GameInTerminal game(100, 30);
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(10).starts_with("Press 'enter'"); }));
    game.signal(SIGTERM);
    game.waitForExit();
    EXPECT_TRUE(game.killedBy(SIGTERM));
    EXPECT_TRUE(game.terminalSettingsRestored());
}

// Started straight in its terminal, as tmux or ssh start a command, the game
// has no shell that could bring it back from Ctrl+Z: it must go on playing in
// raw mode rather than hand the terminal back half-way.
TEST(TitleThroughTerminal, CtrlZWithNoShellToResumeKeepsPlaying)
{
    GameInTerminal game(100, 30);
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(10).starts_with("Press 'enter'"); }));
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
