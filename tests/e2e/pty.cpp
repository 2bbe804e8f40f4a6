#include "tests/e2e/pty.hpp"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

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

}  // namespace

GameInTerminal::GameInTerminal(int columns, int lines, std::string directory)
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
    pid_ = forkpty(&master_, nullptr, &initial_, &size);
    if (pid_ < 0) {
        throw std::runtime_error("forkpty failed");
    }
    if (pid_ == 0) {
        if (chdir(directory_.c_str()) != 0) {
            _exit(127);
        }
        setenv("TERM", "xterm-256color", 1);
        execl(QUILLONEX_BINARY, "quillonex", static_cast<char*>(nullptr));
        _exit(127);
    }
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
    while (!keys.empty()) {
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

bool GameInTerminal::readAvailable(int timeoutMs)
{
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

int GameInTerminal::waitForExit(int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!exited_) {
        readAvailable(10);
        const pid_t done = waitpid(pid_, &waitStatus_, WNOHANG);
        if (done == pid_) {
            exited_ = true;
        } else if (Clock::now() >= deadline) {
            return -2;
        }
    }
    readAvailable(0);
    return WIFEXITED(waitStatus_) ? WEXITSTATUS(waitStatus_) : -1;
}

bool GameInTerminal::killedBy(int signal) const
{
    return exited_ && WIFSIGNALED(waitStatus_) && WTERMSIG(waitStatus_) == signal;
}

bool GameInTerminal::terminalSettingsRestored() const
{
    termios now{};
    if (tcgetattr(master_, &now) != 0) {
        return false;
    }
    return now.c_iflag == initial_.c_iflag && now.c_oflag == initial_.c_oflag &&
           now.c_lflag == initial_.c_lflag && now.c_cflag == initial_.c_cflag &&
           std::memcmp(now.c_cc, initial_.c_cc, sizeof now.c_cc) == 0;
}
