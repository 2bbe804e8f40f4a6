#include "tests/e2e/pty.hpp"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utmp.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>

#include "tests/support/scratch.hpp"

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

GameInTerminal::GameInTerminal(int columns, int lines, std::string directory, Launch launch,
                               const std::vector<std::string>& environment, std::vector<std::string> arguments)
    : screen_(columns, lines), directory_(std::move(directory)), ownDirectory_(directory_.empty())
{
    if (ownDirectory_) {
        directory_ = newFolder().string();
    }
    // A new terminal starts cooked, echoing, with the usual keys: as a shell leaves it.
    const winsize size{static_cast<unsigned short>(lines), static_cast<unsigned short>(columns), 0, 0};
    int player = -1;
    if (openpty(&master_, &player, nullptr, nullptr, &size) != 0 || tcgetattr(player, &initial_) != 0 ||
        (pid_ = fork()) < 0) {
        throw std::runtime_error("no terminal for the game");
    }
    if (pid_ == 0) {
        login_tty(player);
        close(master_);
        // Ctrl+\ leaves no core file in the test's folder.
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        if (chdir(directory_.c_str()) != 0) {
            _exit(127);
        }
        // A terminal that shows 24-bit colour, wherever the tests run, then the test's own variables.
        std::vector<std::string> variables{
            "TERM=xterm-256color", "COLORTERM=truecolor", "STY",           "TMUX",       "VTE_VERSION",
            "KONSOLE_VERSION",     "TERM_PROGRAM",        "XTERM_VERSION", "WT_SESSION", "NO_COLOR"};
        variables.insert(variables.end(), environment.begin(), environment.end());
        for (const std::string& variable : variables) {
            const std::size_t equals = variable.find('=');
            equals == std::string::npos ? unsetenv(variable.c_str())
                                        : setenv(variable.substr(0, equals).c_str(), variable.c_str() + equals + 1, 1);
        }
        if (launch == Launch::UnderShell) {
            // Without job control the shell runs the game in its own process group and waits for it;
            // the exit after the game keeps it from handing the game its place.
            execl("/bin/sh", "sh", "-c", "trap '' HUP; \"$0\"; exit $?", QUILLONEX_BINARY, static_cast<char*>(nullptr));
        } else if (launch == Launch::InteractiveShell) {
            // Bash's own prompt, whatever the user's is, and no history written to their home.
            setenv("PS1", "\\s-\\v\\$ ", 1);
            setenv("HISTFILE", "", 1);
            unsetenv("PROMPT_COMMAND");
            execl("/bin/bash", "bash", "--norc", "--noprofile", "--noediting", "-i", static_cast<char*>(nullptr));
        } else {
            arguments.insert(arguments.begin(), "quillonex");
            std::vector<char*> argv(arguments.size() + 1, nullptr);
            std::ranges::transform(arguments, argv.begin(), [](std::string& argument) { return argument.data(); });
            execv(QUILLONEX_BINARY, argv.data());
        }
        _exit(127);
    }
    close(player);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

GameInTerminal::~GameInTerminal()
{
    if (!exited_ && pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) {
        close(master_);
    }
    if (ownDirectory_) {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }
}

void GameInTerminal::type(std::string_view keys)
{
    while (!keys.empty() && master_ >= 0) {
        const ssize_t written = write(master_, keys.data(), keys.size());
        if (written >= 0) {
            keys.remove_prefix(static_cast<std::size_t>(written));
        } else if (errno == EAGAIN || errno == EINTR) {
            readAvailable(10);
        } else {
            return;
        }
    }
}

void GameInTerminal::resize(int columns, int lines)
{
    const winsize size{static_cast<unsigned short>(lines), static_cast<unsigned short>(columns), 0, 0};
    ioctl(master_, TIOCSWINSZ, &size);
    screen_.resize(columns, lines);
}

void GameInTerminal::closeTerminal() { close(std::exchange(master_, -1)); }

bool GameInTerminal::jamOutput(char key, int timeoutMs)
{
    const std::string keys(256, key);
    const auto deadline = Clock::now() + milliseconds(timeoutMs);
    for (auto lastTaken = Clock::now(); Clock::now() < deadline; std::this_thread::sleep_for(milliseconds(10))) {
        if (write(master_, keys.data(), keys.size()) > 0) {
            lastTaken = Clock::now();
        } else if (Clock::now() - lastTaken >= milliseconds(300)) {
            return true;
        }
    }
    return false;
}

void GameInTerminal::readAvailable(int timeoutMs)
{
    // Once the terminal is closed, poll() only waits out the time. A bounded share at a time, so that a wait
    // can stop reading a long frame part of the way through.
    pollfd fd{master_, POLLIN, 0};
    char bytes[4096];
    ssize_t got = 0;
    for (int share = 0; share < 16 && poll(&fd, 1, timeoutMs) > 0 && (got = read(master_, bytes, sizeof bytes)) > 0;
         ++share) {
        screen_.feed(std::string_view(bytes, static_cast<std::size_t>(got)));
        received_.append(bytes, static_cast<std::size_t>(got));
        timeoutMs = 0;
    }
}

bool GameInTerminal::waitFor(const std::function<bool(const Screen&)>& condition, int timeoutMs)
{
    const auto deadline = Clock::now() + milliseconds(timeoutMs);
    while (!condition(screen_)) {
        if (Clock::now() >= deadline) {
            return false;
        }
        readAvailable(20);
    }
    return true;
}

int GameInTerminal::waitForExit(int timeoutMs, bool readOutput)
{
    const auto deadline = Clock::now() + milliseconds(timeoutMs);
    while (!exited_) {
        readOutput ? readAvailable(10) : std::this_thread::sleep_for(milliseconds(10));
        // Under a shell the usage counts the game's time too, as the shell has waited for it.
        rusage usage{};
        if (wait4(pid_, &waitStatus_, WNOHANG, &usage) == pid_) {
            exited_ = true;
            const auto ms = [](const timeval& t) { return milliseconds(t.tv_sec * 1000LL + t.tv_usec / 1000); };
            cpuTime_ = ms(usage.ru_utime) + ms(usage.ru_stime);
        } else if (Clock::now() >= deadline) {
            return -2;
        }
    }
    if (readOutput) {
        readAvailable(0);
    }
    return WIFEXITED(waitStatus_) ? WEXITSTATUS(waitStatus_) : -1;
}

bool GameInTerminal::terminalSettingsRestored() const
{
    termios now{};
    return master_ >= 0 && tcgetattr(master_, &now) == 0 && now.c_iflag == initial_.c_iflag &&
           now.c_oflag == initial_.c_oflag && now.c_lflag == initial_.c_lflag && now.c_cflag == initial_.c_cflag &&
           std::memcmp(now.c_cc, initial_.c_cc, sizeof now.c_cc) == 0;
}

bool GameInTerminal::coloursRestored() const
{
    Screen after(80, 30);
    after.feed(received_ + "\r\nX");
    const ScreenCell cell = after.cell(0, after.cursor().y);
    return cell.ch == U'X' && !cell.fg && !cell.bg;
}

bool GameInTerminal::waitUntilAsleep(pid_t process, int timeoutMs)
{
    const auto deadline = Clock::now() + milliseconds(timeoutMs);
    for (;; std::this_thread::sleep_for(milliseconds(10))) {
        const std::string fields = contentOf("/proc/" + std::to_string(process) + "/stat");
        // The state follows the program's name, which is in brackets.
        const bool asleep = fields.find(") S ", fields.rfind(')')) != std::string::npos;
        if (asleep || Clock::now() >= deadline) {
            return asleep;
        }
    }
}

pid_t GameInTerminal::child() const
{
    pid_t child = 0;
    std::ifstream("/proc/" + std::to_string(pid_) + "/task/" + std::to_string(pid_) + "/children") >> child;
    return child;
}

termios GameInTerminal::settings() const
{
    termios now{};
    tcgetattr(master_, &now);
    return now;
}
