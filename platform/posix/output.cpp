// The game's output on a POSIX terminal: its cells, texts, places and clears
// encoded for the terminal at hand (platform/encoder.hpp) into one buffer,
// written once a frame; the cursor hidden and
// shown with the terminal's own sequences; and the bytes that leave the
// terminal as it was found on every way out, a signal's included.
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/cursor.hpp"
#include "platform/encoder.hpp"
#include "platform/platform.hpp"
#include "platform/posix/output.hpp"
#include "platform/posix/terminfo.hpp"

namespace {

using terminal::InputFd;
using terminal::OutputFd;

std::string outputBuffer;
encoder::Output writer;
// A few bytes kept where the signal handlers can write them.
struct HeldBytes {
    char bytes[32];
    std::size_t size;
};
// What a signal that ends the game writes: the terminal's own colours and the
// cursor below the game's output. Made at each flush into the spare slot, then
// switched to, so the handler always finds a whole one.
struct ExitBytes : HeldBytes {
    // The loans of the screen known when they were made.
    std::sig_atomic_t loans;
};
ExitBytes exitBytes[2]{};
volatile std::sig_atomic_t exitBytesSlot = 0;
// Each continue after a stop lends the screen to the shell first: where the
// game's output ends is known again only once it draws. Until then the exit
// bytes put the colours back and leave the cursor where the shell left it.
volatile std::sig_atomic_t screenLoans = 0;
std::sig_atomic_t loansSeen = 0;
ExitBytes lentExitBytes{};
// Set while a frame is on its way: a signal may cut it inside a sequence.
volatile std::sig_atomic_t writing = 0;
// The terminal's size as the writer knows it may be out of date.
volatile std::sig_atomic_t sizeStale = 1;
// The palette the player asked for, if any.
std::optional<colours::Palette> chosenPalette;
// The terminal's own sequences that hide and show the cursor (both, or none
// when it lacks one of them).
HeldBytes hideBytes{};
HeldBytes showBytes{};
// What the game asks for, and whether the terminal may show the cursor hidden:
// set as soon as the bytes that hide it are on their way, cleared only once
// those that show it are written.
bool cursorWanted = true;
volatile std::sig_atomic_t cursorHidden = 0;
// A stop showed it meanwhile.
volatile std::sig_atomic_t cursorShownForStop = 0;

void writeAll(const char* data, std::size_t size, int fd = OutputFd)
{
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                pollfd ready{fd, POLLOUT, 0};
                poll(&ready, 1, 100);
                continue;
            }
            return;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

void takeSize()
{
    winsize size{};
    if (ioctl(OutputFd, TIOCGWINSZ, &size) == 0) {
        writer.cursor.columns = size.ws_col;
        writer.cursor.lines = size.ws_row;
    }
}

// Before anything is encoded: after a resize the writer must know the new
// size before it follows the cursor through what comes next (a wrapped line,
// a clamped move), or the exit bytes would put the shell's prompt over the
// game's last lines.
encoder::Output& output()
{
    if (sizeStale != 0) {
        sizeStale = 0;
        takeSize();
    }
    if (screenLoans != loansSeen) {
        loansSeen = screenLoans;
        cursor::forget(writer.cursor);
    }
    return writer;
}

void keepBytes(HeldBytes& kept, const std::string& bytes)
{
    kept.size = std::min(bytes.size(), sizeof kept.bytes);
    bytes.copy(kept.bytes, kept.size);
}

void keepExitBytes(ExitBytes& kept, const std::string& bytes)
{
    keepBytes(kept, bytes);
    kept.loans = loansSeen;
}

void prepareExitBytes()
{
    keepExitBytes(exitBytes[1 - exitBytesSlot], encoder::exitBytes(writer));
    exitBytesSlot = 1 - exitBytesSlot;
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

}  // namespace

namespace terminal {

bool learnTerminal()
{
    const auto variable = platform::environmentVariable;
    colours::TerminalFacts facts{variable("TERM"),         variable("COLORTERM"),     variable("STY"),
                                 variable("TMUX"),         variable("VTE_VERSION"),   variable("KONSOLE_VERSION"),
                                 variable("TERM_PROGRAM"), variable("XTERM_VERSION"), variable("WT_SESSION")};
    const auto entry = terminfo::capabilities(facts.term.c_str());
    if (facts.term == "dumb" || (entry && !entry->cursorAddressing)) {
        return false;
    }
    if (entry) {
        facts.terminfoDirect = entry->direct;
        facts.terminfoColours = entry->colours;
        const bool both = !entry->hideCursor.empty() && !entry->showCursor.empty();
        keepBytes(hideBytes, both ? entry->hideCursor : "");
        keepBytes(showBytes, both ? entry->showCursor : "");
    }
    writer.depth = colours::chooseDepth(facts);
    writer.palette = colours::choosePalette(chosenPalette, facts);
    takeSize();
    // Nothing is drawn yet, so the cursor's place is unknown, as it is again
    // once the screen is lent: these are the colours only. Until the first
    // frame the exit bytes stay empty: a signal before it finds nothing of the
    // game's to take back.
    keepExitBytes(lentExitBytes, encoder::exitBytes(writer));
    return true;
}

void flushOutput()
{
    if (cursorShownForStop != 0) {
        cursorShownForStop = 0;
        if (!cursorWanted) {
            outputBuffer.insert(0, hideBytes.bytes, hideBytes.size);
        }
    }
    if (!outputBuffer.empty()) {
        encoder::resetColours(writer, outputBuffer);
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

void forgetOutput()
{
    outputBuffer.clear();
    writer.shown = {};
    cursorWanted = true;
    cursorHidden = 0;
}

void writeExitBytes()
{
    if (terminalTakesBytes()) {
        // A frame cut short may end inside a sequence: CAN ends it.
        writeFromHandler("\x18", writing != 0 ? 1 : 0);
        const ExitBytes& made = exitBytes[exitBytesSlot];
        const ExitBytes& bytes = made.loans == screenLoans ? made : lentExitBytes;
        writeFromHandler(bytes.bytes, bytes.size);
        writeFromHandler(showBytes.bytes, cursorHidden != 0 ? showBytes.size : 0);
    }
}

void showCursorForStop()
{
    // The shell and whatever runs next want their cursor.
    if (cursorHidden != 0 && terminalTakesBytes()) {
        writeFromHandler(showBytes.bytes, showBytes.size);
    }
    cursorShownForStop = cursorHidden;
}

void markSizeStale() { sizeStale = 1; }

void lendScreen() { screenLoans = screenLoans + 1; }

}  // namespace terminal

namespace platform {

void chooseColours(std::optional<colours::Palette> palette) { chosenPalette = palette; }

void printText(std::wstring_view wide) { encoder::appendText(output(), wide, outputBuffer); }

void printCell(Cell cell) { encoder::appendCell(output(), cell, outputBuffer); }

void writeStandardOutput(std::string_view narrow) { writeAll(narrow.data(), narrow.size(), STDOUT_FILENO); }

void writeStandardError(std::string_view narrow) { writeAll(narrow.data(), narrow.size(), STDERR_FILENO); }

std::string environmentVariable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

void moveCursor(std::int16_t x, std::int16_t y) { encoder::appendPlacement(output(), x, y, outputBuffer); }

void showOutput() { terminal::flushOutput(); }

void clearScreen() { encoder::appendClear(output(), outputBuffer); }

void showCursor(bool visible)
{
    if (hideBytes.size == 0 || visible == cursorWanted) {
        return;
    }
    cursorWanted = visible;
    cursorHidden = 1;
    const HeldBytes& bytes = visible ? showBytes : hideBytes;
    outputBuffer.append(bytes.bytes, bytes.size);
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

}  // namespace platform
