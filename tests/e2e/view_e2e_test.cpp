// Boards larger than the window, played through a terminal of 80 x 24: the view follows the player.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/e2e/pty.hpp"
#include "tests/e2e/seen_board.hpp"

namespace {

// Level 40 as a winding corridor: floor rows joined at alternate ends through rows of wall, the goal at the end
// of the last one. Its way runs back and forth across the whole board, right, left and down.
const std::string Winding = [] {
    std::string record = squareRecord(42);
    for (std::size_t i = 1; i + 1 < record.size(); ++i) {
        const std::size_t row = i / 42, col = i % 42;
        record[i] = row % 2 == 0 || col == ((row / 2) % 2 == 0 ? 41 : 0) ? '7' : '9';
    }
    return record;
}();

// Resumes the record's level in the terminal.
void resume(GameInTerminal& game, const std::string& record)
{
    std::ofstream(game.directory() + "/record.quillonex") << record;
    ASSERT_TRUE(game.answer("Press 'enter'", "\r"));
    ASSERT_TRUE(game.answer("Do you want", "y"));
}

// The player's place, followed key by key: after each key, the view shows the player there.
struct Walker {
    GameInTerminal& game;
    int col = 0, row = 0;
    bool seen()
    {
        return game.waitFor([this](const Screen& s) { return viewFault(s, 80, 24, Winding, col, row).empty(); });
    }
    ::testing::AssertionResult walk(const std::string& keys)
    {
        for (const char key : keys) {
            col += (key == 'd') - (key == 'a');
            row += (key == 's') - (key == 'w');
            game.type(std::string(1, key));
            if (!seen()) {
                return ::testing::AssertionFailure() << viewFault(game.screen(), 80, 24, Winding, col, row) << "\n"
                                                     << game.screen().text();
            }
        }
        return ::testing::AssertionSuccess();
    }
};

TEST(ViewThroughTerminal, Level40WalkedToItsGoalWithThePlayerInViewAfterEveryStep)
{
    GameInTerminal game(80, 24);
    ASSERT_NO_FATAL_FAILURE(resume(game, Winding));
    Walker walker{game};
    ASSERT_TRUE(walker.seen());
    const std::string keys = keysOfShortestWay(Winding, 42, 0, '7', '0');
    ASSERT_TRUE(walker.walk(keys.substr(0, keys.size() - 1)));
    // The next level starts in view, its player top-left.
    game.type(keys.substr(keys.size() - 1));
    ASSERT_TRUE(game.waitFor([](const Screen& s) {
        return s.line(0).starts_with("Level 41  goal: 42 right, 42 down") && s.cursor() == CursorPosition{0, 2} &&
               cellLetter(s, 0, 0) == 'P';
    }));
    game.type("q");
    EXPECT_EQ(game.waitForExit(), 0);
}

// Resized while the view has moved: a window that holds the board shows it whole, a smaller one the view
// again, each with the player where it stands; a signal then leaves the shell's line below the view.
TEST(ViewThroughTerminal, ResizedIntoAndOutOfTheWholeBoardAndEndedByASignal)
{
    GameInTerminal game(80, 24);
    ASSERT_NO_FATAL_FAILURE(resume(game, Winding));
    Walker walker{game};
    ASSERT_TRUE(walker.walk(std::string(35, 'd')));
    game.resize(85, 45);
    ASSERT_TRUE(game.waitFor([](const Screen& s) {
        return readBoard(s) && readBoard(s)->cells[35] == 'P' && s.cursor() == CursorPosition{70, 2};
    }));
    game.resize(80, 24);
    ASSERT_TRUE(walker.seen());
    ASSERT_TRUE(walker.walk("a"));
    game.signal(SIGTERM);
    ASSERT_NE(game.waitForExit(3000), -2);
    EXPECT_TRUE(game.terminalSettingsRestored() && game.coloursRestored() && cursorRightBelowTheGame(game.screen()))
        << game.screen().text();
}

// Ctrl+Z and fg under a shell in a view that has moved: the view comes back as it was, and play goes on.
TEST(ViewThroughTerminal, CtrlZAndFgBringTheViewBack)
{
    GameInTerminal shell(80, 24, {}, Launch::InteractiveShell);
    std::ofstream(shell.directory() + "/record.quillonex") << Winding;
    shell.type("cd '" + shell.directory() + "' && '" QUILLONEX_BINARY "'\r");
    ASSERT_TRUE(shell.answer("Press 'enter'", "\ry"));
    Walker walker{shell};
    ASSERT_TRUE(walker.walk(std::string(41, 'd') + "ss" + std::string(10, 'a')));
    shell.type("\x1a");
    ASSERT_TRUE(shell.answer("[1]+  Stopped", "fg\r"));
    ASSERT_TRUE(walker.seen() && !shell.screen().cursorVisible());
    // Hidden again once, with the view drawn again, not at every step after it.
    const std::size_t drawn = shell.received().size();
    ASSERT_TRUE(walker.walk("aaaaaaaaaaaa"));
    EXPECT_EQ(shell.received().find("\x1b[?25l", drawn), std::string::npos);
    shell.type("\x03");
    ASSERT_TRUE(shell.waitForLine("bash-"));
}

// Without colours the view's cells keep their shapes: the player a pair of brackets, the floor a light shade.
TEST(ViewThroughTerminal, ThePaletteWithoutColoursShowsTheViewInShapes)
{
    GameInTerminal game(80, 24, {}, Launch::SessionLeader, {"NO_COLOR=1"});
    ASSERT_NO_FATAL_FAILURE(resume(game, Winding));
    for (int step = 1; step <= 35; ++step) {
        game.type("d");
        // The top row of the view; at the 30th step the view moves on by the 3 cells the board has left.
        std::string row;
        for (int c = 0; c < 39; ++c) {
            row += c == (step >= 30 ? step - 3 : step) ? "[]" : "\u2591\u2591";
        }
        const std::string header = "Level 40  goal: " + std::string(step > 31 ? " " : "") + std::to_string(41 - step);
        const auto shown = [&](const Screen& s) { return s.line(2) == row && s.line(0) == header + " right, 41 down"; };
        ASSERT_TRUE(game.waitFor(shown)) << step << "\n" << game.screen().text();
    }
}

}  // namespace
