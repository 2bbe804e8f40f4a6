// A signal during a level leaves the cursor below what the game drew, so that
// the shell goes on under the board instead of inside it.
#include <gtest/gtest.h>

#include <csignal>

#include "tests/e2e/pty.hpp"

TEST(SignalEndsALevel, LeavesTheCursorBelowWhatTheGameDrew)
{
    // Level 1's board fills lines 2 to 4; a save writes its words on line 5.
    for (const auto& [keys, line] : {std::pair("", 5), std::pair("e", 6)}) {
        for (const char* ending : {"", "\x03", "\x1c"}) {  // SIGTERM, Ctrl+C, Ctrl+\ .
            GameInTerminal game(80, 30);
            ASSERT_TRUE(game.waitForLine("Press 'enter'"));
            game.type("\r");
            ASSERT_TRUE(game.waitForLine("Level 1"));
            game.type(keys);
            ASSERT_TRUE(game.waitForLine(*keys != '\0' ? "Saved Game" : "Level 1"));
            *ending != '\0' ? game.type(ending) : game.signal(SIGTERM);
            ASSERT_NE(game.waitForExit(3000), -2) << "the game did not end";
            EXPECT_EQ(game.screen().cursor(), (CursorPosition{0, line})) << keys << " " << *ending;
        }
    }
}
