// The built game in a pseudo-terminal: keys typed in, the screen read back through libvterm.
#pragma once

#include <sys/types.h>
#include <sys/wait.h>
#include <termios.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/screen.hpp"

// Who leads the session, hearing of a hang-up: the game (as a terminal window runs it), a shell ignoring hang-ups (a
// lost terminal shows in the game's reads and writes), or bash without line editing (settings left alone).
enum class Launch { SessionLeader, UnderShell, InteractiveShell };

// How long a wait lasts at most: long enough for a sanitized game on a busy machine, so only a hang reaches it.
constexpr int HangMs = 60000;

class GameInTerminal {
public:
    // Starts the game in `directory` (by default a new one, removed at the end). The environment is
    // xterm-256color's with COLORTERM=truecolor; "NAME=value" in `environment` sets a variable, "NAME" removes it.
    GameInTerminal(int columns, int lines, std::string directory = {}, Launch launch = Launch::SessionLeader,
                   const std::vector<std::string>& environment = {}, std::vector<std::string> arguments = {});
    ~GameInTerminal();
    GameInTerminal(const GameInTerminal&) = delete;
    GameInTerminal& operator=(const GameInTerminal&) = delete;

    void type(std::string_view keys);
    void signal(int signal) { kill(pid_, signal); }
    void resize(int columns, int lines);
    // Closes our side of the terminal, as when its window is closed.
    void closeTerminal();
    // Types the key, unread, until the terminal takes no more and the game is stuck writing; false if it never is.
    bool jamOutput(char key, int timeoutMs = HangMs);

    // Reads the game's output until the condition holds or the time is up.
    bool waitFor(const std::function<bool(const Screen&)>& condition, int timeoutMs = HangMs);
    // The same, until a line starts with the text.
    bool waitForLine(std::string_view start, int timeoutMs = HangMs)
    {
        return waitFor([start](const Screen& s) { return s.findLine(start) >= 0; }, timeoutMs);
    }
    // Types the keys once a line starts with the text; false, typing nothing, when none does in time.
    bool answer(std::string_view start, std::string_view keys, int timeoutMs = HangMs)
    {
        return waitForLine(start, timeoutMs) && (type(keys), true);
    }
    // Reads what the game writes for a while, however long it is quiet.
    void settle(int ms)
    {
        waitFor([](const Screen&) { return false; }, ms);
    }
    // Waits, reading nothing, until the process sleeps (for the terminal, a key or a time) rather than runs.
    bool waitUntilAsleep(pid_t process, int timeoutMs = HangMs);
    // The shell's child: the game it runs.
    pid_t child() const;
    // The game's exit status, -1 when killed by a signal, -2 when not ended in time.
    int waitForExit(int timeoutMs = HangMs, bool readOutput = true);
    pid_t pid() const { return pid_; }
    bool killedBy(int signal) const { return exited_ && WIFSIGNALED(waitStatus_) && WTERMSIG(waitStatus_) == signal; }
    // Processor time the game used in all, once it has ended.
    std::chrono::milliseconds cpuTime() const { return cpuTime_; }

    bool terminalSettingsRestored() const;
    termios settings() const;
    // What a shell prints after the game shows in the terminal's own colours.
    bool coloursRestored() const;

    const Screen& screen() const { return screen_; }
    const std::string& received() const { return received_; }
    const std::string& directory() const { return directory_; }

private:
    void readAvailable(int timeoutMs);

    Screen screen_;
    std::string received_, directory_;
    bool ownDirectory_ = false;
    int master_ = -1;
    // The game, or under a shell the shell.
    pid_t pid_ = -1;
    int waitStatus_ = 0;
    std::chrono::milliseconds cpuTime_{0};
    bool exited_ = false;
    termios initial_{};
};
