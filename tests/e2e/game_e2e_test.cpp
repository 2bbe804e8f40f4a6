#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/pty.hpp"

namespace {

// The board as the screen shows it.
struct SeenBoard {
    int level = 0;
    int side = 0;
    std::vector<char> cells;  // 'P' player, '.' floor, '#' wall, 'G' goal
};

std::optional<SeenBoard> readBoard(const Screen& s)
{
    const std::string header = s.line(0);
    if (!header.starts_with("Level ")) {
        return std::nullopt;
    }
    SeenBoard b;
    b.level = std::stoi(header.substr(6));
    b.side = b.level + 2;
    for (int row = 0; row < b.side; ++row) {
        for (int col = 0; col < b.side; ++col) {
            const ScreenCell& c = s.cell(2 * col, row + 2);
            if (c.ch == U'\u25ac') {
                b.cells.push_back('G');
            } else if (c.ch != U'\u2588') {
                return std::nullopt;
            } else if (!c.fg) {
                b.cells.push_back('P');
            } else if (*c.fg == Rgb{20, 200, 50}) {
                b.cells.push_back('.');
            } else if (*c.fg == Rgb{255, 0, 0}) {
                b.cells.push_back('#');
            } else {
                return std::nullopt;
            }
        }
    }
    return b;
}

bool showsLevel(const Screen& s, int level)
{
    const std::optional<SeenBoard> b = readBoard(s);
    return b && b->level == level && b->cells.front() == 'P' && b->cells.back() == 'G';
}

// Keys that walk from the player over floor to the first cell that `wanted`
// accepts, then one step more in the direction it gives.
std::string keysTo(const SeenBoard& b, char target)
{
    const int n = b.side * b.side;
    int start = 0;
    while (b.cells[static_cast<std::size_t>(start)] != 'P') {
        ++start;
    }
    std::vector<int> from(static_cast<std::size_t>(n), -1);
    std::vector<char> key(static_cast<std::size_t>(n), 0);
    std::deque<int> queue{start};
    from[static_cast<std::size_t>(start)] = start;
    while (!queue.empty()) {
        const int i = queue.front();
        queue.pop_front();
        const int col = i % b.side;
        const int row = i / b.side;
        const std::pair<int, char> steps[] = {
            {row > 0 ? i - b.side : -1, 'w'}, {col < b.side - 1 ? i + 1 : -1, 'd'},
            {row < b.side - 1 ? i + b.side : -1, 's'}, {col > 0 ? i - 1 : -1, 'a'}};
        for (const auto& [j, k] : steps) {
            if (j < 0 || from[static_cast<std::size_t>(j)] >= 0) {
                continue;
            }
            const char cell = b.cells[static_cast<std::size_t>(j)];
            if (cell == target) {
                std::string keys(1, k);
                for (int at = i; at != start; at = from[static_cast<std::size_t>(at)]) {
                    keys.insert(keys.begin(), key[static_cast<std::size_t>(at)]);
                }
                return keys;
            }
            if (cell == '.') {
                from[static_cast<std::size_t>(j)] = i;
                key[static_cast<std::size_t>(j)] = k;
                queue.push_back(j);
            }
        }
    }
    return {};
}

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

    again.type(keysTo(*readBoard(again.screen()), '#'));
    ASSERT_TRUE(again.waitFor([](const Screen& s) { return s.findLine("You have died!") >= 0; }));
    again.type("n");
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
