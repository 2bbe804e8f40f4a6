#include <algorithm>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <tuple>

#include "maze/maze.hpp"
#include "play/level.hpp"
#include "tests/support/ways.hpp"

namespace {

const char* const Open = "P../.../..G";
const char* const Walled = "P.#/..#/#.G";

// Plays level 1 on the board until it ends; nothing when the script ran out first.
std::optional<LevelOutcome> play(const char* letters, const std::vector<int>& script)
{
    board = cellsOf(letters);
    typeScript(script);
    std::optional<LevelOutcome> outcome;
    runsOut([&] { outcome = playLevel(1, true); });
    return outcome;
}

// The board, the script, how the level ends, the board and cursor then, the pauses.
using Case = std::tuple<const char*, std::vector<int>, std::optional<LevelOutcome>, const char*, CursorPosition,
                        std::vector<std::string>>;

class LevelPlay : public ::testing::TestWithParam<Case> {};

TEST_P(LevelPlay, ShowsWhereEveryKeyAndButtonTakesThePlayer)
{
    const auto& [letters, script, outcome, seen, cursor, expectedPauses] = GetParam();
    startFresh(100, 40);
    ScratchFolder folder;
    std::vector<std::string> pauses;
    notePauses(pauses);
    EXPECT_EQ(play(letters, script), outcome);
    EXPECT_EQ(seenBoard(3), seen);
    EXPECT_EQ(tc::screen().cursor(), cursor);
    EXPECT_EQ(pauses, expectedPauses);
    // A save writes the level as it began; the snapshot is that too, gone after a death.
    EXPECT_EQ(folder.read(SaveRecordName), expectedPauses.empty() || expectedPauses[0] != "3000" ? "" : "877777770");
    EXPECT_EQ(shownBoard, outcome == LevelDied ? std::vector<std::int32_t>() : cellsOf(letters));
    // Only a death by a gamepad move rumbles: a second at full speed.
    using Rumbles = std::vector<tc::RumbleRequest>;
    const bool rumbled = expectedPauses.size() > 1 && expectedPauses.back() == "1000";
    EXPECT_EQ(tc::recorded().rumbles, (rumbled ? Rumbles{{65535, 65535, 300}, {0, 0, 1300}} : Rumbles{}));
}

constexpr CursorPosition Home{0, 2}, Below{0, 5};

const Case Cases[] = {
    // Each key of a move (an arrow's code after either prefix): one left out stops the player short.
    {Open, {'d', 'S', KeyPrefixFunction, KeyDown}, {}, ".../.../.PG", {2, 4}, {}},
    {Open, {'s', 'd', 'W', 'A'}, {}, Open, Home, {}},
    {Open, {'D', KeyPrefixExtended, KeyRight, 's'}, {}, ".../..P/..G", {4, 3}, {}},
    {Open, {'s', 'd', KeyPrefixExtended, KeyUp, KeyPrefixFunction, KeyLeft}, {}, Open, Home, {}},
    // The board's edges hold (walked at random below too), and nothing else moves the player.
    {Open, {'w', 'a', 'x', KeyPrefixExtended, KeyEsc, Pad(0), Pad(0x0100), NoPad}, {}, Open, Home, {}},
    {Open, {'s', 'd', 'd', 'd'}, {}, ".../..P/..G", {4, 3}, {}},
    // Buttons: d-pad or letters, the first matching row wins, a pause after each, blocked or not.
    {Open, {Pad(0x0008), Pad(0x0002), Pad(0x0003), Pad(0x0004)}, {}, Open, Home, {"150", "150", "150", "150"}},
    {Open, {Pad(0x2000), Pad(0x3000), Pad(0x8000), Pad(0x4000)}, {}, Open, Home, {"150", "150", "150", "150"}},
    // A save comes back to the player after its words; quitting leaves the cursor below the board.
    {Open, {'s', 'E', 'd', 'e', 'd', Pad(0x0020)}, {}, ".../..P/..G", {4, 3}, {"3000", "3000", "3000"}},
    {Open, {'d', 'q'}, LevelQuit, ".P./.../..G", Below, {}},
    {Open, {'Q'}, LevelQuit, Open, Below, {}},
    {Open, {Pad(0x0030)}, LevelQuit, Open, Below, {}},
    // The player is drawn over the wall it entered; the goal ends the level with the cursor on it.
    {Walled, {'d', 'd'}, LevelDied, "..P/..#/#.G", Below, {}},
    {Walled, {Pad(0x0008), Pad(0x2000)}, LevelDied, "..P/..#/#.G", Below, {"150", "150", "1000"}},
    {Walled, {'d', 's', 's', 'd'}, LevelCompleted, "..#/..#/#.P", {4, 4}, {}},
    // Without a goal the first input of any kind ends the level; without a player, moves change nothing.
    {"P../.../...", {'x'}, LevelCompleted, "P../.../...", Home, {}},
    {"P../.../...", {Pad(0x0100)}, LevelCompleted, "P../.../...", Home, {}},
    {".../.../..G", {'s', 'd', 'w', 'a'}, {}, ".../.../..G", Home, {}},
};

INSTANTIATE_TEST_SUITE_P(Inputs, LevelPlay, ::testing::ValuesIn(Cases));

TEST(Level, SaysOnTheMessageLineWhileItSavesAndWhetherTheSaveWorked)
{
    startFresh(100, 40);
    ScratchFolder folder;
    std::vector<std::string> seen;
    bool linkRecord = false, diskFails = false;
    tc::onDiskFlush([&](const std::string& path) {
        // A link of someone else's swapped in: the record is no longer what the game wrote.
        if (linkRecord && path == ".") {
            std::filesystem::remove(SaveRecordName);
            std::filesystem::create_symlink("elsewhere", SaveRecordName);
        }
        return seen.emplace_back("writing: " + tc::terminal().line(5)), !diskFails;
    });
    tc::onPause([&](std::int32_t ms) { seen.push_back(std::to_string(ms) + ": " + tc::screen().line(5)); });
    for (const auto& [link, fails] : {std::pair{false, false}, {true, false}, {false, true}}) {
        linkRecord = link;
        diskFails = fails;
        EXPECT_EQ(play(Walled, {'e'}), std::nullopt);
        EXPECT_EQ(tc::screen().line(5), "");
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"writing: Saving Game", "writing: Saving Game", "3000: Saved Game",
                                              "writing: Saving Game", "writing: Saving Game", "3000: Save Failed",
                                              "writing: Saving Game", "3000: Save Failed"}));
}

// The level as it reads plainly: after each key, search the board for the player, a goal left and the walls.
std::optional<LevelOutcome> playPlainly(std::int32_t side, std::vector<std::int32_t>& cells, CursorPosition& at,
                                        const std::string& keys)
{
    const auto walls = std::count(cells.begin(), cells.end(), TileWall);
    for (const char key : keys) {
        const CursorPosition to{at.x + (key == 'd') - (key == 'a'), at.y + (key == 's') - (key == 'w')};
        if (key != 'x') {
            *std::find(cells.begin(), cells.end(), TilePlayer) = TileFloor;
            at = std::min(to.x, to.y) >= 0 && std::max(to.x, to.y) < side ? to : at;
            const std::int32_t i = at.y * side + at.x;
            cells[static_cast<std::size_t>(i)] = TilePlayer;
        }
        const bool goalLeft = std::find(cells.begin(), cells.end(), TileGoal) != cells.end();
        if (!goalLeft || std::count(cells.begin(), cells.end(), TileWall) != walls) {
            return goalLeft ? LevelDied : LevelCompleted;
        }
    }
    return std::nullopt;
}

TEST(Level, KeepingThePlayersCellEndsAndDrawsAsSearchingTheBoardAfterEveryKey)
{
    const auto open = [](std::size_t side) { return "P" + std::string(side * side - 2, '.') + "G"; };
    const std::pair<std::int32_t, std::string> boards[] = {{1, ""}, {6, ""}, {40, ""}, {5, open(7)}, {30, open(32)}};
    std::mt19937 random(13);
    for (const auto& [level, letters] : boards) {
        const std::int32_t side = sideLengthFor(level);
        startFresh(100, 50);
        board = cellsOf(letters);  // a record's board; none: the level's own maze
        if (letters.empty()) {
            generateMaze(level);
        }
        const std::vector<std::int32_t> cells = board;
        // To the goal, at random, and along the edges.
        std::string stray;
        std::generate_n(std::back_inserter(stray), 400, [&] { return "wasdx"[random() % 5]; });
        const std::string along(static_cast<std::size_t>(side), 'd');
        for (const std::string& keys :
             {"wax" + keysToGoal(level), stray, "sa" + std::string(along.size(), 's') + along}) {
            SCOPED_TRACE("level " + std::to_string(level) + ", keys " + keys);
            startFresh(100, 50);
            board = letters.empty() ? std::vector<std::int32_t>{} : cells;
            tc::typeText(keys);
            std::optional<LevelOutcome> outcome;
            runsOut([&, level = level, resumed = !letters.empty()] { outcome = playLevel(level, resumed); });
            std::vector<std::int32_t> plain = cells;
            CursorPosition at;
            EXPECT_EQ(outcome, playPlainly(side, plain, at, keys));
            EXPECT_EQ(board, plain);
            EXPECT_EQ(cellsOf(seenBoard(side)), plain);
            // Below the board after a death, else on the player's cell (two columns a cell, after two lines).
            EXPECT_EQ(tc::screen().cursor(),
                      (outcome == LevelDied ? CursorPosition{0, side + 2} : CursorPosition{2 * at.x, at.y + 2}));
        }
    }
}

// The screen's text without its blanks and line breaks, as it reads however it wraps.
std::string unwrapped(const Screen& s)
{
    std::string text = s.text();
    std::erase_if(text, [](char c) { return c == ' ' || c == '\n'; });
    return text;
}
// The board of level 1 needs a window of at least 7 x 6 characters. Please enlarge the window.
const char* const Notice = "Theboardoflevel1needsawindowofatleast7x6characters.Pleaseenlargethewindow.";

// A window one line or column short gets the notice, which Q leaves on a line of its own; an exact fit plays.
TEST(Level, NeedsAWindowOfTheBoardsSizeAndQuitsAtTheNotice)
{
    const std::tuple<int, int, bool> sizes[] = {
        {7, 6, true}, {6, 40, false}, {100, 5, false}, {7, 40, true}, {100, 6, true}};
    for (const auto& [columns, lines, fits] : sizes) {
        SCOPED_TRACE(std::to_string(columns) + " x " + std::to_string(lines));
        startFresh(columns, lines);
        EXPECT_EQ(play(Open, {NoPad, Pad(0x0002), 'w', 'q'}), LevelQuit);
        EXPECT_EQ(fits ? seenBoard(3) : unwrapped(tc::terminal()), fits ? "P../.../..G" : Notice);
        // Below the notice: 18 lines of whole words at 6 columns.
        EXPECT_EQ(tc::screen().cursor(), (fits ? CursorPosition{0, 5} : CursorPosition{0, lines == 5 ? 1 : 18}));
        // Waiting at the notice, a held button or no pad idles between reads, a key not; in play D-pad down moves.
        EXPECT_EQ(tc::recorded().timeline,
                  (std::vector<std::string>{"pad", "idle", "pad", fits ? "pause 150" : "idle", "key 119", "key 113"}));
    }
}

// Too small in play: the notice until the window grows, then the level afresh, the cursor on the player.
TEST(Level, ResizedRedrawsWithThePlayerWhereItStands)
{
    startFresh(100, 40);
    std::vector<std::string> seen;
    typeScript({'s', 'd'});
    tc::scriptAction([] { tc::resize(100, 5); });
    typeScript({NoPad, NoPad});
    tc::scriptAction([&seen] { seen.push_back(unwrapped(tc::terminal())); });
    tc::scriptAction([] { tc::resize(100, 40); });
    typeScript({NoPad});
    tc::scriptAction([&seen] { seen.push_back(tc::terminal().line(0) + " " + seenBoard(3)); });
    EXPECT_EQ(play(Open, {}), std::nullopt);
    EXPECT_EQ(seen, (std::vector<std::string>{Notice, "Level 1 .../.P./..G"}));
    EXPECT_EQ(tc::terminal().cursor(), (CursorPosition{2, 3}));
}

}  // namespace
