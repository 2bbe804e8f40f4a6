// Raw mode on a POSIX terminal for as long as the console is open; the
// signals and job control that take it away and give it back are in
// signals.cpp.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>

#include "platform/platform.hpp"
#include "platform/posix/gamepad.hpp"
#include "platform/posix/output.hpp"
#include "platform/posix/raw_mode.hpp"
#include "platform/posix/signals.hpp"

namespace {

using terminal::InputFd;
using terminal::OutputFd;

termios savedTermios{};
// Set from the signal handlers too.
volatile std::sig_atomic_t rawModeOn = 0;
// Between openConsole and closeConsole: the game wants raw mode back after a
// suspension.
volatile std::sig_atomic_t consoleIsOpen = 0;

}  // namespace

namespace rawMode {

bool isOn() { return rawModeOn != 0; }

bool consoleOpen() { return consoleIsOpen != 0; }

void markOff() { rawModeOn = 0; }

void restore()
{
    if (rawModeOn != 0) {
        tcsetattr(InputFd, TCSAFLUSH, &savedTermios);
        rawModeOn = 0;
    }
}

bool enter()
{
    termios raw = savedTermios;
    // Keys one by one, unechoed, Enter as 13, Ctrl+S and Ctrl+V as plain keys.
    // Output processing stays on, so "\n" starts a new line; so do the signal
    // keys, so Ctrl+C ends the game and Ctrl+Z suspends it.
    raw.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR | IXON);
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    // Marked before the change: a signal that lands right after it must still
    // undo it (undoing it before it happened does no harm).
    rawModeOn = 1;
    if (tcsetattr(InputFd, TCSAFLUSH, &raw) != 0) {
        rawModeOn = 0;
        return false;
    }
    return true;
}

}  // namespace rawMode

namespace platform {

bool openConsole()
{
    const int outputFlags = fcntl(OutputFd, F_GETFL);
    if (outputFlags == -1 || (outputFlags & O_ACCMODE) == O_RDONLY) {
        return false;
    }
    if (isatty(InputFd) == 0 || tcgetattr(InputFd, &savedTermios) != 0) {
        return false;
    }
    if (!terminal::learnTerminal()) {
        return false;
    }
    signals::install();
    if (!rawMode::enter()) {
        return false;
    }
    consoleIsOpen = 1;
    return true;
}

void closeConsole()
{
    consoleIsOpen = 0;
    showCursor(true);
    terminal::flushOutput();
    gamepad::shutdown();
    rawMode::restore();
}

}  // namespace platform
