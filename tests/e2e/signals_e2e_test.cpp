// Signals and a terminal that goes away, wherever the game happens to be: the
// terminal is left as it was found, and the saved game is never half written.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
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

// What the record holds, once the game has ended; the folder must hold nothing else.
std::string onlyRecord(const GameInTerminal& game)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(game.directory())) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"record.quillonex"});
    std::ifstream file(game.directory() + "/record.quillonex", std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// Each signal that ends the game, sent by another program or typed as a key.
struct Ending {
    int signal;
    const char* key;
};

TEST(SignalEndsTheGame, AnywhereLeavingTheTerminalAsItWasFoundAndTheRecordWhole)
{
    const Ending endings[] = {{SIGTERM, nullptr}, {SIGINT, nullptr}, {SIGHUP, nullptr}, {SIGINT, "\x03"},
                              {SIGQUIT, "\x1c"}};
    for (const auto& [place, steps] : Places) {
        for (const Ending& ending : endings) {
            SCOPED_TRACE(std::string("signal ") + std::to_string(ending.signal) + (ending.key ? " by key" : "") +
                         " at " + place);
            GameInTerminal game(80, 30);
            ASSERT_NO_FATAL_FAILURE(play(game, steps));
            // A save shows its words below the board it wrote.
            const bool saved = game.screen().findLine("Saved Game") >= 0;
            const std::string expected = saved ? recordOf(*readBoard(game.screen())) : OldRecord;

            ending.key ? game.type(ending.key) : game.signal(ending.signal);
            ASSERT_NE(game.waitForExit(3000), -2) << "the game did not end";
            EXPECT_TRUE(game.killedBy(ending.signal));
            EXPECT_TRUE(game.terminalSettingsRestored());
            EXPECT_TRUE(game.screen().cursorVisible());
            EXPECT_EQ(onlyRecord(game), expected);
        }
    }
}

// The first round learns how long a save takes, from the 'e' to "Saved
// Game"; the second signals at once after the key. Each later one signals
// halfway between the latest moment that kept the old record and the earliest
// that gave the new one, closing in on the moment the save begins.
TEST(SignalDuringASave, LeavesTheOldRecordOrTheNewOneAndNothingElse)
{
    using Clock = std::chrono::steady_clock;
    const int signals[] = {SIGTERM, SIGINT, SIGHUP};
    Clock::duration kept{};
    Clock::duration written{};
    int outcomes[2] = {};  // the old record kept, the new one written
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        GameInTerminal game(80, 30);
        ASSERT_NO_FATAL_FAILURE(play(game, Places[2].second));
        const std::string saved = recordOf(*readBoard(game.screen()));
        Clock::duration delay = round == 1 ? Clock::duration{} : (kept + written) / 2;
        const auto typed = Clock::now();
        game.type("e");
        if (round == 0) {
            ASSERT_TRUE(game.waitForLine("Saved Game"));
            delay = Clock::now() - typed;
        }
        std::this_thread::sleep_until(typed + delay);
        const int signal = signals[round % 3];
        game.signal(signal);
        ASSERT_NE(game.waitForExit(3000), -2) << "the game did not end";
        EXPECT_TRUE(game.killedBy(signal));
        EXPECT_TRUE(game.terminalSettingsRestored());

        const std::string record = onlyRecord(game);
        const bool old = record == OldRecord;
        EXPECT_TRUE(old || record == saved) << "neither the old record nor the new one: " << record;
        (old ? kept : written) = delay;
        ++outcomes[old ? 0 : 1];
    }
    EXPECT_TRUE(outcomes[0] > 0 && outcomes[1] > 0) << outcomes[0] << " kept, " << outcomes[1] << " written";
}

// A terminal that stops reading (a stalled connection) leaves the game stuck
// in a write; a signal must still end it, and give the terminal back.
TEST(StalledTerminal, ASignalStillEndsTheGame)
{
    GameInTerminal game(80, 30);
    ASSERT_TRUE(game.waitForLine("Press 'enter'"));
    // Every wrong key at the title gets a reminder line, until the terminal is full.
    ASSERT_TRUE(game.jamOutput('x'));
    game.signal(SIGTERM);
    EXPECT_NE(game.waitForExit(2000, false), -2) << "the game hung on its way out";
    EXPECT_TRUE(game.killedBy(SIGTERM));
    EXPECT_TRUE(game.terminalSettingsRestored());
}

// The terminal's window is closed while the game waits. As the leader of the
// terminal's session the game hears a hang-up; under a shell that keeps the
// hang-up to itself, it finds its terminal gone on the next read. Either way
// it ends at once instead of polling a dead terminal.
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
            // The hang-up as a rule; a read that sees the closed terminal a
            // moment before the signal lands ends the game as well.
            EXPECT_TRUE(status == 0 || (launch == Launch::SessionLeader && game.killedBy(SIGHUP))) << status;
            EXPECT_EQ(onlyRecord(game), OldRecord);
        }
    }
}

}  // namespace
