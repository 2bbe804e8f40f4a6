#include "tests/e2e/pty.hpp"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

// A terminal as a shell leaves it: cooked, echoing, with the usual keys.
termios cookedSettings()
{
    termios t{};
    t.c_iflag = ICRNL | IXON | BRKINT | IUTF8;
    t.c_oflag = OPOST | ONLCR;
    t.c_cflag = CS8 | CREAD | HUPCL;
    t.c_lflag = ISIG | ICANON | ECHO | ECHOE | ECHOK | IEXTEN | ECHOCTL | ECHOKE;
    t.c_cc[VINTR] = 3;
    t.c_cc[VQUIT] = 28;
    t.c_cc[VERASE] = 127;
    t.c_cc[VKILL] = 21;
    t.c_cc[VEOF] = 4;
    t.c_cc[VSUSP] = 26;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, B38400);
    cfsetospeed(&t, B38400);
    return t;
}

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

[[noreturn]] void runGame()
{
    execl(QUILLONEX_BINARY, "quillonex", static_cast<char*>(nullptr));
    _exit(127);
}

// A shell without job control: it runs the game as its child in the same
// process group, leaves the keyboard's signals and a hang-up to the game, and
// ends the way the game ended. Tells the game's process id through `pidFd`.
[[noreturn]] void runUnderShell(int pidFd)
{
    const pid_t game = fork();
    if (game == 0) {
        runGame();
    }
    std::signal(SIGHUP, SIG_IGN);
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGQUIT, SIG_IGN);
    if (write(pidFd, &game, sizeof game) != static_cast<ssize_t>(sizeof game) || game < 0) {
        _exit(127);
    }
    close(pidFd);
    int status = 0;
    while (waitpid(game, &status, 0) < 0) {
        if (errno != EINTR) {
            _exit(127);
        }
    }
    if (WIFSIGNALED(status)) {
        std::signal(WTERMSIG(status), SIG_DFL);
        raise(WTERMSIG(status));
    }
    _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 127);
}

milliseconds toMilliseconds(const timeval& t)
{
    return milliseconds(static_cast<long long>(t.tv_sec) * 1000 + t.tv_usec / 1000);
}

}  // namespace

GameInTerminal::GameInTerminal(int columns, int lines, std::string directory, Launch launch)
    : screen_(columns, lines), directory_(std::move(directory)), initial_(cookedSettings())
{
    if (directory_.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "quillonex-e2e-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("no temporary directory");
        }
        directory_ = pattern;
        ownDirectory_ = true;
    }
    winsize size{};
    size.ws_col = static_cast<unsigned short>(columns);
    size.ws_row = static_cast<unsigned short>(lines);
    int pidPipe[2] = {-1, -1};
    if (launch == Launch::UnderShell && pipe2(pidPipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("no pipe");
    }
    leader_ = forkpty(&master_, nullptr, &initial_, &size);
    if (leader_ < 0) {
        for (const int fd : pidPipe) {
            if (fd >= 0) {
                close(fd);
            }
        }
        throw std::runtime_error("forkpty failed");
    }
    if (leader_ == 0) {
        // Ctrl+\ leaves no core file in the test's folder.
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        if (chdir(directory_.c_str()) != 0) {
            _exit(127);
        }
        setenv("TERM", "xterm-256color", 1);
        if (launch == Launch::UnderShell) {
            close(pidPipe[0]);
            runUnderShell(pidPipe[1]);
        }
        runGame();
    }
    pid_ = leader_;
    if (launch == Launch::UnderShell) {
        close(pidPipe[1]);
        pid_t game = -1;
        const bool told = read(pidPipe[0], &game, sizeof game) == static_cast<ssize_t>(sizeof game);
        close(pidPipe[0]);
        if (!told) {
            kill(leader_, SIGKILL);
            waitpid(leader_, nullptr, 0);
            close(master_);
            throw std::runtime_error("the shell could not start the game");
        }
        pid_ = game;
    }
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

GameInTerminal::~GameInTerminal()
{
    if (!exited_ && leader_ > 0) {
        kill(pid_, SIGKILL);
        kill(leader_, SIGKILL);
        waitpid(leader_, nullptr, 0);
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
        if (written < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                readAvailable(10);
                continue;
            }
            return;
        }
        keys.remove_prefix(static_cast<std::size_t>(written));
    }
}

void GameInTerminal::signal(int signal)
{
    kill(pid_, signal);
}

void GameInTerminal::resize(int columns, int lines)
{
    winsize size{};
    size.ws_col = static_cast<unsigned short>(columns);
    size.ws_row = static_cast<unsigned short>(lines);
    ioctl(master_, TIOCSWINSZ, &size);
    screen_.resize(columns, lines);
}

void GameInTerminal::closeTerminal()
{
    if (master_ >= 0) {
        close(master_);
        master_ = -1;
    }
}

bool GameInTerminal::jamOutput(char key, int timeoutMs)
{
    const std::string keys(256, key);
    const auto deadline = Clock::now() + milliseconds(timeoutMs);
    auto lastTaken = Clock::now();
    while (Clock::now() < deadline) {
        if (write(master_, keys.data(), keys.size()) > 0) {
            lastTaken = Clock::now();
            continue;
        }
        if (Clock::now() - lastTaken >= milliseconds(300)) {
            return true;
        }
        pollfd fd{master_, POLLOUT, 0};
        poll(&fd, 1, 10);
    }
    return false;
}

bool GameInTerminal::readAvailable(int timeoutMs)
{
    if (master_ < 0) {
        std::this_thread::sleep_for(milliseconds(timeoutMs));
        return false;
    }
    pollfd fd{master_, POLLIN, 0};
    if (poll(&fd, 1, timeoutMs) <= 0) {
        return false;
    }
    char bytes[4096];
    bool any = false;
    for (;;) {
        const ssize_t got = read(master_, bytes, sizeof bytes);
        if (got <= 0) {
            break;
        }
        output_.append(bytes, static_cast<std::size_t>(got));
        screen_.feed(std::string_view(bytes, static_cast<std::size_t>(got)));
        any = true;
    }
    return any;
}

bool GameInTerminal::waitFor(const std::function<bool(const Screen&)>& condition, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition(screen_)) {
        if (Clock::now() >= deadline) {
            return false;
        }
        readAvailable(20);
    }
    return true;
}

void GameInTerminal::settle(int milliseconds)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (Clock::now() < deadline) {
        readAvailable(10);
    }
}

int GameInTerminal::waitForExit(int timeoutMs, bool readOutput)
{
    const auto deadline = Clock::now() + milliseconds(timeoutMs);
    while (!exited_) {
        if (readOutput) {
            readAvailable(10);
        } else {
            std::this_thread::sleep_for(milliseconds(10));
        }
        // The usage counts the game's processor time even under a shell,
        // which has waited for it.
        rusage usage{};
        const pid_t done = wait4(leader_, &waitStatus_, WNOHANG, &usage);
        if (done == leader_) {
            exited_ = true;
            cpuAtExit_ = toMilliseconds(usage.ru_utime) + toMilliseconds(usage.ru_stime);
        } else if (Clock::now() >= deadline) {
            return -2;
        }
    }
    if (readOutput) {
        readAvailable(0);
    }
    return WIFEXITED(waitStatus_) ? WEXITSTATUS(waitStatus_) : -1;
}

milliseconds GameInTerminal::cpuTime() const
{
    if (exited_) {
        return cpuAtExit_;
    }
    // User and system time are the 14th and 15th fields; the name in the
    // second may hold spaces, so counting starts after its closing bracket.
    std::ifstream statFile("/proc/" + std::to_string(pid_) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(statFile)), std::istreambuf_iterator<char>());
    const std::size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos) {
        return milliseconds(0);
    }
    std::istringstream fields(stat.substr(nameEnd + 2));
    std::string field;
    for (int i = 3; i <= 13; ++i) {
        fields >> field;
    }
    long long user = 0;
    long long system = 0;
    fields >> user >> system;
    return milliseconds((user + system) * 1000 / sysconf(_SC_CLK_TCK));
}

bool GameInTerminal::killedBy(int signal) const
{
    return exited_ && WIFSIGNALED(waitStatus_) && WTERMSIG(waitStatus_) == signal;
}

bool GameInTerminal::terminalSettingsRestored() const
{
    termios now{};
    if (master_ < 0 || tcgetattr(master_, &now) != 0) {
        return false;
    }
    return now.c_iflag == initial_.c_iflag && now.c_oflag == initial_.c_oflag &&
           now.c_lflag == initial_.c_lflag && now.c_cflag == initial_.c_cflag &&
           std::memcmp(now.c_cc, initial_.c_cc, sizeof now.c_cc) == 0;
}
