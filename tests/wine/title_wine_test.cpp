// quillonex.exe under wine with its output going to a file and nothing to
// type in, as when a Windows user redirects it.
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

// The title as the C runtime writes it in UTF-16 text mode, with no byte order
// mark: every "\n" of the game leaves as "\r\n".
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

std::string fileContent(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

TEST(TitleUnderWine, RedirectedOutputIsTheTitleInUtf16AndTheGameWaits)
{
    const std::string expected = utf16le(TitleInTextMode);
    std::string folder = (std::filesystem::temp_directory_path() / "quillonex-wine-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    const std::string output = folder + "/output.bin";
    const pid_t game = fork();
    ASSERT_GE(game, 0);
    if (game == 0) {
        const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int in = open("/dev/null", O_RDONLY);
        // Wine's own complaints go to a file: a helper process that wine
        // starts may outlive the test and would hold its error output open.
        const int err = open((folder + "/wine.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || in < 0 || err < 0 || chdir(folder.c_str()) != 0) {
            _exit(127);
        }
        dup2(in, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        execl(QUILLONEX_WINE, "wine", QUILLONEX_EXE, static_cast<char*>(nullptr));
        _exit(127);
    }
    // Wine takes a while to start, the more so on its first run in a prefix.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    bool waiting = true;
    while (waiting && fileContent(output).size() < expected.size() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        waiting = waitpid(game, nullptr, WNOHANG) == 0;
    }
    if (waiting) {
        kill(game, SIGKILL);
        waitpid(game, nullptr, 0);
    }
    // Nothing was typed: the game was still waiting for Enter.
    EXPECT_TRUE(waiting);
    EXPECT_EQ(fileContent(output), expected);
    std::filesystem::remove_all(folder);
}

}  // namespace
