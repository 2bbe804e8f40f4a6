#include <algorithm>
#include <regex>
#include <utility>

#include "app/title.hpp"
#include "platform/encoder.hpp"
#include "tests/support/ways.hpp"

namespace {

TEST(TitleScreen, ShowsEveryLineWithItsColoursAndRemindsUntilEnterOrA)
{
    tc::reset(100, 30);
    std::string seen;
    tc::onPause([&seen](std::int32_t ms) {
        const Screen& s = tc::screen();
        seen += std::to_string(ms) + " " + s.text();
        EXPECT_EQ(s.cursor(), (CursorPosition{0, 15}));
        // The goal's bars yellow on brown, the deadly block red, each colour stopping right after them; the
        // player's block in the default colours.
        EXPECT_EQ(std::string{cellLetter(s, 9, 2)} + cellLetter(s, 21, 2), "G#");
        for (const int x : {5, 6, 10, 20, 23, 44}) {
            EXPECT_TRUE(!s.cell(x, 1).fg && !s.cell(x, 4).fg && !s.cell(x, 4).bg) << x;
        }
    });
    // An arrow key brings two codes, so two reminders; other buttons print nothing; A continues after a pause.
    typeScript({KeyPrefixExtended, KeyUp, 'x', KeyEsc, Pad(0), Pad(0x2010), Pad(0x3000)});
    showTitleScreen();
    // Eleven lines of title, each control the game reacts to named on them, then one reminder per wrong code.
    const std::string reminder = "\nPlease input 'enter'";
    ASSERT_TRUE(seen.starts_with("150 Welcome to the quillonex.")) << seen;
    ASSERT_TRUE(seen.ends_with(reminder + reminder + reminder + reminder)) << seen;
    const std::string title = seen.substr(0, seen.size() - 4 * reminder.size());
    EXPECT_EQ(std::ranges::count(title, '\n'), 10) << title;
    for (const char* control :
         {"wasd or arrow keys", "'e' to save", "'q' to quit", "d-pad or the letter buttons", "start button to quit",
          "back button to save", "'enter' to continue", "'A' on a Xbox controller to continue"}) {
        EXPECT_NE(title.find(control), std::string::npos) << control;
    }
    EXPECT_TRUE(tc::screen().blank());
}

// The title's bytes up to the wait, and the screen then.
std::pair<std::string, std::string> titleIn(int columns)
{
    tc::reset(columns, 100);
    std::string seen;
    tc::scriptAction([&seen] { seen = tc::screen().text(); });
    typeScript({KeyEnter});
    showTitleScreen();
    return {tc::recorded().output.substr(0, tc::recorded().output.rfind(encoder::ClearScreen)), seen};
}

TEST(TitleScreen, BreaksBetweenWordsWhereTheWindowIsNarrowAndNowhereElse)
{
    const auto joined = [](const std::string& text) { return std::regex_replace(text, std::regex("\n"), " "); };
    const auto [wide, read] = titleIn(200);
    // The longest line just fits, and so do the first and the one with the goal and the wall (colours take no room).
    EXPECT_EQ(titleIn(88).first, wide);
    EXPECT_TRUE(titleIn(39).second.starts_with("Welcome to the quillonex. YOU are this.\n"));
    EXPECT_NE(titleIn(45).second.find("\nTry to get to the \u25ac\u25ac without touching the \u2588\u2588.\n"),
              std::string::npos);
    // No word cut, no blank line or line starting blank: the same words, one blank apart.
    for (const int columns : {80, 41, 11}) {
        EXPECT_EQ(joined(titleIn(columns).second), joined(read)) << columns;
    }
    // Narrower than a word, the word goes on at the next line's start, and the next word still fits beside it.
    EXPECT_TRUE(titleIn(5).second.find("\nan\nXbox\ncontr\noller\n, use\nthe\nd-pad\n") != std::string::npos);
}

}  // namespace
