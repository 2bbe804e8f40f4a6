#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/game.hpp"
#include "maze/maze.hpp"
#include "platform/platform.hpp"
#include "play/level.hpp"
#include "tests/support/ways.hpp"

namespace {

// A board larger than the window, walked to its goal: after every step the player is in a view
// of the board around it, the header tells the goal's distance, and a step that leaves the view where it was
// writes its two cells and figures only, one that moves it at most the view's cells once.
TEST(View, FollowsThePlayerAcrossBoardsLargerThanTheWindow)
{
    const std::tuple<int, int, int> cases[] = {{100, 80, 24}, {40, 25, 8}, {100, 200, 60}, {12, 30, 9}, {60, 200, 30}};
    for (const auto& c : cases) {
        const int level = std::get<0>(c), columns = std::get<1>(c), lines = std::get<2>(c);
        SCOPED_TRACE(testing::Message() << "level " << level << " in " << columns << " x " << lines);
        startFresh(columns, lines);
        generateMaze(level);
        const std::string record = recordText(board), keys = keysToGoal(level);
        const int side = level + 2, viewCells = std::min(side, (columns - 1) / 2) * std::min(side, lines - 3);
        int col = 0, row = 0;
        std::string fault;
        std::size_t written = 0;
        CursorPosition was{0, 2};
        tc::scriptAction([&] { written = tc::recorded().output.size(); });
        for (const char key : keys.substr(0, keys.size() - 1)) {
            tc::typeText(std::string(1, key));
            tc::scriptAction([&, key] {
                col += (key == 'd') - (key == 'a');
                row += (key == 's') - (key == 'w');
                fault += viewFault(tc::screen(), columns, lines, record, col, row);
                const std::size_t bytes =
                    tc::recorded().output.size() - std::exchange(written, tc::recorded().output.size());
                // The view stayed where the player's place on the screen moved with the step.
                const CursorPosition at = std::exchange(was, tc::screen().cursor()), now = was;
                const bool scrolled =
                    now.x - at.x != 2 * ((key == 'd') - (key == 'a')) || now.y - at.y != (key == 's') - (key == 'w');
                EXPECT_LE(bytes, scrolled ? 27 * viewCells + 10 * lines : 120) << "at " << col << "," << row;
            });
        }
        runsOut([&] { playLevel(level, true); });
        EXPECT_EQ(fault, "");
        EXPECT_EQ(col + row, 2 * side - 3) << "not walked beside the goal";
    }
}

// Resizing at a level: a window that holds the board draws it whole, one that does not a view around the
// player, one below the smallest the notice; each change shows the level again with the player where it stands.
TEST(View, ResizingGoesBetweenTheWholeBoardAndAView)
{
    startFresh(100, 40);
    const std::string record = "8" + std::string(12 * 12 - 2, '7') + "0";
    board = cellsOf("P" + std::string(12 * 12 - 2, '.') + "G");
    std::vector<std::string> seen;
    typeScript({'s', 's', 'd'});
    for (const platform::ConsoleSize size :
         std::vector<platform::ConsoleSize>{{25, 8}, {100, 40}, {24, 8}, {25, 14}, {25, 15}}) {
        tc::scriptAction([size] { tc::resize(size.columns, size.lines); });
        typeScript({NoPad});
        tc::scriptAction([&seen, &record, size] {
            const Screen& s = tc::terminal();
            const std::string fault = viewFault(s, size.columns, size.lines, record, 1, 2);
            const auto whole = [&s] {
                return readBoard(s) && readBoard(s)->cells[25] == 'P' && s.cursor() == CursorPosition{2, 4};
            };
            seen.push_back(fault.empty()                                    ? "view"
                           : s.line(0).starts_with("The board of level 10") ? "notice"
                           : whole()                                        ? "whole"
                                                                            : fault);
        });
    }
    typeScript({'q'});
    EXPECT_EQ(playLevel(10, true), LevelQuit);
    EXPECT_EQ(seen, (std::vector<std::string>{"view", "whole", "notice", "view", "whole"}));
}

// Texts break between words at any width: the notice at a level and the farewell after it. A board wider
// than the smallest window that plays a view asks for that window, not for the whole board.
TEST(View, NoticeAndFarewellBreakBetweenWords)
{
    for (const int columns : {12, 20, 30}) {
        SCOPED_TRACE(std::to_string(columns) + " columns");
        const int level = columns == 20 ? 12 : 40;
        startFresh(columns, columns < 25 ? 20 : 7);
        ScratchFolder folder;
        std::ofstream(SaveRecordName) << squareRecord(level + 2);
        std::vector<std::string> shown;
        tc::typeText("\ry");
        tc::scriptAction([&] { shown.push_back(tc::screen().text()); });
        tc::typeText("q");
        runGame();
        shown.push_back(tc::screen().text());
        for (std::string& text : shown) {
            std::replace(text.begin(), text.end(), '\n', ' ');
        }
        EXPECT_EQ(shown.at(0), "The board of level " + std::to_string(level) +
                                   " needs a window of at least 25 x 8 characters. Please enlarge the window.");
        EXPECT_TRUE(shown.at(1).ends_with(" Thank you for playing the quillonex!")) << shown.at(1);
    }
}

// In a view the save's words and the death's stand on the line below the view, and the view stays where it was.
TEST(View, SaveAndDeathSpeakBelowTheView)
{
    startFresh(40, 40);
    ScratchFolder folder;
    // Level 20: a top row of floor, walls below it.
    std::string record = squareRecord(22);
    std::fill_n(record.begin() + 1, 21, '7');
    std::ofstream(SaveRecordName) << record;
    std::vector<std::string> seen;
    tc::onPause([&seen](std::int32_t ms) {
        if (ms == 3000) {
            seen.push_back(tc::screen().line(24));
        }
    });
    const auto look = [&seen, &record] { seen.push_back(viewFault(tc::screen(), 40, 40, record, 12, 0)); };
    tc::typeText("\ry" + std::string(12, 'd'));
    tc::scriptAction(look);
    tc::scriptAction([] { std::filesystem::remove(SaveRecordName); });
    tc::typeText("e");
    tc::scriptAction(look);
    tc::typeText("s");
    tc::scriptAction([&seen] { seen.push_back(tc::screen().line(24) + "|" + tc::screen().line(25)); });
    tc::typeText("n");
    runGame();
    // The last pause is the farewell's, under the death's words.
    EXPECT_EQ(seen,
              (std::vector<std::string>{"", "Saved Game", "", "You have died!|Do you wanna restart (y/n)? If you are",
                                        "You have died!"}));
    // The level as it began.
    EXPECT_EQ(folder.read(SaveRecordName), record);
}

}  // namespace
