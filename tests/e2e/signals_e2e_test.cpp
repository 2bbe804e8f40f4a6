// Signals and a terminal that goes away, wherever the game happens to be: the
// terminal is left as it was found, and the saved game is never half written.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/e2e/pty.hpp"
#include "tests/e2e/seen_board.hpp"

namespace {

using Clock = std::chrono::steady_clock;

const char* const RecordName = "record.quillonex";
// A level-2 record, so that it never matches the level-1 board a new game saves.
const char* const OldRecord = "8777977797779770";

// Where the game stands when the signal comes.
enum class Moment { Title, ResumePrompt, Level, RestartPrompt, SavePause };

std::string momentName(Moment moment)
{
    switch (moment) {
    case Moment::Title: return "Title";
    case Moment::ResumePrompt: return "ResumePrompt";
    case Moment::Level: return "Level";
    case Moment::RestartPrompt: return "RestartPrompt";
    case Moment::SavePause: return "SavePause";
    }
    return "Unknown";
}

std::string signalName(int signal)
{
    switch (signal) {
    case SIGTERM: return "SIGTERM";
    case SIGINT: return "SIGINT";
    case SIGHUP: return "SIGHUP";
    default: return "signal" + std::to_string(signal);
    }
}

bool atTitle(const Screen& s)
{
    return s.findLine("Press 'enter'") >= 0;
}

bool asksToResume(const Screen& s)
{
    return s.line(0).starts_with("Do you want to use your last saved data");
}

std::string fileContent(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

std::vector<std::string> folderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void putOldRecord(const GameInTerminal& game)
{
    std::ofstream(std::filesystem::path(game.directory()) / RecordName, std::ios::binary) << OldRecord;
}

// From the title to the first level, declining the old record when one is offered.
void startNewGame(GameInTerminal& game, bool recordOffered)
{
    game.type("\r");
    if (recordOffered) {
        ASSERT_TRUE(game.waitFor(asksToResume));
        game.type("n");
    }
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return showsLevel(s, 1); }));
}

// Walks into a red cell, going on to later levels while none is in reach.
void dieOnARedCell(GameInTerminal& game)
{
    for (int level = 1; level < 10; ++level) {
        const SeenBoard board = *readBoard(game.screen());
        const std::string death = keysTo(board, '#');
        if (!death.empty()) {
            game.type(death);
            ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.findLine("Do you wanna restart") >= 0; }));
            return;
        }
        game.type(keysTo(board, 'G'));
        ASSERT_TRUE(game.waitFor([level](const Screen& s) { return showsLevel(s, level + 1); }));
    }
    FAIL() << "no red cell in reach on the first levels";
}

// Plays from the start to the moment. At the save's pause, `saved` is what
// the record must now hold.
void reach(GameInTerminal& game, Moment moment, std::string& saved)
{
    ASSERT_TRUE(game.waitFor(atTitle));
    switch (moment) {
    case Moment::Title:
        return;
    case Moment::ResumePrompt:
        putOldRecord(game);
        game.type("\r");
        ASSERT_TRUE(game.waitFor(asksToResume));
        return;
    case Moment::Level:
        ASSERT_NO_FATAL_FAILURE(startNewGame(game, false));
        return;
    case Moment::RestartPrompt:
        ASSERT_NO_FATAL_FAILURE(startNewGame(game, false));
        ASSERT_NO_FATAL_FAILURE(dieOnARedCell(game));
        return;
    case Moment::SavePause:
        ASSERT_NO_FATAL_FAILURE(startNewGame(game, false));
        saved = recordOf(*readBoard(game.screen()));
        game.type("e");
        ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(5) == "Saved Game"; }));
        return;
    }
}

class SignalEndsTheGame : public testing::TestWithParam<std::tuple<Moment, int>> {};

TEST_P(SignalEndsTheGame, LeavingTheTerminalAsItWasFoundAndTheRecordWhole)
{
    const auto [moment, signal] = GetParam();
    GameInTerminal game(80, 30);
    std::string saved;
    ASSERT_NO_FATAL_FAILURE(reach(game, moment, saved));

    game.signal(signal);
    ASSERT_NE(game.waitForExit(3000), -2) << "the game did not end";
    EXPECT_TRUE(game.killedBy(signal));
    EXPECT_TRUE(game.terminalSettingsRestored());
    EXPECT_TRUE(game.screen().cursorVisible());

    // Nothing but the record, and only where there was one before or a save
    // has just finished.
    std::vector<std::string> expectedFiles;
    if (moment == Moment::ResumePrompt) {
        saved = OldRecord;
    }
    if (!saved.empty()) {
        expectedFiles.push_back(RecordName);
    }
    EXPECT_EQ(folderEntries(game.directory()), expectedFiles);
    if (!saved.empty()) {
        EXPECT_EQ(fileContent(std::filesystem::path(game.directory()) / RecordName), saved);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryPlace, SignalEndsTheGame,
                         testing::Combine(testing::Values(Moment::Title, Moment::ResumePrompt, Moment::Level,
                                                          Moment::RestartPrompt, Moment::SavePause),
                                          testing::Values(SIGTERM, SIGINT, SIGHUP)),
                         [](const testing::TestParamInfo<std::tuple<Moment, int>>& info) {
                             return momentName(std::get<0>(info.param)) + "_" + signalName(std::get<1>(info.param));
                         });

// The signal lands anywhere from before the game has read the 'e' to after
// the record is written: each round waits a little longer after the key
// than the last, over the time a whole save was seen to take, then signals
// until the game is gone.
class SignalDuringASave : public testing::TestWithParam<int> {};

TEST_P(SignalDuringASave, LeavesTheOldRecordOrTheNewOneAndNothingElse)
{
    constexpr int Rounds = 20;
    const int signal = GetParam();
    Clock::duration saveTime{};
    int oldKept = 0;
    int newWritten = 0;
    for (int round = 0; round < Rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        GameInTerminal game(80, 30);
        ASSERT_TRUE(game.waitFor(atTitle));
        putOldRecord(game);
        ASSERT_NO_FATAL_FAILURE(startNewGame(game, true));
        const std::string saved = recordOf(*readBoard(game.screen()));

        const auto typed = Clock::now();
        game.type("e");
        if (round == 0) {
            // The first round measures how long a save takes to show "Saved Game".
            ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(5) == "Saved Game"; }));
            saveTime = Clock::now() - typed;
        } else {
            const auto at = typed + saveTime * (round - 1) / (Rounds - 2);
            while (Clock::now() < at) {
            }
        }
        const auto giveUp = Clock::now() + std::chrono::seconds(3);
        do {
            game.signal(signal);
        } while (game.waitForExit(0) == -2 && Clock::now() < giveUp);
        ASSERT_NE(game.waitForExit(0), -2) << "the game did not end";
        EXPECT_TRUE(game.killedBy(signal));
        EXPECT_TRUE(game.terminalSettingsRestored());

        ASSERT_EQ(folderEntries(game.directory()), std::vector<std::string>{RecordName});
        const std::string record = fileContent(std::filesystem::path(game.directory()) / RecordName);
        if (record == OldRecord) {
            ++oldKept;
        } else {
            EXPECT_EQ(record, saved) << "neither the old record nor the new one";
            ++newWritten;
        }
    }
    RecordProperty("oldRecordKept", oldKept);
    RecordProperty("newRecordWritten", newWritten);
}

INSTANTIATE_TEST_SUITE_P(EachSignal, SignalDuringASave, testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const testing::TestParamInfo<int>& info) { return signalName(info.param); });

// The keys that send signals from the terminal: Ctrl+C at the title, and
// Ctrl+Backslash (SIGQUIT) during a level.
TEST(SignalKeys, CtrlCAndCtrlBackslashEndTheGameAndPutTheTerminalBack)
{
    {
        GameInTerminal game(80, 30);
        ASSERT_TRUE(game.waitFor(atTitle));
        game.type("\x03");
        ASSERT_NE(game.waitForExit(3000), -2);
        EXPECT_TRUE(game.killedBy(SIGINT));
        EXPECT_TRUE(game.terminalSettingsRestored());
    }
    GameInTerminal game(80, 30);
    ASSERT_TRUE(game.waitFor(atTitle));
    ASSERT_NO_FATAL_FAILURE(startNewGame(game, false));
    game.type("\x1c");
    ASSERT_NE(game.waitForExit(3000), -2);
    EXPECT_TRUE(game.killedBy(SIGQUIT));
    EXPECT_TRUE(game.terminalSettingsRestored());
    EXPECT_TRUE(game.screen().cursorVisible());
}

// A terminal that stops reading (a stalled connection) leaves the game stuck
// in a write; a signal must still end it, and give the terminal back.
TEST(StalledTerminal, ASignalStillEndsTheGame)
{
    GameInTerminal game(80, 30);
    ASSERT_TRUE(game.waitFor(atTitle));
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
class TerminalGoesAway : public testing::TestWithParam<std::tuple<Moment, Launch>> {};

TEST_P(TerminalGoesAway, EndsTheGameWithoutSpinning)
{
    const auto [moment, launch] = GetParam();
    GameInTerminal game(80, 30, {}, launch);
    std::string saved;
    ASSERT_NO_FATAL_FAILURE(reach(game, moment, saved));
    game.settle(50);
    const std::chrono::milliseconds before = game.cpuTime();

    game.closeTerminal();
    const int status = game.waitForExit(2000);
    const std::chrono::milliseconds used = game.cpuTime() - before;
    EXPECT_LT(used, std::chrono::milliseconds(250)) << "busy for " << used.count() << " ms of processor time";
    ASSERT_NE(status, -2) << "the game went on without its terminal";
    if (launch == Launch::SessionLeader) {
        // The hang-up as a rule; a read that sees the closed terminal a moment
        // before the signal lands ends the game as well.
        EXPECT_TRUE(game.killedBy(SIGHUP) || status == 0);
    } else {
        EXPECT_EQ(status, 0);
    }
    EXPECT_TRUE(folderEntries(game.directory()).empty());
}

INSTANTIATE_TEST_SUITE_P(TitleAndLevel, TerminalGoesAway,
                         testing::Combine(testing::Values(Moment::Title, Moment::Level),
                                          testing::Values(Launch::SessionLeader, Launch::UnderShell)),
                         [](const testing::TestParamInfo<std::tuple<Moment, Launch>>& info) {
                             return momentName(std::get<0>(info.param)) +
                                    (std::get<1>(info.param) == Launch::SessionLeader ? "_GameLeadsTheSession"
                                                                                      : "_UnderAShell");
                         });

}  // namespace
