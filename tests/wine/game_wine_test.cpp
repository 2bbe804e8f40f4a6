// A whole game of quillonex.exe under wine, in a pseudo-terminal: the board
// drawn, a save to the record, and the record offered and played again.
//
// Wine's console counts the characters of a colour sequence as cells of its
// own screen and places the cursor after a glyph by that count, so the
// repaints of single cells after a move land in the wrong columns here (they
// do not in a console that understands the sequences). A board drawn whole
// comes through as the game wrote it; moves are not looked at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "tests/e2e/pty.hpp"

namespace fs = std::filesystem;

namespace {

constexpr int StartMs = 60000;
constexpr int WideColumns = 200;
// A save shows its words for three seconds.
constexpr int SaveMs = 3000;

// The board of the level on the screen as the digits of its saved record
// (8 player, 7 floor, 9 wall, 0 goal), or nothing while it is not all drawn.
std::string boardAsRecord(const Screen& s, int level)
{
    const int side = level + 2;
    std::string digits;
    for (int row = 0; row < side; ++row) {
        for (int col = 0; col < side; ++col) {
            const ScreenCell& c = s.cell(2 * col, row + 2);
            if (c.ch == U'\u25ac' && c.fg == Colour{Rgb{255, 255, 0}}) {
                digits += '0';
            } else if (c.ch != U'\u2588') {
                return {};
            } else if (!c.fg) {
                digits += '8';
            } else if (*c.fg == Rgb{20, 200, 50}) {
                digits += '7';
            } else if (*c.fg == Rgb{255, 0, 0}) {
                digits += '9';
            } else {
                return {};
            }
        }
    }
    return digits;
}

std::string fileContent(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

class TemporaryFolder {
public:
    TemporaryFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "quillonex-wine-game-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("no temporary directory");
        }
        path_ = pattern;
    }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// Waits for the title and presses Enter; false when the title never came.
bool leaveTitle(GameInTerminal& game)
{
    if (!game.waitFor([](const Screen& s) { return s.findLine("Press 'enter'") >= 0; }, StartMs)) {
        return false;
    }
    // Keys typed before wine's console has taken the terminal would echo.
    if (!game.waitFor([&](const Screen&) { return !game.terminalSettingsRestored(); }, StartMs)) {
        return false;
    }
    game.type("\r");
    return true;
}

TEST(GameUnderWine, SaveQuitAndPlayTheSavedLevelAgain)
{
    TemporaryFolder folder;
    std::string savedBoard;
    {
        GameInTerminal game(WideColumns, 30, folder.path().string());
        ASSERT_TRUE(leaveTitle(game));
        // The whole board, and the cursor back on the player's cell.
        ASSERT_TRUE(game.waitFor(
            [](const Screen& s) { return boardAsRecord(s, 1).size() == 9 && s.cursor() == CursorPosition{0, 2}; },
            StartMs))
            << game.output();
        savedBoard = boardAsRecord(game.screen(), 1);
        EXPECT_EQ(game.screen().line(0), "Level 1");
        EXPECT_EQ(savedBoard.front(), '8');
        EXPECT_EQ(savedBoard.back(), '0');

        game.type("e");
        ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(5) == "Saved Game"; }, StartMs));
        ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(5).empty(); }, StartMs + SaveMs));
        EXPECT_EQ(fileContent(folder.path() / "record.quillonex"), savedBoard);
        // Only the record: the file it was made in took its name.
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);

        game.type("q");
        ASSERT_TRUE(game.waitFor(
            [](const Screen& s) { return s.line(5) == "Thank you for playing the quillonex!"; }, StartMs));
        EXPECT_EQ(game.waitForExit(StartMs), 0);
    }

    GameInTerminal again(WideColumns, 30, folder.path().string());
    ASSERT_TRUE(leaveTitle(again));
    ASSERT_TRUE(again.waitFor([](const Screen& s) { return s.line(0).starts_with("Do you want"); }, StartMs));
    again.type("y");
    ASSERT_TRUE(again.waitFor([](const Screen& s) { return boardAsRecord(s, 1).size() == 9; }, StartMs));
    EXPECT_EQ(boardAsRecord(again.screen(), 1), savedBoard);
    again.type("q");
    ASSERT_TRUE(again.waitFor([](const Screen& s) { return s.findLine("Thank you for playing") >= 0; }, StartMs));
    EXPECT_EQ(again.waitForExit(StartMs), 0);
    EXPECT_TRUE(again.terminalSettingsRestored());
}

}  // namespace
