#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/e2e/pty.hpp"
#include "tests/e2e/seen_board.hpp"

namespace {

const char* const Farewell = "Thank you for playing the quillonex!";

// The text sent after the first `from` up to the next `to`, without control sequences and line ends.
std::string textSentBetween(const std::string& bytes, const std::string& from, const std::string& to)
{
    const std::size_t start = bytes.find(from) + from.size();
    const std::string between = bytes.substr(start, bytes.find(to, start) - start);
    return std::regex_replace(between, std::regex("\x1b\\[[0-?]*[ -/]*[@-~]|\x1b[^\\[]|\r|\n"), "");
}

TEST(GameThroughTerminal, TitleKeysLevelsSaveQuitAndResumeWithoutSdl)
{
    GameInTerminal game(100, 30);
    ASSERT_TRUE(game.answer("Press 'enter'", "\x1b"));
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(11) == "Please input 'enter'"; }));
    // With no shell to bring it back from Ctrl+Z, the game goes on and takes it for no key: one reminder in all.
    // Back in raw mode it drops what was typed meanwhile: Enter again until the level shows.
    game.type("\x1a");
    for (int tries = 0; tries < 60 && !game.waitFor([](const Screen& s) { return showsLevel(s, 1); }, 1000); ++tries) {
        game.type("\r");
    }
    ASSERT_TRUE(showsLevel(game.screen(), 1));
    EXPECT_EQ(textSentBetween(game.received(), "continue as well.", "Level 1"), "Please input 'enter'");
    // Raw keys: each byte as it comes, unechoed, unchanged (Enter, Ctrl+S, Ctrl+V); Ctrl+C, Ctrl+Z, line ends work.
    const termios raw = game.settings();
    EXPECT_TRUE((raw.c_lflag & (ICANON | ECHO | IEXTEN)) == 0 && (raw.c_lflag & ISIG) != 0);
    EXPECT_TRUE((raw.c_iflag & (ICRNL | INLCR | IGNCR | IXON)) == 0 &&
                (raw.c_oflag & (OPOST | ONLCR)) == (OPOST | ONLCR));
    // An arrow spaced out by a laggy link still moves.
    const SeenBoard start = *readBoard(game.screen());
    const bool right = keysTo(start, '.').at(0) == 'd';
    for (const char byte : std::string("\x1b[") + (right ? 'C' : 'B')) {
        game.settle(300);
        game.type(std::string(1, byte));
    }
    const auto moved = static_cast<std::size_t>(right ? 1 : start.side);
    ASSERT_TRUE(game.waitFor([moved](const Screen& s) { return readBoard(s) && readBoard(s)->cells[moved] == 'P'; }));
    // A level walked to its goal by reading the screen.
    game.type(keysTo(*readBoard(game.screen()), 'G'));
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return showsLevel(s, 2); }));
    // The message stands on the line below the board, then goes.
    const SeenBoard saved = *readBoard(game.screen());
    const auto asked = std::chrono::steady_clock::now();
    game.type("e");
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(6) == "Saved Game"; }));
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(6).empty(); }));
    // For the save's three seconds at least, counted from before the key, however late the words are seen.
    EXPECT_GE(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(3000));
    game.type("q");
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(6) == Farewell; }));
    EXPECT_EQ(game.waitForExit(), 0);
    EXPECT_TRUE(game.terminalSettingsRestored() && game.coloursRestored() && cursorRightBelowTheGame(game.screen()));
    EXPECT_EQ(game.received().find('\0'), std::string::npos) << "a NUL byte sent";

    // Where SDL cannot be loaded (a damaged library found first), the game plays by keyboard, silent about the pad.
    std::ofstream(game.directory() + "/libSDL2-2.0.so.0") << "no library";
    GameInTerminal again(80, 30, game.directory(), Launch::SessionLeader, {"LD_LIBRARY_PATH=" + game.directory()});
    ASSERT_TRUE(again.answer("Press 'enter'", "x\r"));
    ASSERT_TRUE(again.answer("Do you want", "y"));
    ASSERT_TRUE(again.waitFor([](const Screen& s) { return showsLevel(s, 2); }));
    EXPECT_EQ(readBoard(again.screen())->cells, saved.cells);
    again.type("q");
    EXPECT_EQ(again.waitForExit(), 0);
    EXPECT_TRUE(again.screen().text().ends_with(Farewell) && again.screen().findLine(Farewell) == 6);
    EXPECT_TRUE(again.terminalSettingsRestored() && cursorRightBelowTheGame(again.screen()));
    // The pad was looked for at the title and the offer too, and cleared away with them: nothing said of it there.
    EXPECT_EQ(textSentBetween(again.received(), "continue as well.", "Do you want"), "Please input 'enter'");
    EXPECT_EQ(textSentBetween(again.received(), "not.", "Level 2"), "");
}

// What a terminal sends that is no key: replies to other programs' questions (strings, a control sequence longer
// than any key) and mouse reports in every form. At the title, the offer and in a level none gives a reminder, a
// move, a save or a quit, and the key after them still acts. The terminal's cnorm is 32 bytes, the longest kept
// whole: the cursor is shown at the end all the same.
TEST(GameThroughTerminal, TakesNoRepliesOrMouseReportsForKeys)
{
    ScratchFolder folder;
    folder.write("entries", "qx-32|cnorm of 32 bytes,cnorm=\\E[?12l\\E[?7h\\E[?7h\\E[?7h\\E[?7h\\E[?25h,"
                            "use=xterm-256color,\n");
    // A fixed command of the test's own, in its scratch folder.
    ASSERT_EQ(std::system("tic -x -o terminfo entries"), 0);  // NOLINT(cert-env33-c)
    folder.write("record.quillonex", "879779970");  // the player, floor right and below, the goal bottom right
    const std::string here = std::filesystem::current_path().string();
    GameInTerminal game(100, 30, here, Launch::SessionLeader, {"TERM=qx-32", "TERMINFO=" + here + "/terminfo"});
    // Mouse reports, SGR and urxvt forms, then UTF-8 forms past column 95 whose lines are 'y' and 'n'.
    ASSERT_TRUE(game.answer("Press 'enter'", "\x1b[<0;100;81M\x1b[<0;100;81m\x1b[32;100;81M\r"));
    ASSERT_TRUE(game.answer("Do you want", "\x1b[M \xc2\x84y\x1b[M \xc2\x84n\x1b[<0;100;89My"));
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return showsLevel(s, 1); }));
    EXPECT_EQ(game.received().find("Please"), std::string::npos) << "a reminder";
    // Whatever a reply had saved would be a new record.
    std::filesystem::remove("record.quillonex");
    game.type("\x1bP>|XTerm(390)\x1b\\\x1bP1+r544e=787465726d\x1b\\\x1bP1$r0m\x1b\\"
              "\x1b]11;rgb:eeee/eeee/eeee\x1b\\\x1b]11;rgb:eeee/eeee/eeee\x07\x1b]10;rgb:dddd/dddd/dddd\x1b\\"
              "\x1b]52;c;cQ==\x07\x1b[" +
              std::string(40, ';') + "q\x1b[M \xc2\x84q\x1b[M \xc2\x84" + "e\x1b[M \xc2\x84S\x1b[M \xc2\x84" + "Dd");
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return readBoard(s) && readBoard(s)->cells[1] == 'P'; }));
    EXPECT_EQ(readBoard(game.screen())->cells, std::vector<char>({'.', 'P', '#', '.', '.', '#', '#', '.', 'G'}));
    EXPECT_TRUE(!std::filesystem::exists("record.quillonex") && game.received().find("Saved") == std::string::npos);
    game.type("q");
    EXPECT_EQ(game.waitForExit(), 0);
    EXPECT_TRUE(game.screen().text().ends_with(Farewell) && game.screen().cursorVisible());
}

// A terminal another program left non-blocking, slow to read a large board: none of it may be lost.
TEST(GameThroughTerminal, DrawsAWholeBoardThroughATerminalLeftNonBlocking)
{
    GameInTerminal shell(410, 210, {}, Launch::InteractiveShell);
    // Level 200: far more than the terminal holds unread.
    std::ofstream(shell.directory() + "/record.quillonex") << squareRecord(202);
    // exec's block form: a lone word with blanks in it would be split.
    shell.type("perl -MFcntl -e 'fcntl(STDOUT, F_SETFL, O_NONBLOCK); exec {$ARGV[0]} @ARGV' '" QUILLONEX_BINARY "'\r");
    ASSERT_TRUE(shell.answer("Press 'enter'", "\ry"));
    // The header read, the rest left unread until the game sleeps, waiting for the terminal.
    ASSERT_TRUE(shell.waitFor([](const Screen& s) { return s.line(0) == "Level 200"; }));
    ASSERT_TRUE(shell.waitUntilAsleep(shell.child()));
    ASSERT_TRUE(shell.waitFor([](const Screen& s) { return showsLevel(s, 200); }));
    shell.type("q");
    EXPECT_TRUE(shell.waitForLine("Thank you for playing"));
}

// What the title's colours were sent as: 24-bit, the 256-colour palette, the eight basic colours, or none.
std::string colourDepthSent(const std::string& bytes)
{
    const auto sent = [&bytes](const char* sgr) { return bytes.find(sgr) != std::string::npos; };
    return sent("8;2;") ? "24-bit" : sent("8;5;") ? "256" : sent("\x1b[3") || sent(";3") ? "8" : "none";
}

// Real terminfo entries, the variables terminals and multiplexers set, and the player's palette: colours in the most
// the terminal shows, never more, and the player in shapes where it shows none. tmux passes 24-bit colour on in the
// outer terminal's terms; screen drops it.
TEST(TerminalTypes, GetTheColourDepthTheirEntryAndEnvironmentTell)
{
    const std::string tmux = "TMUX=/tmp/tmux-0/default,1,0", screen = "STY=1.pts-0.host";
    const std::pair<std::vector<std::string>, const char*> terminals[] = {
        {{"TERM=xterm-256color", "COLORTERM"}, "256"},
        {{"TERM=xterm-256color"}, "24-bit"},
        {{"TERM=xterm-direct", "COLORTERM"}, "24-bit"},
        {{"TERM=xterm", "COLORTERM"}, "8"},
        {{"TERM=screen-256color", screen}, "256"},
        {{"TERM=tmux-256color", tmux, "COLORTERM"}, "24-bit"},
        {{"TERM=screen-256color", tmux, screen}, "256"},
        {{"TERM=no-such-terminal", "COLORTERM"}, "8"},
        // Terminals known by their own variables, unless screen stands between.
        {{"TERM=xterm-256color", "COLORTERM", "XTERM_VERSION=XTerm(331)"}, "24-bit"},
        {{"TERM=xterm-256color", "COLORTERM", "XTERM_VERSION=XTerm(330)"}, "256"},
        {{"TERM=screen", screen, "XTERM_VERSION=XTerm(379)"}, "8"},
        {{"TERM=xterm-256color", "COLORTERM", "VTE_VERSION=3405"}, "256"},
        {{"TERM=xterm-256color", "COLORTERM", "VTE_VERSION=7006"}, "24-bit"},
        // An entry that shows no colour outweighs COLORTERM and XTERM_VERSION.
        {{"TERM=xterm-mono", "XTERM_VERSION=XTerm(379)"}, "none"},
        {{"NO_COLOR=1"}, "none"},
        // The player's palette outweighs the entry.
        {{"TERM=xterm-mono", "--colours=classic"}, "24-bit"},
    };
    for (const auto& [settings, depth] : terminals) {
        SCOPED_TRACE(testing::PrintToString(settings));
        std::vector<std::string> environment, arguments;
        for (const std::string& setting : settings) {
            (setting.starts_with("--") ? arguments : environment).push_back(setting);
        }
        GameInTerminal game(100, 30, {}, Launch::SessionLeader, environment, arguments);
        ASSERT_TRUE(game.waitForLine("Press 'enter'"));
        EXPECT_EQ(colourDepthSent(game.received()), depth);
        EXPECT_EQ(game.screen().line(1), std::string_view(depth) == "none" ? "     []" : "     \u2588\u2588");
    }
}

// Without a terminal for keys, or with an output it cannot write to (read-only or closed), the game cannot
// run and ends at once; with its output through a pipe it measures the window by its keyboard.
TEST(GameThroughAPipe, NeedsAKeyboardAndMeasuresTheWindowByIt)
{
    GameInTerminal shell(100, 5, {}, Launch::InteractiveShell);
    const std::string game = std::string("'") + QUILLONEX_BINARY + "'";
    // A terminal that tells no width (0 columns) is taken for one of unknown size: the game plays.
    shell.type("stty cols 0; " + game + "; stty cols 100; echo width $?\r");
    ASSERT_TRUE(shell.answer("Press 'enter'", "\r"));
    EXPECT_TRUE(shell.waitForLine("\u2588\u2588\u2588\u2588"));  // a row of the board, not the notice
    shell.type("q");
    ASSERT_TRUE(shell.waitForLine("width 0"));
    // Each command starts its output on a line of its own, below the prompt.
    shell.type("echo; " + game + " </dev/null; echo ended $?\r");
    EXPECT_TRUE(
        shell.waitForLine("Something broke within the game. Sorry, but you won't be able to play the gameended 0"));
    shell.type("echo; " + game + " 1</dev/tty; echo ended $?\r");
    EXPECT_TRUE(shell.waitForLine("ended 0"));
    shell.type("echo; " + game + " >&-; echo closed $?\r");
    EXPECT_TRUE(shell.waitForLine("closed 0"));
    // Its errors sent elsewhere, the game still gives the keyboard back as it was.
    shell.type(game + " 2>/dev/null | cat; echo done\r");
    ASSERT_TRUE(shell.answer("Press 'enter'", "\r"));
    EXPECT_TRUE(shell.waitForLine("The board of level 1"));
    shell.type("q");
    EXPECT_TRUE(shell.waitForLine("Thank you for playing") && shell.waitForLine("done"));
    EXPECT_TRUE(shell.terminalSettingsRestored());
}

// The version, a mistake, or a terminal that cannot place its cursor: one line, and the terminal as it was.
TEST(CommandLineThroughTerminal, GetsOneLineAndTheTerminalAsItWas)
{
    const std::tuple<std::vector<std::string>, std::vector<std::string>, const char*, int> refusals[] = {
        {{"--version"}, {}, "quillonex " QUILLONEX_VERSION, 0},
        {{"--bogus"}, {}, "quillonex: unknown option '--bogus'; see 'quillonex --help'", 2},
        {{}, {"TERM=dumb"}, "Something broke within the game. Sorry, but you won't be able to play the game", 0},
    };
    for (const auto& [arguments, environment, line, status] : refusals) {
        GameInTerminal game(100, 10, {}, Launch::SessionLeader, environment, arguments);
        EXPECT_EQ(game.waitForExit(), status);
        EXPECT_EQ(game.screen().text(), line);
        EXPECT_TRUE(game.terminalSettingsRestored() && game.screen().cursorVisible());
    }
}

}  // namespace
