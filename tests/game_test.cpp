#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <utility>

#include "app/game.hpp"
#include "tests/support/ways.hpp"

namespace fs = std::filesystem;

namespace {

const char* const FirstLevel = "879779970";
const char* const SecondLevel = "8797779799779990";
const std::string RestartQuestion =
    "Do you wanna restart (y/n)? If you are using an Xbox controller, press 'a' to restart and 'b' to not.";
const std::string Farewell = "Thank you for playing the quillonex!";

struct GameRun {
    const char* record;  // nothing: no saved game
    std::vector<int> script;
    // Each pause, and whether the screen was blank while the game waited.
    std::vector<std::string> pauses;
    std::vector<std::pair<int, std::string>> lines;
    const char* seen = nullptr;  // the board of the last level as it ends
};

class WholeGame : public ::testing::TestWithParam<GameRun> {
protected:
    void SetUp() override { startFresh(160, 50); }
    ScratchFolder folder;
};

TEST_P(WholeGame, AnswersEveryPromptAndPausesAsThePlayerAsked)
{
    const GameRun& run = GetParam();
    if (run.record != nullptr) {
        folder.write(SaveRecordName, run.record);
    }
    typeScript(run.script);
    std::vector<std::string> pauses;
    notePauses(pauses);
    EXPECT_TRUE(runGame() == 0 && tc::scriptDone() && !tc::consoleIsOpen());
    EXPECT_EQ(pauses, run.pauses);
    for (const auto& [y, text] : run.lines) {
        EXPECT_EQ(tc::screen().line(y), text) << "line " << y;
    }
    // Whatever came before, the board under the header shows every cell whole.
    const std::string seen = seenBoard(tc::screen().line(0) == "Level 2" ? 4 : 3);
    EXPECT_EQ(seen.find('?'), std::string::npos) << seen;
    EXPECT_TRUE(run.seen == nullptr || seen == run.seen) << seen;
    // Nothing here saves: the player's file is as it was.
    EXPECT_EQ(folder.read(SaveRecordName), run.record != nullptr ? run.record : "");
}

const std::vector<std::string> FarewellOnly{"3000"};
const std::pair<int, std::string> FirstHeader{0, "Level 1"};

const GameRun Runs[] = {
    // Without a playable record there is no prompt; the farewell follows a quit on the message line.
    {nullptr, {'\r', 'q'}, FarewellOnly, {FirstHeader, {5, Farewell}}},
    {"X79779970", {'\r', 'q'}, FarewellOnly, {FirstHeader, {5, Farewell}}},
    // Keys answer at once, either case; the record's length gives the level.
    {SecondLevel, {'\r', 'n', 'q'}, FarewellOnly, {FirstHeader}},
    {SecondLevel, {'\r', 'Y', 'q'}, FarewellOnly, {{0, "Level 2"}, {6, Farewell}}, "P.#./..#./##../###G"},
    // A pauses before the screen clears, at the title and at the offer; still held, it moves down.
    {FirstLevel, {Pad(ButtonA), Pad(ButtonA), Pad(ButtonA), 'q'}, {"150", "150", "150", "3000"}, {}, "..#/P.#/#.G"},
    {FirstLevel, {'\r', Pad(ButtonA | ButtonB), 'q'}, {"150", "3000"}, {}, "P.#/..#/#.G"},
    {FirstLevel, {'\r', Pad(ButtonB), 'q'}, {"150", "3000"}, {FirstHeader}},
    // A death by a key, then the restart prompt: A restarts at level 1, clearing and then pausing.
    {SecondLevel, {'\r', 'y', 'd', 'd', Pad(ButtonA), 'q'}, {"150 blank", "3000"}, {FirstHeader, {5, Farewell}}},
    // No: the farewell comes below the prompt and its reminders, B without a pause.
    {SecondLevel, {'\r', 'y', 'd', 'd', Pad(ButtonB)}, FarewellOnly,
     {{6, "You have died!"}, {7, RestartQuestion}, {8, Farewell}}},
    {FirstLevel, {'\r', 'y', 'd', 'd', 'x', 224, 72, 'N'}, FarewellOnly,
     {{5, "You have died!"}, {6, RestartQuestion}, {7, "Please input your answer again"},
      {8, "Please input your answer again"}, {9, "Please input your answer again"}, {10, Farewell}}},
};

INSTANTIATE_TEST_SUITE_P(Runs, WholeGame, ::testing::ValuesIn(Runs));

using Game = WholeGame;

TEST_F(Game, TheOfferRemindsOnceForEachCodeOfAWrongKey)
{
    folder.write(SaveRecordName, FirstLevel);
    std::string prompt;
    tc::typeKeys({13, 224, 72});
    tc::scriptAction([&prompt] { prompt = tc::screen().text(); });
    tc::typeKeys({'y', 'q'});
    EXPECT_EQ(runGame(), 0);
    EXPECT_EQ(prompt,
              "Do you want to use your last saved data (y/n)? If you are using a Xbox controller controller, press "
              "'a' to use your last saved data and press 'b' to not.\nPlease give a proper response.\n"
              "Please give a proper response.");
}

TEST_F(Game, OnlyTheFirstLevelAfterALoadIsTheSavedOneAndLevelsFollowOnOneScreen)
{
    folder.write(SaveRecordName, FirstLevel);
    tc::typeText("\rydssd");
    // Level 2's keys are known once it is on the screen; level 3 saves and quits.
    tc::scriptAction([] { tc::typeText(keysToGoal(2) + "eq"); });
    EXPECT_EQ(runGame(), 0);
    EXPECT_EQ(tc::screen().line(0), "Level 3");
    EXPECT_EQ(seenBoard(5).find('?'), std::string::npos);
    EXPECT_EQ(tc::screen().line(7), Farewell);
    // The save replaced the record that was read (so it was closed before play began).
    EXPECT_EQ(folder.read(SaveRecordName).size(), 25u);
}

TEST_F(Game, YesLoadsTheBoardOfferedWhateverBecomesOfTheFileBeforeTheAnswer)
{
    const std::function<void()> changes[] = {
        [this] { folder.write(SaveRecordName, ""); },  // emptied in place, as a shell's > does
        [] { std::ofstream(SaveRecordName, std::ios::app) << "999999990"; },  // grown in place
        [this] { folder.write("other", FirstLevel), fs::rename("other", SaveRecordName); },  // replaced
        [] { fs::remove(SaveRecordName); },
    };
    for (const auto& change : changes) {
        startFresh(160, 50);
        folder.write(SaveRecordName, SecondLevel);
        tc::typeText("\r");
        tc::scriptAction(change);
        tc::typeText("yq");
        EXPECT_EQ(runGame(), 0);
        EXPECT_EQ(tc::screen().line(0), "Level 2");
        EXPECT_EQ(seenBoard(4), "P.#./..#./##../###G");
    }
}

TEST_F(Game, NothingButAPlainFileOfARecordsLengthIsOffered)
{
    int readEnd = -1;
    const std::function<void()> records[] = {
        // A board, then more than any record holds.
        [this] { folder.write(SaveRecordName, SecondLevel + std::string(MaxRecordBytes, '\n')); },
        [] { mkfifo(SaveRecordName, 0600); },  // a named pipe no program writes to
        [&readEnd] {  // one that holds a whole board
            mkfifo(SaveRecordName, 0600);
            readEnd = open(SaveRecordName, O_RDONLY | O_NONBLOCK);
            const int writeEnd = open(SaveRecordName, O_WRONLY);
            EXPECT_EQ(write(writeEnd, SecondLevel, 16), 16);
            close(writeEnd);
        },
    };
    for (const auto& put : records) {
        startFresh(160, 50);
        fs::remove(SaveRecordName);
        put();
        tc::typeText("\rq");
        EXPECT_EQ(runGame(), 0);
        EXPECT_EQ(tc::screen().line(0), "Level 1");
        EXPECT_EQ(tc::screen().findLine("Do you want"), -1);
    }
    close(readEnd);
}

TEST_F(Game, WithoutAUsableConsoleOnlyTheFailureIsPrinted)
{
    tc::failOpen(true);
    EXPECT_EQ(runGame(), 0);
    EXPECT_EQ(tc::narrowOutput(), "Something broke within the game. Sorry, but you won't be able to play the game");
    EXPECT_EQ(tc::output(), tc::narrowOutput());
}

}  // namespace
