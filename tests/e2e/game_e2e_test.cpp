#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/pty.hpp"
#include "tests/e2e/seen_board.hpp"

namespace {

std::string fileContent(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

const char* const Farewell = "Thank you for playing the quillonex!";

TEST(GameThroughTerminal, PlayDieRestartSaveQuitAndResume)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("quillonex-e2e-save-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    std::vector<char> savedLevel;
    {
        GameInTerminal game(80, 30, folder.string());
        ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.findLine("Press 'enter'") >= 0; }));
        game.type("\r");

        // Two levels walked to their goals by reading the screen.
        for (int level = 1; level <= 2; ++level) {
            ASSERT_TRUE(game.waitFor([level](const Screen& s) { return showsLevel(s, level); })) << level;
            const std::string keys = keysTo(*readBoard(game.screen()), 'G');
            ASSERT_FALSE(keys.empty());
            game.type(keys);
        }
        ASSERT_TRUE(game.waitFor([](const Screen& s) { return showsLevel(s, 3); }));
        // The level-3 board was drawn over level 2 without a clear, yet it
        // shows exactly one player and one goal.
        const SeenBoard third = *readBoard(game.screen());
        EXPECT_EQ(std::count(third.cells.begin(), third.cells.end(), 'P'), 1);
        EXPECT_EQ(std::count(third.cells.begin(), third.cells.end(), 'G'), 1);

        // Death on a red cell, and a restart.
        game.type(keysTo(third, '#'));
        ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.findLine("You have died!") >= 0; }));
        game.type("y");
        ASSERT_TRUE(game.waitFor([](const Screen& s) { return showsLevel(s, 1); }));
        EXPECT_FALSE(game.screen().findLine("You have died!") >= 0);

        // Save: the message stands on the line below the board, then goes.
        savedLevel = readBoard(game.screen())->cells;
        game.type("e");
        ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(5) == "Saved Game"; }));
        ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(5).empty(); }, 6000));
        EXPECT_EQ(game.screen().cursor(), (CursorPosition{0, 2}));

        game.type("q");
        ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(5) == Farewell; }));
        EXPECT_EQ(game.waitForExit(), 0);
        EXPECT_TRUE(game.terminalSettingsRestored());
    }
    // The record holds the level as it began, one digit per cell.
    std::string expected;
    for (const char c : savedLevel) {
        expected += c == 'P' ? '8' : c == '.' ? '7' : c == '#' ? '9' : '0';
    }
    EXPECT_EQ(fileContent(folder / "record.quillonex"), expected);

    GameInTerminal again(80, 30, folder.string());
    ASSERT_TRUE(again.waitFor([](const Screen& s) { return s.findLine("Press 'enter'") >= 0; }));
    again.type("\r");
    ASSERT_TRUE(again.waitFor([](const Screen& s) { return s.line(0).starts_with("Do you want"); }));
    again.type("y");
    ASSERT_TRUE(again.waitFor([](const Screen& s) { return showsLevel(s, 1); }));
    EXPECT_EQ(readBoard(again.screen())->cells, savedLevel);

    // About one level-1 board in a hundred is floor all over: then quit instead.
    const std::string death = keysTo(*readBoard(again.screen()), '#');
    if (death.empty()) {
        again.type("q");
    } else {
        again.type(death);
        ASSERT_TRUE(again.waitFor([](const Screen& s) { return s.findLine("You have died!") >= 0; }));
        again.type("n");
    }
    ASSERT_TRUE(again.waitFor([](const Screen& s) { return s.findLine(Farewell) >= 0; }));
    EXPECT_EQ(again.waitForExit(), 0);
    EXPECT_TRUE(again.terminalSettingsRestored());
    std::filesystem::remove_all(folder);
}

TEST(GameThroughTerminal, ASmallWindowGetsANoticeAndTheBoardBack)
{
    GameInTerminal game(80, 24);
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.findLine("Press 'enter'") >= 0; }));
    game.type("\r");
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return showsLevel(s, 1); }));
    game.type(keysTo(*readBoard(game.screen()), '.').substr(0, 1));
    game.settle(100);
    const SeenBoard before = *readBoard(game.screen());

    game.resize(40, 4);
    game.signal(SIGWINCH);
    ASSERT_TRUE(game.waitFor([](const Screen& s) {
        return s.line(0) == "The board of level 1 needs a window of a" && s.line(1).starts_with("t least 7 x 6 ");
    }));
    game.resize(80, 24);
    game.signal(SIGWINCH);
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return showsLevel(s, 1) || readBoard(s).has_value(); }));
    const std::optional<SeenBoard> after = readBoard(game.screen());
    ASSERT_TRUE(after);
    EXPECT_EQ(after->cells, before.cells);
    game.type("q");
    EXPECT_EQ(game.waitForExit(), 0);
}

}  // namespace
