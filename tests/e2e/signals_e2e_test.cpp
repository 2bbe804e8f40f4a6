// Signals, job control and a lost terminal anywhere: the terminal as found, the shell below, the record whole.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/pty.hpp"
#include "tests/e2e/seen_board.hpp"

namespace {

// A level-2 record, with a wall below the player: never the level-1 board a new game saves.
const std::string OldRecord = "8777977797779770";

// Keys typed once the screen shows the step before; a step without keys resizes the window.
struct Step {
    const char* keys;
    const char* shown;
    int columns = 0, lines = 0;
};
struct Place {
    const char* name;
    std::vector<Step> steps;
    int lines = 30;
    bool asks = false;  // a question shows the cursor; a board hides it
};
const Step Resume{"\r", "Do you want to use your last saved data"};
const Step NewGame{"n", "Level 1"};
// The notice's 92 characters take three lines of whole words at 45 columns.
const Step TooSmall{nullptr, "The board of level 1", 45, 4};
const Place Places[] = {
    {"the title", {}, 30, true},
    {"the resume prompt", {Resume}, 30, true},
    {"a level", {Resume, NewGame}},
    {"the restart prompt", {Resume, {"y", "Level 2"}, {"s", "Do you wanna restart"}}, 30, true},
    // Its words on the window's last line: the shell must start below them.
    {"the save's pause in a window the board fills", {Resume, NewGame, {"e", "Saved Game"}}, 6},
    {"the notice of a window too small", {Resume, NewGame, TooSmall}},
    {"the notice's first line filling 41 columns exactly", {Resume, NewGame, {nullptr, "The board of level 1", 41, 4}}},
    {"a level redrawn after a resize", {Resume, NewGame, TooSmall, {nullptr, "Level 1", 80, 30}}},
    // The farewell's line end scrolls the window: the shell must start right below the farewell.
    {"the farewell in a window the board fills", {Resume, NewGame, {"q", "Thank you for playing"}}, 6, true},
};

// The old record beside the game at its title, then the steps.
void play(GameInTerminal& game, const Place& place)
{
    ASSERT_TRUE(game.waitForLine("Press 'enter'"));
    std::ofstream(game.directory() + "/record.quillonex", std::ios::binary) << OldRecord;
    for (const Step& step : place.steps) {
        step.keys != nullptr ? game.type(step.keys) : game.resize(step.columns, step.lines);
        ASSERT_TRUE(game.waitForLine(step.shown)) << step.shown;
    }
}

TEST(SignalEndsTheGame, AnywhereLeavingTheTerminalAsItWasFoundAndTheRecordWhole)
{
    // Sent by another program or typed as a key; an abort (memory run out) ends it the same way.
    const std::pair<int, const char*> endings[] = {{SIGTERM, nullptr}, {SIGINT, nullptr}, {SIGHUP, nullptr},
                                                   {SIGINT, "\x03"},   {SIGQUIT, "\x1c"}, {SIGABRT, nullptr}};
    for (const Place& place : Places) {
        for (const auto& [signal, key] : endings) {
            SCOPED_TRACE("signal " + std::to_string(signal) + (key ? " by key" : "") + " at " + place.name);
            GameInTerminal game(80, place.lines);
            ASSERT_NO_FATAL_FAILURE(play(game, place));
            // A save shows its words below the board it wrote.
            const bool saved = game.screen().findLine("Saved Game") >= 0;
            const std::string expected = saved ? recordOf(*readBoard(game.screen())) : OldRecord;
            EXPECT_EQ(game.screen().cursorVisible(), place.asks);
            key ? game.type(key) : game.signal(signal);
            ASSERT_NE(game.waitForExit(), -2) << "the game did not end";
            EXPECT_TRUE(game.killedBy(signal) && game.terminalSettingsRestored() && game.coloursRestored());
            EXPECT_TRUE(cursorRightBelowTheGame(game.screen())) << game.screen().text();
            // The record whole, and no file beside it.
            EXPECT_EQ(contentOf(game.directory() + "/record.quillonex"), expected);
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(game.directory()), {}), 1);
        }
    }
}

// A terminal that stops reading leaves the game stuck in a write, where a signal still ends it. A closed
// window hangs up the session's leader, and shows under a shell as a terminal gone: the game ends, not spinning.
TEST(TerminalStallsOrGoesAway, TheGameStillEndsWithoutSpinning)
{
    GameInTerminal stalled(80, 30);
    ASSERT_TRUE(stalled.waitForLine("Press 'enter'"));
    // Every wrong key at the title gets a reminder line.
    ASSERT_TRUE(stalled.jamOutput('x'));
    stalled.signal(SIGTERM);
    EXPECT_NE(stalled.waitForExit(HangMs, false), -2) << "the game hung on its way out";
    EXPECT_TRUE(stalled.killedBy(SIGTERM) && stalled.terminalSettingsRestored());
    // A slow terminal, the game waiting in the write of a level-200 board that hid the cursor: a signal
    // there ends the sequence it cut and shows the cursor again.
    GameInTerminal slow(410, 210);
    std::ofstream(slow.directory() + "/record.quillonex") << squareRecord(202);
    ASSERT_TRUE(slow.answer("Press 'enter'", "\ry"));
    // Read no further than the header: the board behind it is far more than the terminal holds unread, so once
    // the game sleeps it waits in that write.
    ASSERT_TRUE(slow.waitFor([](const Screen& s) { return s.line(0) == "Level 200"; }));
    ASSERT_TRUE(slow.waitUntilAsleep(slow.pid()));
    slow.signal(SIGTERM);
    ASSERT_NE(slow.waitForExit(), -2);
    EXPECT_TRUE(slow.killedBy(SIGTERM) && slow.terminalSettingsRestored() && slow.screen().cursorVisible() &&
                slow.coloursRestored() && slow.screen().findLine("Level 200") == 0);
    for (const Launch launch : {Launch::SessionLeader, Launch::UnderShell}) {
        for (const Place& place : {Places[0], Places[2]}) {
            SCOPED_TRACE(std::string(launch == Launch::UnderShell ? "under a shell at " : "") + place.name);
            GameInTerminal game(80, 30, {}, launch);
            ASSERT_NO_FATAL_FAILURE(play(game, place));
            // Waiting for a key at a level must not keep a processor busy either.
            game.settle(launch == Launch::SessionLeader && place.steps.size() == 2 ? 2500 : 0);
            game.closeTerminal();
            const int status = game.waitForExit();
            ASSERT_NE(status, -2) << "the game went on without its terminal";
            EXPECT_LT(game.cpuTime(), std::chrono::milliseconds(250)) << "busy for " << game.cpuTime().count() << " ms";
            EXPECT_TRUE(status == 0 || (launch == Launch::SessionLeader && game.killedBy(SIGHUP))) << status;
            EXPECT_EQ(contentOf(game.directory() + "/record.quillonex"), OldRecord);
        }
    }
}

// A script's bash stops with the game and the shell takes the terminal back at once; each fg must
// still bring the game back with its keys read at once, not after an Enter, and Ctrl+C still end it.
TEST(SuspendThroughTerminal, CtrlZAndFgFromAScriptBringRawModeAndTheBoardBack)
{
    GameInTerminal shell(80, 30, {}, Launch::InteractiveShell);
    std::ofstream(shell.directory() + "/play") << "'" << QUILLONEX_BINARY << "'\n";
    shell.type("bash play\r");
    ASSERT_TRUE(shell.answer("Press 'enter'", "\r"));
    ASSERT_TRUE(shell.waitFor([](const Screen& s) { return showsLevel(s, 1); }));
    const std::string there = keysTo(*readBoard(shell.screen()), '.').substr(0, 1);
    const std::string back = there == "d" ? "a" : "w";
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        shell.type("\x1a");
        ASSERT_TRUE(shell.waitForLine("[1]+  Stopped"));
        // The game shows it as it stops, which may come just after the shell's line.
        EXPECT_TRUE(shell.waitFor([](const Screen& s) { return s.cursorVisible(); }));
        shell.type("fg\r");
        ASSERT_TRUE(shell.waitFor(
            [](const Screen& s) { return s.findLine("[1]+") < 0 && readBoard(s) && !s.cursorVisible(); }));
        // Off the first cell and back onto it.
        shell.type(round % 2 == 0 ? there : back);
        const char first = round % 2 == 0 ? '.' : 'P';
        ASSERT_TRUE(
            shell.waitFor([first](const Screen& s) { return readBoard(s) && readBoard(s)->cells[0] == first; }));
    }
    // Ctrl+C still ends it, and the script with it: the shell's line comes below the board drawn since the last fg.
    shell.type("\x03");
    ASSERT_TRUE(shell.waitFor([](const Screen& s) { return s.text().find("bash-") != std::string::npos; }));
    const std::optional<SeenBoard> board = readBoard(shell.screen());
    EXPECT_TRUE(board && shell.screen().findLine("bash-") > board->side + 1) << shell.screen().text();
    shell.type("echo ended $?\r");
    EXPECT_TRUE(shell.waitForLine("ended 130"));
}

// Stopped by kill -STOP (no handler sees it), the shell puts its settings in: fg must bring raw keys back. Killed
// while stopped (bash's kill continues it in the background), it ends there, not stopped again by setting the
// terminal, and writes nothing over the shell. Under dash (keeps no settings) Ctrl+Z finds the terminal put back.
TEST(SuspendThroughTerminal, StoppedFromOutsideComesBackRawAndKilledWhileStoppedLeavesTheShellWhereItWas)
{
    GameInTerminal shell(80, 30, {}, Launch::InteractiveShell);
    // By a short name, so that bash's job lines hold the same wherever the game was built.
    std::filesystem::create_symlink(QUILLONEX_BINARY, shell.directory() + "/quillonex");
    shell.type("./quillonex\r");
    ASSERT_TRUE(shell.answer("Press 'enter'", "\r"));
    ASSERT_TRUE(shell.waitFor([](const Screen& s) { return showsLevel(s, 1); }));
    kill(shell.child(), SIGSTOP);
    ASSERT_TRUE(shell.answer("[1]+  Stopped", "fg\r"));
    ASSERT_TRUE(shell.waitFor([](const Screen& s) { return s.findLine("[1]+") < 0 && showsLevel(s, 1); }));
    shell.type(keysTo(*readBoard(shell.screen()), '.').substr(0, 1));
    ASSERT_TRUE(shell.waitFor([](const Screen& s) { return readBoard(s) && readBoard(s)->cells[0] == '.'; }));
    shell.type("\x1a");
    ASSERT_TRUE(shell.waitForLine("[1]+  Stopped"));
    // Bash's kill continues it; the loop ends once the job is gone, so a game stopped again would hang it.
    shell.type("seq 12; kill %1; while jobs %1 >/dev/null 2>&1; do sleep 0.1; done; fg\r");
    ASSERT_TRUE(shell.waitForLine("bash: fg: current: no such job")) << shell.screen().text();
    // Below the numbers, only bash's own lines: its notice of the job's end (when not given to jobs) and fg's.
    const std::regex shellLines("\n12\n(\\[1\\][-+ ] +Terminated +\\./quillonex\n)?bash: fg: current: no such job");
    EXPECT_TRUE(std::regex_search(shell.screen().text(), shellLines)) << shell.screen().text();
    // Ctrl+Z under a shell that puts in no settings of its own (dash): the game gives the terminal back itself.
    shell.type("dash -ic \"'" QUILLONEX_BINARY "'; echo stopped\"\r");
    ASSERT_TRUE(shell.waitFor([](const Screen& s) { return s.text().ends_with("to continue as well."); }));
    shell.type("\x1a");
    EXPECT_TRUE(shell.waitForLine("stopped") && shell.terminalSettingsRestored()) << shell.screen().text();
}

}  // namespace
