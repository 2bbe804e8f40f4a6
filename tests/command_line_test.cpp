// The command line and NO_COLOR: what the player sees, in colour or in shapes, and what a mistake gets.
#include <regex>
#include <string_view>
#include <tuple>

#include "app/game.hpp"
#include "tests/support/ways.hpp"

namespace {

TEST(CommandLine, HelpVersionAndMistakesAnswerWithoutTouchingTheTerminal)
{
    const char* const Usage = "Usage: quillonex \\[--colours=classic\\|clear\\|none\\]\n[^]*--help[^]*--version[^]*";
    // The arguments, the exit status, standard output as a pattern, and the mistake standard error names.
    const std::tuple<std::vector<std::string_view>, int, const char*, const char*> refusals[] = {
        {{"--help"}, 0, Usage, nullptr},
        {{"--colours=none", "--help", "--bogus"}, 0, Usage, nullptr},
        {{"--version"}, 0, "quillonex [0-9]+\\.[0-9]+\\.[0-9]+\n", nullptr},
        {{"--colours=red"}, 2, "", "unknown palette 'red' for --colours (classic, clear or none)"},
        {{"--colours=none", "--colours"}, 2, "", "option '--colours' needs a palette: classic, clear or none"},
        {{"--colour=none"}, 2, "", "unknown option '--colour=none'"},
        {{"--colours", "clear", "-"}, 2, "", "unexpected argument '-'"},
        // Control characters in an argument would reach the terminal as commands.
        {{"-x\x1b[2J\x07\xc2\x80\xc2\x9b\xc2\x9fz \xc2\xa0\xc3\xa9"},
         2,
         "",
         "unknown option '-x\\x1b[2J\\x07\\x80\\x9b\\x9fz \xc2\xa0\xc3\xa9'"},
        // C1 bytes on their own, which an 8-bit terminal obeys as CSI, OSC and ST; the bytes of characters stay.
        {{"-z\x9b"
          "2J\x9d"
          "0;t\x9c\x1f\xc3\x9b\xe2\x82\xac\xe0\xa4\x85\xf0\x9f\x98\x80\xf0\x90\x80\x80"},
         2,
         "",
         "unknown option "
         "'-z\\x9b2J\\x9d0;t\\x9c\\x1f\xc3\x9b\xe2\x82\xac\xe0\xa4\x85\xf0\x9f\x98\x80\xf0\x90\x80\x80'"},
        {{"-y\xc2"}, 2, "", "unknown option '-y\xc2'"},
    };
    for (const auto& [arguments, status, standardOutput, mistake] : refusals) {
        SCOPED_TRACE(std::string(arguments.front()));
        startFresh(80, 24);
        EXPECT_EQ(runGame(arguments), status);
        EXPECT_TRUE(std::regex_match(tc::recorded().standardOutput, std::regex(standardOutput)))
            << tc::recorded().standardOutput;
        EXPECT_EQ(tc::recorded().standardError,
                  mistake ? "quillonex: " + std::string(mistake) + "; see 'quillonex --help'\n" : "");
        EXPECT_TRUE(tc::recorded().output.empty() && tc::recorded().timeline.empty());
    }
}

// A whole run in 80 columns: the title, the offer to resume, the saved level, a death on the wall, no restart.
TEST(Palette, ComesFromTheCommandLineOrNoColorAndShapesShowEveryCellWithoutColour)
{
    // The arguments, NO_COLOR (nothing: unset) and whether shapes show the cells.
    const std::tuple<std::vector<std::string_view>, const char*, bool> choices[] = {
        {{}, nullptr, false},
        {{}, "", false},
        {{"--colours=none"}, nullptr, true},
        {{}, "1", true},
        {{"--colors", "classic"}, "1", false},
        {{"--colours=none", "--colors=classic"}, nullptr, false},
    };
    for (const auto& [arguments, noColor, shapes] : choices) {
        SCOPED_TRACE(testing::PrintToString(arguments) + " NO_COLOR=" + (noColor ? noColor : "-"));
        startFresh(80, 24);
        ScratchFolder folder;
        folder.write(SaveRecordName, "879779970");  // the player, floor and a wall on top, the goal bottom right
        if (noColor != nullptr) {
            tc::setEnvironment("NO_COLOR", noColor);
        }
        std::string title, offer, level, died;
        for (const auto& [into, keys] : {std::pair{&title, "\r"}, {&offer, "yd"}, {&level, "d"}, {&died, "n"}}) {
            tc::scriptAction(
                [to = into] { *to = tc::screen().text() + (tc::screen().cursorVisible() ? "|on" : "|off"); });
            tc::typeText(keys);
        }
        EXPECT_EQ(runGame(arguments), 0);

        const std::string block = shapes ? "[]" : "\u2588\u2588";
        // The title's words are checked elsewhere: here the player's block and the breaks at the 80th column.
        EXPECT_TRUE(title.starts_with("Welcome to the quillonex. YOU are this.\n     " + block + "\n")) << title;
        EXPECT_NE(title.find("letter buttons to move\naround.\n"), std::string::npos) << title;
        EXPECT_NE(title.find("SAVING OR UPDATING THE\nGAME.\n"), std::string::npos) << title;
        EXPECT_TRUE(title.ends_with("as well.|on")) << title;
        EXPECT_EQ(offer, "Do you want to use your last saved data (y/n)? If you are using a Xbox\n"
                         "controller controller, press 'a' to use your last saved data and press 'b' to\nnot.|on");
        if (shapes) {
            EXPECT_EQ(level, "Level 1\n\n\u2591\u2591[]\u2588\u2588\n\u2591\u2591\u2591\u2591\u2588\u2588\n"
                             "\u2588\u2588\u2591\u2591\u25ac\u25ac|off");
            // Not one colour sequence went out.
            EXPECT_FALSE(std::regex_search(tc::recorded().output, std::regex("\x1b\\[[0-9;:]*m")));
        }
        EXPECT_EQ(shapes ? tc::screen().line(2) : seenBoard(3), shapes ? "\u2591\u2591\u2591\u2591[]" : "..P/..#/#.G");
        EXPECT_TRUE(level.ends_with("|off"));
        EXPECT_TRUE(died.ends_with("You have died!\nDo you wanna restart (y/n)? If you are using an Xbox controller, "
                                   "press 'a' to\nrestart and 'b' to not.|on"))
            << died;
        EXPECT_EQ(tc::screen().line(8), "Thank you for playing the quillonex!");
        EXPECT_TRUE(tc::screen().cursorVisible());
    }
}

}  // namespace
