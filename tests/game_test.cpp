#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <tuple>
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

// The record (or none), the script, the pauses (" blank" while the screen is), lines of the screen at the
// end, and the last level's board then (empty: not checked).
using GameRun = std::tuple<const char*, std::vector<int>, std::vector<std::string>,
                           std::vector<std::pair<int, std::string>>, std::string_view>;

class WholeGame : public ::testing::TestWithParam<GameRun> {
protected:
    void SetUp() override { startFresh(160, 50); }
    ScratchFolder folder;
};

TEST_P(WholeGame, AnswersEveryPromptAndPausesAsThePlayerAsked)
{
    const auto& [record, script, expectedPauses, lines, lastBoard] = GetParam();
    if (record != nullptr) {
        folder.write(SaveRecordName, record);
    }
    typeScript(script);
    std::vector<std::string> pauses;
    notePauses(pauses);
    runGame();
    EXPECT_TRUE(tc::scriptDone() && !tc::recorded().consoleOpen);
    EXPECT_EQ(pauses, expectedPauses);
    for (const auto& [y, text] : lines) {
        EXPECT_EQ(tc::screen().line(y), text) << "line " << y;
    }
    // Whatever came before, every cell shows whole; nothing here saves.
    const std::string seen = seenBoard(tc::screen().line(0) == "Level 2" ? 4 : 3);
    EXPECT_EQ(seen.find('?'), std::string::npos) << seen;
    EXPECT_TRUE(lastBoard.empty() || seen == lastBoard) << seen;
    EXPECT_EQ(folder.read(SaveRecordName), record != nullptr ? record : "");
}

const std::vector<std::string> FarewellOnly{"3000"};
const std::pair<int, std::string> FirstHeader{0, "Level 1"};
const std::string Again = "Please input your answer again";

const GameRun Runs[] = {
    // Without a playable record there is no prompt; the farewell follows a quit on the message line.
    {nullptr, {'\r', 'q'}, FarewellOnly, {FirstHeader, {5, Farewell}}, ""},
    // Keys answer at once, either case; the record's length gives the level.
    {SecondLevel, {'\r', 'n', 'q'}, FarewellOnly, {FirstHeader}, ""},
    {SecondLevel, {'\r', 'Y', 'q'}, FarewellOnly, {{0, "Level 2"}, {6, Farewell}}, "P.#./..#./##../###G"},
    // A pauses before the screen clears, at the title and at the offer; still held, it moves down.
    {FirstLevel, {Pad(0x1000), Pad(0x1000), Pad(0x1000), 'q'}, {"150", "150", "150", "3000"}, {}, "..#/P.#/#.G"},
    {FirstLevel, {'\r', Pad(0x3000), 'q'}, {"150", "3000"}, {}, "P.#/..#/#.G"},
    {FirstLevel, {'\r', Pad(0x2000), 'q'}, {"150", "3000"}, {FirstHeader}, ""},
    // A death by a key, then the restart prompt: A restarts at level 1, clearing and then pausing.
    {SecondLevel, {'\r', 'y', 'd', 'd', Pad(0x1000), 'q'}, {"150 blank", "3000"}, {FirstHeader, {5, Farewell}}, ""},
    // No: the farewell comes below the prompt and its reminders, B without a pause.
    {SecondLevel,
     {'\r', 'y', 'd', 'd', Pad(0x2000)},
     FarewellOnly,
     {{6, "You have died!"}, {7, RestartQuestion}, {8, Farewell}},
     ""},
    {FirstLevel,
     {'\r', 'y', 'd', 'd', 'x', KeyPrefixExtended, KeyUp, 'N'},
     FarewellOnly,
     {{5, "You have died!"}, {6, RestartQuestion}, {7, Again}, {8, Again}, {9, Again}, {10, Farewell}},
     ""},
};

INSTANTIATE_TEST_SUITE_P(Runs, WholeGame, ::testing::ValuesIn(Runs));

using Game = WholeGame;

TEST_F(Game, OnlyTheFirstLevelAfterALoadIsTheSavedOneAndLevelsFollowOnOneScreen)
{
    folder.write(SaveRecordName, FirstLevel);
    tc::typeText("\rydssd");
    // Level 2's keys are known once it is on the screen; level 3 saves and quits.
    tc::scriptAction([] { tc::typeText(keysToGoal(2) + "eq"); });
    runGame();
    EXPECT_EQ(tc::screen().line(0), "Level 3");
    EXPECT_EQ(seenBoard(5).find('?'), std::string::npos);
    EXPECT_EQ(tc::screen().line(7), Farewell);
    // The save replaced the record that was read, so it was closed before play began.
    EXPECT_EQ(folder.read(SaveRecordName).size(), 25u);
}

// A board followed by more than a record holds, a named pipe holding a board, or a file holding no board is
// not offered. The file emptied in place (as a shell's > does), grown, replaced or removed at the offer: yes
// loads what it offered.
TEST_F(Game, OffersOnlyAPlainFileOfARecordsLengthAndYesLoadsTheBoardItOffered)
{
    int readEnd = -1;
    const std::pair<std::function<void()>, bool> records[] = {
        {[this] { folder.write(SaveRecordName, SecondLevel + std::string(MaxRecordBytes, '\n')); }, false},
        {[this] { folder.write(SaveRecordName, "87977997"); }, false},
        {[&readEnd] {
             fs::remove(SaveRecordName);
             mkfifo(SaveRecordName, 0600);
             readEnd = open(SaveRecordName, O_RDONLY | O_NONBLOCK);
             const int writeEnd = open(SaveRecordName, O_WRONLY);
             EXPECT_EQ(write(writeEnd, SecondLevel, 16), 16);
             close(writeEnd);
         },
         false},
        {[this] { folder.write(SaveRecordName, ""); }, true},
        {[] { std::ofstream(SaveRecordName, std::ios::app) << "999999990"; }, true},
        {[this] { folder.write("other", FirstLevel), fs::rename("other", SaveRecordName); }, true},
        {[] { fs::remove(SaveRecordName); }, true},
    };
    for (const auto& [change, offered] : records) {
        startFresh(160, 50);
        fs::remove(SaveRecordName);
        folder.write(SaveRecordName, SecondLevel);
        if (!offered) {
            change();
        }
        tc::typeText("\r");
        tc::scriptAction(offered ? change : [] {});
        tc::typeText("yq");
        EXPECT_EQ(runGame(), 0);
        EXPECT_EQ(tc::screen().line(0), offered ? "Level 2" : "Level 1");
        EXPECT_TRUE(!offered || seenBoard(4) == "P.#./..#./##../###G") << seenBoard(4);
    }
    close(readEnd);
}

// Every wait in order: with no pad, or a button meaning nothing there, the game idles between reads, not
// spinning; "Saving Game" shows before the save starts. The offer reminds once per code of a wrong key.
TEST_F(Game, IdlesBetweenReadsWhereverItWaits)
{
    folder.write(SaveRecordName, FirstLevel);
    typeScript({NoPad, Pad(0x2000), '\r', NoPad, Pad(0x4000), KeyPrefixExtended, KeyUp});
    std::string prompt;
    tc::scriptAction([&prompt] { prompt = tc::terminal().text(); });
    typeScript({'y', Pad(0x0100), 'e', 'd', 'd', NoPad, Pad(0x4000), 'n'});
    runGame();
    EXPECT_TRUE(prompt.ends_with("'b' to not.\nPlease give a proper response.\nPlease give a proper response."))
        << prompt;
    EXPECT_EQ(tc::recorded().timeline,
              (std::vector<std::string>{"pad",     "idle", "pad",        "idle",      "key 13",  "pad", "idle",
                                        "pad",     "idle", "key 224",    "key 72",    "key 121", "pad", "idle",
                                        "key 101", "show", "pause 3000", "key 100",   "key 100", "pad", "idle",
                                        "pad",     "idle", "key 110",    "pause 3000"}));
}

// At start-up, only our own names (the prefix and six letters or digits) untouched for a while are removed.
TEST_F(Game, StartingRemovesOnlyTheLeftoversOfKilledSaves)
{
    const std::string own = NewRecordPrefix;
    const std::pair<std::string, int> files[] = {// names and seconds untouched
                                                 {own + "Killed", 3600},     {own + "09azAZ", 3600},
                                                 {own + "Aged12", 12},       {own + "Young8", 8},
                                                 {own + "Fresh0", 0},        {"my" + own.substr(2) + "Killed", 3600},
                                                 {own + "Kil-ed", 3600},     {own + "Kille", 3600},
                                                 {own + "Killed.bak", 3600}, {own + "mybackup1", 3600}};
    for (const auto& [name, age] : files) {
        folder.write(name, "87");
        fs::last_write_time(name, fs::file_time_type::clock::now() - std::chrono::seconds(age));
    }
    // Each file looked at is closed again (where the system lists a process's open files).
    const auto openFiles = [] {
        return fs::exists("/proc/self/fd") ? std::distance(fs::directory_iterator("/proc/self/fd"), {}) : 0;
    };
    const auto openBefore = openFiles();
    typeScript({'\r', 'q'});
    runGame();
    EXPECT_EQ(openFiles(), openBefore);
    EXPECT_EQ(folder.entries(), (std::set<std::string>{"mycord.quillonex.new-Killed", "record.quillonex.new-Fresh0",
                                                       "record.quillonex.new-Kil-ed", "record.quillonex.new-Kille",
                                                       "record.quillonex.new-Killed.bak", "record.quillonex.new-Young8",
                                                       "record.quillonex.new-mybackup1"}));
}

TEST_F(Game, MeasuresTheWindowAgainAfterTheOfferAndAfterEachLevel)
{
    for (const bool resumed : {true, false}) {
        SCOPED_TRACE(resumed ? "resumed" : "new game");
        startFresh(100, resumed ? 40 : 6);
        folder.write(SaveRecordName, SecondLevel);
        tc::typeText(resumed ? "\r" : "\rn");
        // At the offer the window shrinks; a new game's first level still fits in six lines.
        tc::scriptAction([resumed] { resumed ? tc::resize(100, 6) : tc::typeText(keysToGoal(1)); });
        typeScript(resumed ? std::vector<int>{'y', NoPad} : std::vector<int>{NoPad});
        std::string notice;
        tc::scriptAction([&notice] { notice = tc::terminal().text(); });
        tc::scriptAction([] { tc::resize(100, 8); });
        typeScript({NoPad, 'q'});
        runGame();
        EXPECT_EQ(notice,
                  "The board of level 2 needs a window of at least 9 x 7 characters. Please enlarge the window.");
        EXPECT_EQ(tc::terminal().line(0), "Level 2");
        EXPECT_EQ(seenBoard(4).find('?'), std::string::npos);
        EXPECT_TRUE(!resumed || seenBoard(4) == "P.#./..#./##../###G");
        EXPECT_EQ(tc::terminal().line(6), Farewell);
    }
}

}  // namespace
