// The terminal on POSIX systems: raw keys, UTF-8 output through one buffer in
// the colours the terminal takes, and the terminal put back as it was on every
// way out of the game.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <exception>
#include <string>

#include "platform/platform.hpp"
#include "platform/posix/gamepad.hpp"
#include "platform/posix/keys.hpp"
#include "platform/posix/terminfo.hpp"
#include "platform/rewriter.hpp"
#include "platform/text.hpp"

namespace {

constexpr int InputFd = STDIN_FILENO;
constexpr int OutputFd = STDOUT_FILENO;
// How long the next byte of an unfinished key may take to arrive. Over a slow
// link the bytes of one arrow key come that far apart; an Esc alone is only
// told from the start of a sequence after it, which costs nothing in play.
constexpr std::int64_t KeyRestWaitMs = 1000;
// How long an idle wait lasts: short while a pad is connected so that a held
// button is read often, longer without one so a pad plugged in is still noticed.
constexpr int IdleWithPadMs = 5;
constexpr int IdleWithoutPadMs = 200;

termios savedTermios{};
// Set from the signal handlers too.
volatile std::sig_atomic_t rawModeOn = 0;
// Between openConsole and closeConsole: the game wants raw mode back after a
// suspension.
volatile std::sig_atomic_t consoleOpen = 0;
// Counts the SIGCONTs received: a suspension learns from it that it was
// resumed before it even stopped.
volatile std::sig_atomic_t continuations = 0;
std::atomic<bool> changed{false};
bool exitHandlersInstalled = false;

std::string outputBuffer;
// The game's texts as UTF-8, before the writer turns them into the terminal's.
std::string plainText;
colours::Writer writer;
// What a signal that ends the game writes: the terminal's own colours and the
// cursor below the game's output. Made at each flush into the spare slot, then
// switched to, so the handler always finds a whole one.
struct ExitBytes {
    char bytes[32];
    std::size_t size;
};
ExitBytes exitBytes[2] = {{"\x1b[m", 3}, {"\x1b[m", 3}};
volatile std::sig_atomic_t exitBytesSlot = 0;
// Set while a frame is on its way: a signal may cut it inside a sequence.
volatile std::sig_atomic_t writing = 0;
// The terminal's size as the writer knows it may be out of date.
volatile std::sig_atomic_t sizeStale = 1;
std::string pendingBytes;
// When the last bytes came in: the unfinished key in pendingBytes waits from then.
std::int64_t pendingSinceMs = 0;
std::deque<int> keyCodes;
// The palette the player asked for, if any.
std::optional<colours::Palette> chosenPalette;
// The terminal's own sequences that hide and show the cursor (both, or none
// when it lacks one of them), kept where the signal handlers can write them.
struct CursorBytes {
    char bytes[32];
    std::size_t size;
};
CursorBytes hideBytes{{}, 0};
CursorBytes showBytes{{}, 0};
// What the game asks for, and whether the terminal may show the cursor hidden:
// set as soon as the bytes that hide it are on their way, cleared only once
// those that show it are written.
bool cursorWanted = true;
volatile std::sig_atomic_t cursorHidden = 0;
// A stop showed it meanwhile.
volatile std::sig_atomic_t cursorShownForStop = 0;

constexpr int EndSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void restoreTerminal()
{
    if (rawModeOn != 0) {
        tcsetattr(InputFd, TCSAFLUSH, &savedTermios);
        rawModeOn = 0;
    }
}

bool enterRawMode()
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

void writeAll(const char* data, std::size_t size, int fd = OutputFd)
{
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                pollfd fd{OutputFd, POLLOUT, 0};
                poll(&fd, 1, 100);
                continue;
            }
            return;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

void takeSize();

void print(std::string_view plain)
{
    // After a resize the writer must know the new size before it follows the
    // cursor through what comes next (a wrapped line, a clamped move), or the
    // exit bytes would put the shell's prompt over the game's last lines.
    if (sizeStale != 0) {
        sizeStale = 0;
        takeSize();
    }
    colours::writeLean(writer, plain, outputBuffer);
}

void takeSize()
{
    winsize size{};
    if (ioctl(OutputFd, TIOCGWINSZ, &size) == 0) {
        writer.cursor.columns = size.ws_col;
        writer.cursor.lines = size.ws_row;
    }
}

void prepareExitBytes()
{
    const std::string bytes = colours::exitBytes(writer);
    ExitBytes& spare = exitBytes[1 - exitBytesSlot];
    spare.size = std::min(bytes.size(), sizeof spare.bytes);
    bytes.copy(spare.bytes, spare.size);
    exitBytesSlot = 1 - exitBytesSlot;
}

// What the game printed since the last wait reaches the terminal in one write,
// which leaves the terminal in its own colours between frames.
void flushOutput()
{
    if (cursorShownForStop != 0) {
        cursorShownForStop = 0;
        if (!cursorWanted) {
            outputBuffer.insert(0, hideBytes.bytes, hideBytes.size);
        }
    }
    if (!outputBuffer.empty()) {
        colours::resetColours(writer, outputBuffer);
        prepareExitBytes();
        writing = 1;
        writeAll(outputBuffer.data(), outputBuffer.size());
        writing = 0;
        outputBuffer.clear();
        cursorHidden = cursorWanted ? 0 : 1;
    }
    if (sizeStale != 0) {
        sizeStale = 0;
        takeSize();
    }
}

std::string variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

void keepCursorBytes(CursorBytes& kept, const std::string& bytes)
{
    kept.size = std::min(bytes.size(), sizeof kept.bytes);
    bytes.copy(kept.bytes, kept.size);
}

// The colours and the cursor of the terminal at hand, from the environment and
// TERM's terminfo entry. False where the game cannot draw: a dumb terminal, or
// one that cannot put its cursor anywhere, would print the sequences as text.
bool learnTerminal()
{
    colours::TerminalFacts facts{variable("TERM"),        variable("COLORTERM"),      variable("STY"),
                                 variable("TMUX"),        variable("VTE_VERSION"),    variable("KONSOLE_VERSION"),
                                 variable("TERM_PROGRAM"), variable("XTERM_VERSION"), variable("WT_SESSION")};
    const auto entry = terminfo::capabilities(facts.term.c_str());
    if (facts.term == "dumb" || (entry && !entry->cursorAddressing)) {
        return false;
    }
    if (entry) {
        facts.terminfoDirect = entry->direct;
        facts.terminfoColours = entry->colours;
        const bool both = !entry->hideCursor.empty() && !entry->showCursor.empty();
        keepCursorBytes(hideBytes, both ? entry->hideCursor : "");
        keepCursorBytes(showBytes, both ? entry->showCursor : "");
    }
    writer.depth = colours::chooseDepth(facts);
    writer.palette = colours::choosePalette(chosenPalette, facts);
    return true;
}

// Whether a signal handler may write its few bytes. A terminal that reads
// nothing (a stalled connection) would hold the write forever, and the game
// with it. One that is merely behind shows as not ready too while a few
// hundred bytes wait unread: it gets a moment to catch up.
bool terminalTakesBytes()
{
    constexpr int CatchUpMs = 200;
    pollfd output{OutputFd, POLLOUT, 0};
    return poll(&output, 1, CatchUpMs) == 1 && (output.revents & POLLOUT) != 0;
}

void writeFromHandler(const char* bytes, std::size_t size)
{
    if (size > 0) {
        [[maybe_unused]] const ssize_t ignored = write(OutputFd, bytes, size);
    }
}

void onEndSignal(int signal)
{
    // Only async-signal-safe calls here: reset the colours, put the cursor
    // below the game's output so that the shell goes on under it, show it,
    // put the terminal back and end the way the signal would have ended us.
    if (rawModeOn != 0 && terminalTakesBytes()) {
        // A frame cut short may end inside a sequence: CAN ends it.
        writeFromHandler("\x18", writing != 0 ? 1 : 0);
        const ExitBytes& bytes = exitBytes[exitBytesSlot];
        writeFromHandler(bytes.bytes, bytes.size);
        writeFromHandler(showBytes.bytes, cursorHidden != 0 ? showBytes.size : 0);
    }
    restoreTerminal();
    std::signal(signal, SIG_DFL);
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
void releaseTerminalForStop()
{
    sigset_t ttou;
    sigset_t saved;
    sigemptyset(&ttou);
    sigaddset(&ttou, SIGTTOU);
    sigprocmask(SIG_BLOCK, &ttou, &saved);
    // The shell and whatever runs next want their cursor.
    if (cursorHidden != 0 && terminalTakesBytes()) {
        writeFromHandler(showBytes.bytes, showBytes.size);
    }
    cursorShownForStop = cursorHidden;
    if (tcgetpgrp(InputFd) == getpgrp()) {
        restoreTerminal();
    }
    rawModeOn = 0;
    sigprocmask(SIG_SETMASK, &saved, nullptr);
}

void onSuspend(int);

// Stops the game, unless the fg meant to resume it came first: with others in
// its job, the shell may already have taken the stop as done and sent SIGCONT
// while this handler was still on its way. The stop is raised while SIGTSTP is
// blocked, so that a SIGCONT from then on discards it; one that came before
// shows in the count, and the stop is dropped by hand.
void stopUnlessResumed(std::sig_atomic_t continuationsBefore)
{
    std::signal(SIGTSTP, SIG_DFL);
    std::raise(SIGTSTP);
    if (continuations != continuationsBefore) {
        std::signal(SIGTSTP, SIG_IGN);
    } else {
        sigset_t suspend;
        sigemptyset(&suspend);
        sigaddset(&suspend, SIGTSTP);
        // The stop happens here. Where no shell can start the game again (it
        // runs straight under tmux, script or ssh), the system drops it.
        sigprocmask(SIG_UNBLOCK, &suspend, nullptr);
        sigprocmask(SIG_BLOCK, &suspend, nullptr);
    }
    std::signal(SIGTSTP, onSuspend);
}

void onSuspend(int)
{
    const int savedErrno = errno;
    const std::sig_atomic_t continuationsBefore = continuations;
    releaseTerminalForStop();
    stopUnlessResumed(continuationsBefore);
    // Either way the game goes on in raw mode.
    if (consoleOpen != 0 && rawModeOn == 0) {
        enterRawMode();
    }
    errno = savedErrno;
}

void onContinue(int)
{
    const int savedErrno = errno;
    continuations = continuations + 1;
    // Raw mode again even where the game never left it: a fg that came first
    // discards the Ctrl+Z before the game handled it, while the shell had
    // already put its own settings in.
    if (consoleOpen != 0) {
        enterRawMode();
    }
    // The screen may have been used by others meanwhile.
    changed = true;
    errno = savedErrno;
}

void onResize(int)
{
    changed = true;
    sizeStale = 1;
}

void onTerminate()
{
    platform::closeConsole();
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

void installHandlers()
{
    for (const int signal : EndSignals) {
        std::signal(signal, onEndSignal);
    }
    std::signal(SIGTSTP, onSuspend);
    std::signal(SIGCONT, onContinue);
    std::signal(SIGWINCH, onResize);
    // A terminal that went away shows up as a failed write, not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    if (!exitHandlersInstalled) {
        std::atexit(platform::closeConsole);
        std::set_terminate(onTerminate);
        exitHandlersInstalled = true;
    }
}

// The terminal hung up: nothing can be shown or read any more.
[[noreturn]] void terminalGone()
{
    outputBuffer.clear();
    writer.shown = {};
    cursorWanted = true;
    cursorHidden = 0;
    platform::closeConsole();
    std::exit(0);
}

// Reads what the terminal has sent, waiting at most timeoutMs for it. Returns
// whether anything came.
bool readInput(int timeoutMs)
{
    pollfd fd{InputFd, POLLIN, 0};
    const int ready = poll(&fd, 1, timeoutMs);
    if (ready <= 0) {
        return false;
    }
    char bytes[256];
    const ssize_t got = read(InputFd, bytes, sizeof bytes);
    if (got > 0) {
        pendingBytes.append(bytes, static_cast<std::size_t>(got));
        return true;
    }
    if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
        terminalGone();
    }
    return false;
}

std::int64_t monotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

// How much longer an unfinished key may wait for its next byte.
std::int64_t keyRestWaitLeftMs()
{
    return std::max<std::int64_t>(0, pendingSinceMs + KeyRestWaitMs - monotonicMs());
}

// Never blocks: an unfinished key waits across poll steps for the rest of its
// bytes, so the gamepad, a resize and the signals are served meanwhile, and
// only once its time is up does it go as it stands (a lone Esc as 27).
void takeKeys()
{
    if (!keyCodes.empty()) {
        return;
    }
    if (readInput(0)) {
        pendingSinceMs = monotonicMs();
        keys::decodeKeys(pendingBytes, keyCodes);
    }
    if (keyCodes.empty() && !pendingBytes.empty() && keyRestWaitLeftMs() == 0) {
        keys::decodeRest(pendingBytes, keyCodes);
    }
}

void sleepMs(std::int32_t milliseconds)
{
    timespec left{milliseconds / 1000, (milliseconds % 1000) * 1'000'000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

}  // namespace

namespace platform {

void chooseColours(std::optional<colours::Palette> palette)
{
    chosenPalette = palette;
}

bool openConsole()
{
    const int outputFlags = fcntl(OutputFd, F_GETFL);
    if (outputFlags == -1 || (outputFlags & O_ACCMODE) == O_RDONLY) {
        return false;
    }
    if (isatty(InputFd) == 0 || tcgetattr(InputFd, &savedTermios) != 0) {
        return false;
    }
    if (!learnTerminal()) {
        return false;
    }
    takeSize();
    installHandlers();
    if (!enterRawMode()) {
        return false;
    }
    consoleOpen = 1;
    return true;
}

void closeConsole()
{
    consoleOpen = 0;
    showCursor(true);
    flushOutput();
    gamepad::shutdown();
    restoreTerminal();
}

void printText(std::wstring_view wide)
{
    plainText.clear();
    text::appendUtf8(plainText, wide);
    print(plainText);
}

void writeStandardOutput(std::string_view narrow)
{
    writeAll(narrow.data(), narrow.size(), STDOUT_FILENO);
}

void writeStandardError(std::string_view narrow)
{
    writeAll(narrow.data(), narrow.size(), STDERR_FILENO);
}

std::string environmentVariable(const char* name)
{
    return variable(name);
}

void moveCursor(std::int16_t x, std::int16_t y)
{
    plainText.clear();
    text::appendCursorMove(plainText, x, y);
    print(plainText);
}

void showOutput()
{
    flushOutput();
}

void clearScreen()
{
    print(text::ClearScreen);
}

void showCursor(bool visible)
{
    if (hideBytes.size == 0 || visible == cursorWanted) {
        return;
    }
    cursorWanted = visible;
    cursorHidden = 1;
    const CursorBytes& bytes = visible ? showBytes : hideBytes;
    outputBuffer.append(bytes.bytes, bytes.size);
}

bool keyWaiting()
{
    flushOutput();
    takeKeys();
    return !keyCodes.empty();
}

int readKey()
{
    if (!keyWaiting()) {
        return 0;
    }
    const int code = keyCodes.front();
    keyCodes.pop_front();
    return code;
}

void pause(std::int32_t milliseconds)
{
    flushOutput();
    if (milliseconds > 0) {
        sleepMs(milliseconds);
    }
}

void idle()
{
    flushOutput();
    if (keyCodes.empty()) {
        std::int64_t waitMs = gamepad::connected() ? IdleWithPadMs : IdleWithoutPadMs;
        if (!pendingBytes.empty()) {
            waitMs = std::min(waitMs, keyRestWaitLeftMs());
        }
        pollfd fd{InputFd, POLLIN, 0};
        poll(&fd, 1, static_cast<int>(waitMs));
    }
}

std::int64_t calendarSeconds()
{
    return static_cast<std::int64_t>(std::time(nullptr));
}

std::optional<ConsoleSize> consoleSize()
{
    winsize size{};
    if (ioctl(OutputFd, TIOCGWINSZ, &size) != 0 && ioctl(InputFd, TIOCGWINSZ, &size) != 0) {
        return std::nullopt;
    }
    if (size.ws_col == 0 || size.ws_row == 0) {
        return std::nullopt;
    }
    return ConsoleSize{size.ws_col, size.ws_row};
}

bool takeConsoleChange()
{
    return changed.exchange(false);
}

}  // namespace platform

namespace platform {

// Beside the terminal rather than with the rest of the save's file handling
// (files.cpp), which the tests use as it is: the test console puts a disk
// of its own behind these two.
bool flushNewFile(const NewFile& file)
{
    return fsync(static_cast<int>(file.handle)) == 0;
}

bool flushFileToDisk(const char* path)
{
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool flushed = fsync(fd) == 0;
    close(fd);
    return flushed;
}

void holdInterrupts()
{
    maskEndSignals(SIG_BLOCK);
}

void releaseInterrupts()
{
    maskEndSignals(SIG_UNBLOCK);
}

}  // namespace platform
