// quillonex.exe under wine: what a Windows console would receive from it.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <thread>

#include "tests/e2e/pty.hpp"

namespace fs = std::filesystem;

namespace {

// The bytes of UTF-16 text as a little-endian Windows writes it.
std::string utf16le(std::u16string_view text)
{
    std::string bytes;
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xff);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// The title as the C runtime writes it in UTF-16 text mode: every "\n" of the
// game leaves as "\r\n".
const std::u16string_view TitleInTextMode =
    u"Welcome to the quillonex. YOU are this.\r\n"
    u"     \u2588\u2588     \r\n"
    u"Aren't you so pretty\r\n"
    u"Move around by pressing the wasd or arrow keys\r\n"
    u"Try to get to the \x1b[48;2;150;75;0m\x1b[38;2;255;255;0m\u25ac\u25ac\x1b[0m"
    u" without touching the "
    u"\x1b[38;2;255;0;0m\u2588\u2588\x1b[0m.\r\n"
    u"Press 'e' to save your progress and press 'q' to quit the game.\r\n"
    u"If you are using an Xbox controller, use the d-pad or the letter buttons to move around.\r\n"
    u"Press the start button to quit and press the back button to save."
    u"\r\nGood Luck\r\n"
    u"DO NOT PRESS KEYS WHILE THE GAME IS DOING STUFF, SUCH AS SAVING OR UPDATING THE GAME.\r\n"
    u"Press 'enter' to continue. Press 'A' on a Xbox controller to continue as well.\r\n";

// Wine takes a while to start, the more so on its first run in a prefix.
constexpr int StartMs = 60000;

using Clock = std::chrono::steady_clock;

// The game under wine with its output going to a file and no console to type
// in, as when a Windows user redirects it.
class RedirectedGame {
public:
    RedirectedGame()
    {
        std::string pattern = (fs::temp_directory_path() / "quillonex-wine-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("no temporary directory");
        }
        directory_ = pattern;
        outputPath_ = directory_ / "output.bin";
        pid_ = fork();
        if (pid_ < 0) {
            throw std::runtime_error("fork failed");
        }
        if (pid_ == 0) {
            const int out = open(outputPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int in = open("/dev/null", O_RDONLY);
            if (out < 0 || in < 0 || chdir(directory_.c_str()) != 0) {
                _exit(127);
            }
            dup2(in, STDIN_FILENO);
            dup2(out, STDOUT_FILENO);
            // Wine's own complaints stay on the test's error output.
            execl(QUILLONEX_WINE, "wine", QUILLONEX_EXE, static_cast<char*>(nullptr));
            _exit(127);
        }
    }

    ~RedirectedGame()
    {
        stop();
        std::error_code ignored;
        fs::remove_all(directory_, ignored);
    }

    RedirectedGame(const RedirectedGame&) = delete;
    RedirectedGame& operator=(const RedirectedGame&) = delete;

    std::string bytes() const
    {
        std::ifstream file(outputPath_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    // Waits until the output holds at least `size` bytes or the game ended.
    bool waitForBytes(std::size_t size, int timeoutMs)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (bytes().size() < size && running()) {
            if (Clock::now() >= deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return bytes().size() >= size;
    }

    bool running()
    {
        if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
        }
        return pid_ > 0;
    }

    void stop()
    {
        if (running()) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

private:
    fs::path directory_;
    fs::path outputPath_;
    pid_t pid_ = -1;
};

TEST(TitleUnderWine, RedirectedOutputIsTheTitleInUtf16AndTheGameWaits)
{
    const std::string expected = utf16le(TitleInTextMode);
    RedirectedGame game;
    ASSERT_TRUE(game.waitForBytes(expected.size(), StartMs)) << "output so far: " << game.bytes().size() << " bytes";
    // Nothing was typed: the game is still waiting for Enter.
    EXPECT_TRUE(game.running());
    game.stop();

    const std::string bytes = game.bytes();
    EXPECT_EQ(bytes, expected);
    // The blocks and bars as UTF-16 code units, low byte first: the player's
    // two blocks between spaces, the goal's two bars.
    EXPECT_NE(bytes.find(std::string(" \0\x88\x25\x88\x25 \0", 8)), std::string::npos);
    EXPECT_NE(bytes.find(std::string("\xac\x25\xac\x25", 4)), std::string::npos);
    EXPECT_EQ(bytes.find(std::string("\xff\xfe", 2)), std::string::npos) << "no byte order mark";
}

// Wine's console counts the characters of a colour sequence as cells, so it
// wraps a title line that holds colours early; a wide terminal keeps every
// line of the game whole.
constexpr int WideColumns = 200;

bool titleShown(const Screen& s)
{
    return s.line(10).starts_with("Press 'enter'");
}

TEST(TitleUnderWine, ThroughAPseudoTerminalKeysReachTheGameAndEnterStartsIt)
{
    GameInTerminal game(WideColumns, 30);
    ASSERT_TRUE(game.waitFor(titleShown, StartMs)) << game.output();
    EXPECT_EQ(game.screen().line(0), "Welcome to the quillonex. YOU are this.");
    EXPECT_EQ(game.screen().line(1), "     \u2588\u2588");
    EXPECT_EQ(game.screen().line(4), "Try to get to the \u25ac\u25ac without touching the \u2588\u2588.");
    EXPECT_EQ(game.screen().cell(18, 4).fg, (Colour{Rgb{255, 255, 0}}));
    EXPECT_EQ(game.screen().cell(18, 4).bg, (Colour{Rgb{150, 75, 0}}));
    EXPECT_EQ(game.screen().line(8), "Good Luck");
    // Wine's console takes the terminal (no echo, keys one by one) a moment
    // after the game's first output; keys typed before that would echo.
    ASSERT_TRUE(game.waitFor([&](const Screen&) { return !game.terminalSettingsRestored(); }, StartMs));

    // An arrow key is two codes for the game, a letter one: three reminders.
    // (Wine's _kbhit overlooks a key without a character, such as an arrow,
    // until another key follows it; Windows' does not. The letter also makes
    // sure that the idle wait never drops a key that conio has not counted.)
    game.type("\x1b[Ax");
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(13) == "Please input 'enter'"; }, StartMs));
    EXPECT_EQ(game.screen().line(11), "Please input 'enter'");
    EXPECT_EQ(game.screen().line(12), "Please input 'enter'");
    EXPECT_EQ(game.screen().line(14), "");

    // Enter clears the title and the first level begins; q ends the game.
    game.type("\r");
    ASSERT_TRUE(game.waitFor([](const Screen& s) { return s.line(0) == "Level 1"; }, StartMs));
    EXPECT_EQ(game.screen().findLine("Welcome"), -1);
    EXPECT_EQ(game.screen().findLine("Please input"), -1);
    game.type("q");
    EXPECT_EQ(game.waitForExit(StartMs), 0);
    EXPECT_TRUE(game.terminalSettingsRestored());
}

}  // namespace
