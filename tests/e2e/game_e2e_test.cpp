#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/e2e/pty.hpp"
#include "tests/e2e/seen_board.hpp"

namespace {

const char* const Farewell = "Thank you for playing the quillonex!";

TEST(GameThroughTerminal, TitleLevelsDeathRestartSaveQuitAndResume)
{
    GameInTerminal game(100, 30);
    ASSERT_TRUE(game.waitForLine("Press 'enter'"));
    EXPECT_EQ(game.screen().line(4), "Try to get to the \u25ac\u25ac without touching the \u2588\u2588.");
    // Started straight in its terminal, the game has no shell that could bring
    // it back from Ctrl+Z: it goes on. An arrow key is two codes, any
    // character one: three reminders.
    game.type("\x1a");
    game.settle(300);
    game.type("\x1b[A\xf0\x9f\x98\x80");
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(13) == "Please input 'enter'"; }));
    game.settle(200);
    EXPECT_EQ(game.screen().line(14), "");
    game.type("\r");
    // Two levels walked to their goals by reading the screen.
    for (int level = 1; level <= 2; ++level) {
        ASSERT_TRUE(game.waitFor([level](const Screen& s) { return showsLevel(s, level); })) << level;
        EXPECT_EQ(game.screen().findLine("Please input"), -1);
        game.type(keysTo(*readBoard(game.screen()), 'G'));
    }
    // Drawn over level 2 without a clear, yet one player and one goal.
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return showsLevel(s, 3); }));
    const SeenBoard third = *readBoard(game.screen());
    EXPECT_EQ(std::count(third.cells.begin(), third.cells.end(), 'P'), 1);
    EXPECT_EQ(std::count(third.cells.begin(), third.cells.end(), 'G'), 1);

    game.type(keysTo(third, '#'));
    ASSERT_TRUE(game.waitForLine("You have died!"));
    game.type("y");
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return showsLevel(s, 1); }));
    EXPECT_EQ(game.screen().findLine("You have died!"), -1);
    // The message stands on the line below the board, then goes.
    const SeenBoard saved = *readBoard(game.screen());
    game.type("e");
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(5) == "Saved Game"; }));
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(5).empty(); }, 6000));
    EXPECT_EQ(game.screen().cursor(), (CursorPosition{0, 2}));
    game.type("q");
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(5) == Farewell; }));
    EXPECT_EQ(game.waitForExit(), 0);
    EXPECT_TRUE(game.terminalSettingsRestored());

    GameInTerminal again(80, 30, game.directory());
    ASSERT_TRUE(again.waitForLine("Press 'enter'"));
    again.type("\r");
    ASSERT_TRUE(again.waitForLine("Do you want"));
    again.type("y");
    ASSERT_TRUE(again.waitFor([](const Screen& s) { return showsLevel(s, 1); }));
    EXPECT_EQ(readBoard(again.screen())->cells, saved.cells);
    again.type("q");
    ASSERT_TRUE(again.waitForLine(Farewell));
    EXPECT_EQ(again.waitForExit(), 0);
    EXPECT_TRUE(again.terminalSettingsRestored());
}

TEST(GameThroughTerminal, ASmallWindowGetsANoticeAndTheBoardBack)
{
    GameInTerminal game(80, 24);
    ASSERT_TRUE(game.waitForLine("Press 'enter'"));
    game.type("\r");
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return showsLevel(s, 1); }));
    game.type(keysTo(*readBoard(game.screen()), '.').substr(0, 1));
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return readBoard(s) && !showsLevel(s, 1); }));
    const SeenBoard before = *readBoard(game.screen());
    game.resize(40, 4);
    game.signal(SIGWINCH);
    ASSERT_TRUE(game.waitFor([](const Screen& s) {
        return s.line(0) == "The board of level 1 needs a window of a" && s.line(1).starts_with("t least 7 x 6 ");
    }));
    game.resize(80, 24);
    game.signal(SIGWINCH);
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return readBoard(s).has_value(); }));
    EXPECT_EQ(readBoard(game.screen())->cells, before.cells);
    game.type("q");
    EXPECT_EQ(game.waitForExit(), 0);
}

TEST(GameThroughTerminal, ANamedPipeUnderTheRecordsNameIsNoSavedGame)
{
    GameInTerminal game(80, 30);
    ASSERT_TRUE(game.waitForLine("Press 'enter'"));
    ASSERT_EQ(mkfifo((game.directory() + "/record.quillonex").c_str(), 0600), 0);
    game.type("\r");
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return showsLevel(s, 1); }));
    game.type("q");
    EXPECT_EQ(game.waitForExit(), 0);
}

}  // namespace
