// Signals and a terminal that goes away, wherever the game happens to be: the
// terminal is left as it was found, and the saved game is never half written.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/pty.hpp"
#include "tests/e2e/seen_board.hpp"

namespace {

// A level-2 record with a red cell below the player, which never matches the
// level-1 board a new game saves.
const std::string OldRecord = "8777977797779770";
const char* const AsksToResume = "Do you want to use your last saved data";

// Keys typed one after another, each once the screen shows the line before it.
using Steps = std::vector<std::pair<const char*, const char*>>;
const std::pair<const char*, Steps> Places[] = {
    {"the title", {}},
    {"the resume prompt", {{"\r", AsksToResume}}},
    {"a level", {{"\r", AsksToResume}, {"n", "Level 1"}}},
    {"the restart prompt", {{"\r", AsksToResume}, {"y", "Level 2"}, {"s", "Do you wanna restart"}}},
    {"the save's pause", {{"\r", AsksToResume}, {"n", "Level 1"}, {"e", "Saved Game"}}},
};

// Puts the old record beside the game at its title and plays the steps.
void play(GameInTerminal& game, const Steps& steps)
{
    ASSERT_TRUE(game.waitForLine("Press 'enter'"));
    std::ofstream(game.directory() + "/record.quillonex", std::ios::binary) << OldRecord;
    for (const auto& [keys, shown] : steps) {
        game.type(keys);
        ASSERT_TRUE(game.waitForLine(shown)) << shown;
    }
}

// The game ended, the terminal is as it was found, and the folder holds the record and nothing else.
std::string endedLeavingOnlyTheRecord(GameInTerminal& game, int signal)
{
    EXPECT_NE(game.waitForExit(3000), -2) << "the game did not end";
    EXPECT_TRUE(game.killedBy(signal) && game.terminalSettingsRestored() && game.screen().cursorVisible());
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(game.directory())) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"record.quillonex"});
    std::ifstream file(game.directory() + "/record.quillonex", std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

TEST(SignalEndsTheGame, AnywhereLeavingTheTerminalAsItWasFoundAndTheRecordWhole)
{
    // Each signal that ends the game, sent by another program or typed as a key.
    const std::pair<int, const char*> endings[] = {
        {SIGTERM, nullptr}, {SIGINT, nullptr}, {SIGHUP, nullptr}, {SIGINT, "\x03"}, {SIGQUIT, "\x1c"}};
    for (const auto& [place, steps] : Places) {
        for (const auto& [signal, key] : endings) {
            SCOPED_TRACE("signal " + std::to_string(signal) + (key ? " by key" : "") + " at " + place);
            GameInTerminal game(80, 30);
            ASSERT_NO_FATAL_FAILURE(play(game, steps));
            // A save shows its words below the board it wrote.
            const bool saved = game.screen().findLine("Saved Game") >= 0;
            const std::string expected = saved ? recordOf(*readBoard(game.screen())) : OldRecord;
            key ? game.type(key) : game.signal(signal);
            EXPECT_EQ(endedLeavingOnlyTheRecord(game, signal), expected);
        }
    }
}

// A terminal that stops reading leaves the game stuck in a write; a signal still ends it.
TEST(StalledTerminal, ASignalStillEndsTheGame)
{
    GameInTerminal game(80, 30);
    ASSERT_TRUE(game.waitForLine("Press 'enter'"));
    // Every wrong key at the title gets a reminder line, until the terminal is full.
    ASSERT_TRUE(game.jamOutput('x'));
    game.signal(SIGTERM);
    EXPECT_NE(game.waitForExit(2000, false), -2) << "the game hung on its way out";
    EXPECT_TRUE(game.killedBy(SIGTERM) && game.terminalSettingsRestored());
}

// The terminal's window is closed: the game hears a hang-up as the session's
// leader, or finds its terminal gone under a shell, and ends without spinning.
TEST(TerminalGoesAway, EndsTheGameWithoutSpinning)
{
    for (const Launch launch : {Launch::SessionLeader, Launch::UnderShell}) {
        for (const int place : {0, 2}) {  // the title and a level
            SCOPED_TRACE(std::string(launch == Launch::UnderShell ? "under a shell at " : "") + Places[place].first);
            GameInTerminal game(80, 30, {}, launch);
            ASSERT_NO_FATAL_FAILURE(play(game, Places[place].second));
            game.closeTerminal();
            const int status = game.waitForExit(2000);
            ASSERT_NE(status, -2) << "the game went on without its terminal";
            EXPECT_LT(game.cpuTime(), std::chrono::milliseconds(250)) << "busy for " << game.cpuTime().count() << " ms";
            EXPECT_TRUE(status == 0 || (launch == Launch::SessionLeader && game.killedBy(SIGHUP))) << status;
            std::ifstream file(game.directory() + "/record.quillonex", std::ios::binary);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), OldRecord);
        }
    }
}

}  // namespace
