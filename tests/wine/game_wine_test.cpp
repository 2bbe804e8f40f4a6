// A whole game of quillonex.exe under wine in a pseudo-terminal. Wine's console counts the bytes of a colour sequence
// as cells: it wraps coloured title lines early (hence a wide terminal) and misplaces the repaints after a move, so
// only boards drawn whole are read.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>

#include "tests/e2e/pty.hpp"
#include "tests/e2e/seen_board.hpp"

namespace {

// Wine takes a while to start, the more so on its first run in a prefix.
constexpr int StartMs = 60000;

// Keys typed before wine's console takes the terminal, a moment after the title, would echo.
void waitForTitle(GameInTerminal& game)
{
    ASSERT_TRUE(game.waitForLine("Press 'enter'", StartMs)) << game.screen().text();
    ASSERT_TRUE(game.waitFor([&](const Screen&) { return !game.terminalSettingsRestored(); }, StartMs));
}

// The whole board of level 1 as its record's digits, once drawn. (The cursor is
// hidden over a board, and wine's console does not say where it rests then.)
std::string boardShown(GameInTerminal& game)
{
    const bool shown = game.waitFor([](const Screen& s) { return showsLevel(s, 1); }, StartMs);
    return shown ? recordOf(*readBoard(game.screen())) : "no board";
}

TEST(GameUnderWine, TitleKeysSaveQuitAndPlayTheSavedLevelAgain)
{
    GameInTerminal game(200, 30);
    ASSERT_NO_FATAL_FAILURE(waitForTitle(game));
    EXPECT_EQ(game.screen().line(4), "Try to get to the \u25ac\u25ac without touching the \u2588\u2588.");
    // An arrow key is two codes, a letter one: three reminders. (Wine's _kbhit
    // overlooks an arrow until another key follows it.)
    game.type("\x1b[Ax");
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(13) == "Please input 'enter'"; }, StartMs));
    game.type("\r");
    const std::string saved = boardShown(game);
    game.type("e");
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(5) == "Saved Game"; }, StartMs));
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(5).empty(); }, StartMs));
    // Only the record: the file it was made in took its name.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(game.directory()), {}), 1);
    EXPECT_EQ(contentOf(game.directory() + "/record.quillonex"), saved);
    game.type("q");
    ASSERT_TRUE(game.waitForLine("Thank you for playing the quillonex!", StartMs));
    EXPECT_EQ(game.waitForExit(StartMs), 0);

    GameInTerminal again(200, 30, game.directory());
    ASSERT_NO_FATAL_FAILURE(waitForTitle(again));
    again.type("\r");
    ASSERT_TRUE(again.answer("Do you want", "y", StartMs));
    EXPECT_EQ(boardShown(again), saved);
    again.type("q");
    ASSERT_TRUE(again.waitForLine("Thank you for playing", StartMs));
    EXPECT_EQ(again.waitForExit(StartMs), 0);
    EXPECT_TRUE(again.terminalSettingsRestored());
}

}  // namespace
