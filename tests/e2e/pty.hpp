// The built game in a pseudo-terminal: keys typed in, the screen read back
// through the screen model, the terminal's settings compared at the end.
#pragma once

#include <sys/types.h>
#include <termios.h>

#include <csignal>
#include <functional>
#include <string>
#include <string_view>

#include "tests/support/screen.hpp"

class GameInTerminal {
public:
    // Starts the game in a terminal of the given size, in `directory` (a new
    // empty one when none is given).
    GameInTerminal(int columns, int lines, std::string directory = {});
    ~GameInTerminal();
    GameInTerminal(const GameInTerminal&) = delete;
    GameInTerminal& operator=(const GameInTerminal&) = delete;

    void type(std::string_view keys);
    void signal(int signal);
    void resize(int columns, int lines);

    // Reads the game's output until the condition holds or the time is up.
    bool waitFor(const std::function<bool(const Screen&)>& condition, int timeoutMs = 5000);
    // Reads what the game writes for a while, however long it is quiet.
    void settle(int milliseconds);
    // Waits for the game to end and gives its exit status (-1 when killed by a
    // signal, -2 when it did not end in time).
    int waitForExit(int timeoutMs = 10000);
    bool killedBy(int signal) const;

    // The terminal's settings are what they were before the game started.
    bool terminalSettingsRestored() const;

    const Screen& screen() const { return screen_; }
    const std::string& output() const { return output_; }
    const std::string& directory() const { return directory_; }
    pid_t pid() const { return pid_; }

private:
    bool readAvailable(int timeoutMs);

    Screen screen_;
    std::string output_;
    std::string directory_;
    bool ownDirectory_ = false;
    int master_ = -1;
    pid_t pid_ = -1;
    int waitStatus_ = 0;
    bool exited_ = false;
    termios initial_{};
};
