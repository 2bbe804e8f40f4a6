// Keys as they reach the game from afar or from careless programs, and the
// game stopped and resumed by a shell's job control.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/e2e/pty.hpp"
#include "tests/e2e/seen_board.hpp"

namespace {

auto playerOn(std::size_t cell)
{
    return [cell](const Screen& s) { return readBoard(s) && readBoard(s)->cells[cell] == 'P'; };
}

TEST(KeysThroughTerminal, ALoneEscAndOverlongEnterAreNoEnterAtTheTitle)
{
    GameInTerminal game(100, 30);
    ASSERT_TRUE(game.waitForLine("Press 'enter'"));
    game.type("\x1b");
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(11) == "Please input 'enter'"; }));
    game.type("\xc0\x8d\xc1\xb9x");
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(14) == "Please input 'enter'"; }));
    EXPECT_EQ(game.screen().line(0), "Welcome to the quillonex. YOU are this.");
    game.type("\rq");
    EXPECT_EQ(game.waitForExit(), 0);
}

TEST(KeysThroughTerminal, AnArrowWithItsBytesSpacedOutMovesButOverlongLettersDoNot)
{
    GameInTerminal game(80, 30);
    ASSERT_TRUE(game.waitForLine("Press 'enter'"));
    game.type("\r");
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return showsLevel(s, 1); }));
    const SeenBoard start = *readBoard(game.screen());
    const bool right = keysTo(start, '.').at(0) == 'd';
    // Overlong forms of w, a, s, d, e, q and Enter.
    game.type("\xc1\xb7\xc1\xa1\xc1\xb3\xc1\xa4\xc1\xa5\xc1\xb1\xc0\x8d");
    // Right or Down, as a laggy link delivers it.
    for (const char byte : std::string("\x1b[") + (right ? 'C' : 'B')) {
        game.settle(300);
        game.type(std::string(1, byte));
    }
    ASSERT_TRUE(game.waitFor(playerOn(right ? 1 : static_cast<std::size_t>(start.side))));
    game.type("q");
    EXPECT_EQ(game.waitForExit(), 0);
    EXPECT_FALSE(std::filesystem::exists(game.directory() + "/record.quillonex"));
}

// A script's bash stops along with the game, and the interactive shell takes
// the terminal back at once; the game must still come back on every fg.
TEST(SuspendThroughTerminal, CtrlZAndFgFromAScriptBringRawModeAndTheBoardBack)
{
    GameInTerminal shell(80, 30, {}, Launch::InteractiveShell);
    const std::string script = shell.directory() + "/play";
    std::ofstream(script) << "#!/bin/bash\ncd '" << shell.directory() << "'\n'" << QUILLONEX_BINARY << "'\n";
    chmod(script.c_str(), 0755);
    shell.type("./play\r");
    ASSERT_TRUE(shell.waitForLine("Press 'enter'"));
    shell.type("\r");
    ASSERT_TRUE(shell.waitFor([](const Screen& s) { return showsLevel(s, 1); }));
    const SeenBoard start = *readBoard(shell.screen());
    const std::string there = keysTo(start, '.').substr(0, 1);
    const std::string back = there == "d" ? "a" : "w";
    const std::size_t cells[] = {there == "d" ? 1 : static_cast<std::size_t>(start.side), 0};
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        shell.type("\x1a");
        ASSERT_TRUE(shell.waitForLine("[1]+  Stopped"));
        EXPECT_TRUE(shell.terminalSettingsRestored());
        shell.type("fg\r");
        ASSERT_TRUE(shell.waitFor([](const Screen& s) { return s.findLine("[1]+") < 0 && readBoard(s); }));
        // Read at once, not after an Enter: raw mode is back.
        shell.type(round % 2 == 0 ? there : back);
        ASSERT_TRUE(shell.waitFor(playerOn(cells[round % 2]))) << shell.screen().text();
    }
    shell.type("q");
    EXPECT_TRUE(shell.waitForLine("Thank you for playing"));
}

}  // namespace
