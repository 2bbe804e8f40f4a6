// The signals and job control that must give the terminal back as it was
// found: the signals that end the game, Ctrl+Z and fg, a resize, and the
// holds that keep the ending signals out while a save is under way.
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <exception>

#include "platform/platform.hpp"
#include "platform/posix/output.hpp"
#include "platform/posix/raw_mode.hpp"
#include "platform/posix/signals.hpp"

namespace {

using terminal::InputFd;

constexpr int EndSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
// Counts the SIGCONTs received: a suspension learns from it that it was
// resumed before it even stopped.
volatile std::sig_atomic_t continuations = 0;
std::atomic<bool> changed{false};
bool exitHandlersInstalled = false;

// The signal stays held while its own handler runs. A read, a write or a
// terminal setting that a handler cuts short starts again where it was; poll
// and nanosleep return early all the same, and the loops around them go on.
void setHandler(int signal, void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

void onEndSignal(int signal)
{
    // Only async-signal-safe calls here: reset the colours, put the cursor
    // below the game's output so that the shell goes on under it, show it,
    // put the terminal back and end the way the signal would have ended us.
    if (rawMode::isOn()) {
        terminal::writeExitBytes();
    }
    rawMode::restore();
    setHandler(signal, SIG_DFL);
    std::raise(signal);
}

// Puts the terminal back before a stop, while it is still ours. Started by a
// script or by make, the game is not alone in its job: Ctrl+Z stops the shell
// or make that started it as well, and the interactive shell takes the
// terminal back, with its own settings, as soon as that one stops. Setting the
// terminal from outside the foreground would then stop the game with SIGTTOU
// half-way through this handler, and the fg meant to resume it would finish
// the change and stop it again. So the terminal is left to the shell once the
// shell has it, and SIGTTOU is held so that losing the race by a hair costs no
// stop either.
sigset_t holdTerminalStops()
{
    sigset_t ttou;
    sigset_t saved;
    sigemptyset(&ttou);
    sigaddset(&ttou, SIGTTOU);
    sigprocmask(SIG_BLOCK, &ttou, &saved);
    return saved;
}

// A terminal that is not the game's controlling one has no foreground to
// lose, and setting it never stops the game.
bool inForeground()
{
    const pid_t owner = tcgetpgrp(InputFd);
    return owner < 0 || owner == getpgrp();
}

void releaseTerminalForStop()
{
    const sigset_t saved = holdTerminalStops();
    terminal::showCursorForStop();
    if (inForeground()) {
        rawMode::restore();
    }
    rawMode::markOff();
    sigprocmask(SIG_SETMASK, &saved, nullptr);
}

// Raw mode again after a stop, only once the game has the terminal. A shell's
// kill of a stopped job, and a bg, continue it in the background; setting the
// terminal from there would stop it again (SIGTTOU), and a shell that reads
// that stop after its fg takes the game for stopped once more, with the end
// signal of the kill still to come. A game continued in the background waits
// for the SIGCONT of the fg that gives it the terminal.
bool reenterRawMode()
{
    const sigset_t saved = holdTerminalStops();
    const bool foreground = rawMode::consoleOpen() && inForeground();
    if (foreground) {
        rawMode::enter();
    }
    sigprocmask(SIG_SETMASK, &saved, nullptr);
    return foreground;
}

void onSuspend(int);

// Stops the game, unless the fg meant to resume it came first: with others in
// its job, the shell may already have taken the stop as done and sent SIGCONT
// while this handler was still on its way. The stop is raised while SIGTSTP is
// blocked, so that a SIGCONT from then on discards it; one that came before
// shows in the count, and the stop is dropped by hand.
void stopUnlessResumed(std::sig_atomic_t continuationsBefore)
{
    setHandler(SIGTSTP, SIG_DFL);
    std::raise(SIGTSTP);
    if (continuations != continuationsBefore) {
        setHandler(SIGTSTP, SIG_IGN);
    } else {
        sigset_t suspend;
        sigemptyset(&suspend);
        sigaddset(&suspend, SIGTSTP);
        // The stop happens here. Where no shell can start the game again (it
        // runs straight under tmux, script or ssh), the system drops it.
        sigprocmask(SIG_UNBLOCK, &suspend, nullptr);
        sigprocmask(SIG_BLOCK, &suspend, nullptr);
    }
    setHandler(SIGTSTP, onSuspend);
}

void onSuspend(int)
{
    const int savedErrno = errno;
    const std::sig_atomic_t continuationsBefore = continuations;
    releaseTerminalForStop();
    stopUnlessResumed(continuationsBefore);
    // Either way the game goes on in raw mode once it has the terminal.
    if (!rawMode::isOn()) {
        reenterRawMode();
    }
    errno = savedErrno;
}

void onContinue(int)
{
    const int savedErrno = errno;
    continuations = continuations + 1;
    // The screen may have been used by others meanwhile. Raw mode again even
    // where the game never left it: a fg that came first discards the Ctrl+Z
    // before the game handled it, while the shell had already put its own
    // settings in. The screen is drawn again once the game has the terminal.
    terminal::lendScreen();
    if (reenterRawMode()) {
        changed = true;
    }
    errno = savedErrno;
}

void onResize(int)
{
    changed = true;
    terminal::markSizeStale();
}

void onTerminate()
{
    // Out of memory, closing may need more and throw again: the abort's
    // handler then puts the terminal back all the same.
    try {
        platform::closeConsole();
    } catch (...) {
    }
    std::abort();
}

void maskEndSignals(int how)
{
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal : EndSignals) {
        sigaddset(&signals, signal);
    }
    sigprocmask(how, &signals, nullptr);
}

}  // namespace

namespace signals {

void install()
{
    for (const int signal : EndSignals) {
        setHandler(signal, onEndSignal);
    }
    // An abort (memory run out, in most cases) ends the game the same way; it
    // is never held back like the others.
    setHandler(SIGABRT, onEndSignal);
    setHandler(SIGTSTP, onSuspend);
    setHandler(SIGCONT, onContinue);
    setHandler(SIGWINCH, onResize);
    // A terminal that went away shows up as a failed write, not a signal.
    setHandler(SIGPIPE, SIG_IGN);
    if (!exitHandlersInstalled) {
        std::atexit(platform::closeConsole);
        std::set_terminate(onTerminate);
        exitHandlersInstalled = true;
    }
}

}  // namespace signals

namespace platform {

bool takeConsoleChange() { return changed.exchange(false); }

void holdInterrupts() { maskEndSignals(SIG_BLOCK); }

void releaseInterrupts() { maskEndSignals(SIG_UNBLOCK); }

}  // namespace platform
