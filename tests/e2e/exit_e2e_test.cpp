// A game ended by a signal hands the terminal back with the cursor below what
// it drew, so that the shell goes on under the board instead of inside it.
#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include "tests/e2e/pty.hpp"
#include "tests/e2e/seen_board.hpp"

namespace {

TEST(SignalEndsALevel, LeavesTheCursorBelowWhatTheGameDrew)
{
    // Level 1's board fills lines 2 to 4: its message line is 5, and a save
    // writes its words there.
    const struct {
        const char* keys;
        const char* shown;
        int line;
    } places[] = {{"", "Level 1", 5}, {"e", "Saved Game", 6}};
    for (const auto& place : places) {
        for (const char* ending : {"", "\x03", "\x1c"}) {
            SCOPED_TRACE(std::string(place.shown) + " ended by " + (*ending != '\0' ? "a key" : "SIGTERM"));
            GameInTerminal game(80, 30);
            ASSERT_TRUE(game.waitForLine("Press 'enter'"));
            game.type("\r");
            ASSERT_TRUE(game.waitFor([](const Screen& s) { return showsLevel(s, 1); }));
            game.type(place.keys);
            ASSERT_TRUE(game.waitForLine(place.shown));
            *ending != '\0' ? game.type(ending) : game.signal(SIGTERM);
            ASSERT_NE(game.waitForExit(3000), -2) << "the game did not end";
            EXPECT_EQ(game.screen().cursor(), (CursorPosition{0, place.line}));
        }
    }
}

}  // namespace
