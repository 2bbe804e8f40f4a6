// A whole game of quillonex.exe under wine, in a pseudo-terminal: the title
// and its reminders, the board drawn, a save to the record, and the record
// offered and played again.
//
// Wine's console counts the characters of a colour sequence as cells of its
// own screen: it wraps a title line that holds colours early (a wide terminal
// keeps every line whole), and it places the cursor after a glyph by that
// count, so the repaints of single cells after a move land in the wrong
// columns here (they do not in a console that understands the sequences). A
// board drawn whole comes through as the game wrote it; moves are not looked at.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/e2e/pty.hpp"
#include "tests/e2e/seen_board.hpp"

namespace {

// Wine takes a while to start, the more so on its first run in a prefix.
constexpr int StartMs = 60000;
constexpr int WideColumns = 200;

// Waits for the title and for wine's console to take the terminal (no echo,
// keys one by one) a moment after it: keys typed before would echo.
bool titleShown(GameInTerminal& game)
{
    return game.waitForLine("Press 'enter'", StartMs) &&
           game.waitFor([&](const Screen&) { return !game.terminalSettingsRestored(); }, StartMs);
}

// The whole board of level 1 as the digits of its saved record, once drawn
// and the cursor is back on the player.
bool boardShown(GameInTerminal& game, std::string& record)
{
    const bool shown = game.waitFor(
        [](const Screen& s) { return showsLevel(s, 1) && s.cursor() == CursorPosition{0, 2}; }, StartMs);
    record = shown ? recordOf(*readBoard(game.screen())) : "";
    return shown;
}

TEST(GameUnderWine, TitleKeysSaveQuitAndPlayTheSavedLevelAgain)
{
    GameInTerminal game(WideColumns, 30);
    ASSERT_TRUE(titleShown(game)) << game.screen().text();
    EXPECT_EQ(game.screen().line(1), "     \u2588\u2588");
    EXPECT_EQ(game.screen().line(4), "Try to get to the \u25ac\u25ac without touching the \u2588\u2588.");
    EXPECT_EQ(game.screen().cell(18, 4).fg, (Colour{Rgb{255, 255, 0}}));
    EXPECT_EQ(game.screen().cell(18, 4).bg, (Colour{Rgb{150, 75, 0}}));
    EXPECT_EQ(game.screen().line(8), "Good Luck");

    // An arrow key is two codes for the game, a letter one: three reminders.
    // (Wine's _kbhit overlooks a key without a character, such as an arrow,
    // until another key follows it; Windows' does not. The letter also makes
    // sure that the idle wait never drops a key that conio has not counted.)
    game.type("\x1b[Ax");
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(13) == "Please input 'enter'"; }, StartMs));
    EXPECT_EQ(game.screen().line(11), "Please input 'enter'");
    EXPECT_EQ(game.screen().line(12), "Please input 'enter'");
    EXPECT_EQ(game.screen().line(14), "");

    game.type("\r");
    std::string saved;
    ASSERT_TRUE(boardShown(game, saved)) << game.screen().text();
    EXPECT_EQ(game.screen().findLine("Welcome"), -1);
    game.type("e");
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(5) == "Saved Game"; }, StartMs));
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(5).empty(); }, StartMs));
    // Only the record: the file it was made in took its name.
    const std::filesystem::path folder = game.directory();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
    std::ifstream record(folder / "record.quillonex", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(record), {}), saved);
    game.type("q");
    ASSERT_TRUE(game.waitForLine("Thank you for playing the quillonex!", StartMs));
    EXPECT_EQ(game.waitForExit(StartMs), 0);

    GameInTerminal again(WideColumns, 30, game.directory());
    ASSERT_TRUE(titleShown(again));
    again.type("\r");
    ASSERT_TRUE(again.waitForLine("Do you want", StartMs));
    again.type("y");
    std::string resumed;
    ASSERT_TRUE(boardShown(again, resumed));
    EXPECT_EQ(resumed, saved);
    again.type("q");
    ASSERT_TRUE(again.waitForLine("Thank you for playing", StartMs));
    EXPECT_EQ(again.waitForExit(StartMs), 0);
    EXPECT_TRUE(again.terminalSettingsRestored());
}

}  // namespace
