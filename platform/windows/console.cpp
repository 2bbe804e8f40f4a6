// The Windows console: UTF-16 text through the C runtime's wide output, the
// cursor by the console API, keys through conio. The console's own mode is
// never touched: colours rely on the terminal understanding ECMA-48 itself.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
// First, on its own: timeapi.h needs its types.
#include <windows.h>

#include <conio.h>
#include <io.h>
#include <timeapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <exception>
#include <iterator>
#include <string>

#include "platform/idle.hpp"
#include "platform/platform.hpp"
#include "platform/rewriter.hpp"
#include "platform/text.hpp"
#include "platform/windows/gamepad.hpp"

namespace {

// _O_U16TEXT: wide prints reach the console as UTF-16, "\n" as a new line.
constexpr int Utf16TextMode = 0x20000;
constexpr std::size_t OutputBufferBytes = std::size_t{64} * 1024;
// Windows ends a process this long after its console window was closed; a save
// that holds the interrupts gets most of it to finish.
constexpr DWORD CloseWaitMs = 4000;

bool consoleOpen = false;
bool exitHandlersInstalled = false;
bool timerRaised = false;
// The console's input, where conio reads its keys (also when standard input
// is redirected): the idle wait sleeps on it.
HANDLE keyboard = INVALID_HANDLE_VALUE;
// Signalled while nothing holds the interrupts.
HANDLE interruptsAllowed = nullptr;
int interruptHolds = 0;
std::optional<platform::ConsoleSize> lastSize;
// Any palette but the game's own goes through the colour writer, which turns
// the texts' 24-bit colours into the palette's (or into none).
colours::Writer writer;
// The cursor as the game found it, shown again on every way out.
CONSOLE_CURSOR_INFO cursorFound{};
bool cursorHidden = false;

void setCursorVisible(bool visible)
{
    CONSOLE_CURSOR_INFO info = cursorFound;
    info.bVisible = visible ? cursorFound.bVisible : FALSE;
    SetConsoleCursorInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info);
}

std::optional<platform::ConsoleSize> windowSize()
{
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info) == 0) {
        return std::nullopt;
    }
    const std::int32_t columns = info.srWindow.Right - info.srWindow.Left + 1;
    const std::int32_t lines = info.srWindow.Bottom - info.srWindow.Top + 1;
    if (columns <= 0 || lines <= 0) {
        return std::nullopt;
    }
    return platform::ConsoleSize{columns, lines};
}

// Ctrl+C, Ctrl+Break and the closing of the window arrive on a thread of their
// own. A save under way is let finish first; then Windows ends the game as it
// would have anyway. A pad left rumbling would go on after the game.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (interruptsAllowed != nullptr) {
        const bool mustEnd = event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT;
        WaitForSingleObject(interruptsAllowed, mustEnd ? CloseWaitMs : INFINITE);
    }
    gamepad::stopRumble();
    if (cursorHidden) {
        setCursorVisible(true);
    }
    return FALSE;
}

void onTerminate()
{
    platform::closeConsole();
    std::abort();
}

// Events that are never a key for conio: releases, mouse, focus, menu and
// size events, and modifier or lock keys pressed alone. _getch skips them.
bool neverAKey(const INPUT_RECORD& event)
{
    if (event.EventType != KEY_EVENT || event.Event.KeyEvent.bKeyDown == 0) {
        return true;
    }
    switch (event.Event.KeyEvent.wVirtualKeyCode) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_LWIN:
    case VK_RWIN:
    case VK_CAPITAL:
    case VK_NUMLOCK:
    case VK_SCROLL: return true;
    default: return false;
    }
}

// Such events at the front of the console's input would keep it signalled,
// and the idle wait would return at once, again and again: they are dropped
// (as _getch would). Nothing after the first possible key is touched. False
// when nothing could be dropped.
bool dropEventsThatAreNoKeys()
{
    INPUT_RECORD events[64];
    DWORD seen = 0;
    if (PeekConsoleInputW(keyboard, events, static_cast<DWORD>(std::size(events)), &seen) == 0) {
        return false;
    }
    DWORD drop = 0;
    while (drop < seen && neverAKey(events[drop])) {
        ++drop;
    }
    // Events only ever join at the end: the first `drop` are the ones seen.
    DWORD dropped = 0;
    return drop > 0 && ReadConsoleInputW(keyboard, events, drop, &dropped) != 0 && dropped > 0;
}

void flushOutput() { std::fflush(stdout); }

// One print as its format: a '%' is doubled so that it prints as itself; a
// NUL, which would end the format early, goes out on its own.
void printFormat(std::wstring_view text)
{
    std::wstring format;
    format.reserve(text.size() + 8);
    for (const wchar_t c : text) {
        if (c == L'\0') {
            std::wprintf(format.c_str());
            format.clear();
            std::fputwc(L'\0', stdout);
            continue;
        }
        if (c == L'%') {
            format += L'%';
        }
        format += c;
    }
    std::wprintf(format.c_str());
}

// As the command prompt's CLS does it: every cell of the buffer, what was
// scrolled away included, a blank in the present colours, and the cursor home,
// which brings the window back to the top. Output that is no console has no
// screen to clear.
void clearWholeBuffer()
{
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (GetConsoleScreenBufferInfo(output, &info) == 0) {
        return;
    }
    const COORD home{0, 0};
    const auto cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
    DWORD done = 0;
    FillConsoleOutputCharacterW(output, L' ', cells, home, &done);
    FillConsoleOutputAttribute(output, info.wAttributes, cells, home, &done);
    SetConsoleCursorPosition(output, home);
}

// The text as the palette shows it.
std::wstring throughWriter(std::wstring_view text)
{
    std::string plain;
    text::appendUtf8(plain, text);
    std::string shown;
    colours::writeLean(writer, plain, shown);
    const int size = static_cast<int>(shown.size());
    std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, shown.data(), size, nullptr, 0)), L' ');
    MultiByteToWideChar(CP_UTF8, 0, shown.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

}  // namespace

namespace platform {

void chooseColours(std::optional<colours::Palette> palette)
{
    writer.palette = palette.value_or(colours::Palette::Classic);
}

bool openConsole()
{
    if (_setmode(_fileno(stdout), Utf16TextMode) == -1) {
        return false;
    }
    // Prints gather until the game moves the cursor or waits, then reach the
    // console in one write: a board is not drawn character by character.
    std::setvbuf(stdout, nullptr, _IOFBF, OutputBufferBytes);
    if (!exitHandlersInstalled) {
        std::atexit(closeConsole);
        std::set_terminate(onTerminate);
        exitHandlersInstalled = true;
    }
    if (interruptsAllowed == nullptr) {
        interruptsAllowed = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    }
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    keyboard = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    // Waits of a few milliseconds need a finer clock than Windows' usual 15.6 ms.
    timerRaised = timeBeginPeriod(1) == TIMERR_NOERROR;
    lastSize = windowSize();
    GetConsoleCursorInfo(GetStdHandle(STD_OUTPUT_HANDLE), &cursorFound);
    consoleOpen = true;
    return true;
}

void closeConsole()
{
    flushOutput();
    gamepad::stopRumble();
    if (!consoleOpen) {
        return;
    }
    showCursor(true);
    consoleOpen = false;
    if (writer.palette != colours::Palette::Classic) {
        std::string reset;
        colours::resetColours(writer, reset);
        printFormat(std::wstring(reset.begin(), reset.end()));
        flushOutput();
    }
    if (timerRaised) {
        timeEndPeriod(1);
        timerRaised = false;
    }
    if (keyboard != INVALID_HANDLE_VALUE) {
        CloseHandle(keyboard);
        keyboard = INVALID_HANDLE_VALUE;
    }
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
}

void printText(std::wstring_view wide)
{
    // Every text is the format of its own print.
    if (writer.palette == colours::Palette::Classic) {
        printFormat(wide);
    } else {
        printFormat(throughWriter(wide));
    }
}

void writeStandardOutput(std::string_view narrow)
{
    std::fwrite(narrow.data(), 1, narrow.size(), stdout);
    std::fflush(stdout);
}

void writeStandardError(std::string_view narrow)
{
    std::fwrite(narrow.data(), 1, narrow.size(), stderr);
    std::fflush(stderr);
}

std::string environmentVariable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

void moveCursor(std::int16_t x, std::int16_t y)
{
    // The text printed so far must stand where it was printed.
    flushOutput();
    SetConsoleCursorPosition(GetStdHandle(STD_OUTPUT_HANDLE), COORD{x, y});
}

void showOutput() { flushOutput(); }

void clearScreen()
{
    flushOutput();
    clearWholeBuffer();
}

void showCursor(bool visible)
{
    if (!consoleOpen || visible != cursorHidden) {
        return;
    }
    flushOutput();
    cursorHidden = !visible;
    setCursorVisible(visible);
}

bool keyWaiting()
{
    flushOutput();
    return _kbhit() != 0;
}

int readKey()
{
    // _getch would wait for a key; none is promised here.
    if (!keyWaiting()) {
        return 0;
    }
    return _getch() & 0xff;
}

void idle()
{
    flushOutput();
    const DWORD interval = gamepad::connected() ? DWORD{IdleWithPadMs} : DWORD{IdleWithoutPadMs};
    if (keyboard == INVALID_HANDLE_VALUE) {
        Sleep(interval);
        return;
    }
    if (WaitForSingleObject(keyboard, interval) == WAIT_OBJECT_0 && _kbhit() == 0 && !dropEventsThatAreNoKeys()) {
        // A press that conio does not count as a key (yet) is first in line:
        // wait the interval out rather than spin on it.
        Sleep(interval);
    }
}

std::optional<ConsoleSize> consoleSize() { return windowSize(); }

bool takeConsoleChange()
{
    const std::optional<ConsoleSize> size = windowSize();
    const bool changed = size.has_value() != lastSize.has_value() ||
                         (size && (size->columns != lastSize->columns || size->lines != lastSize->lines));
    lastSize = size;
    return changed;
}

void holdInterrupts()
{
    if (interruptHolds++ == 0 && interruptsAllowed != nullptr) {
        ResetEvent(interruptsAllowed);
    }
}

void releaseInterrupts()
{
    if (interruptHolds > 0 && --interruptHolds == 0 && interruptsAllowed != nullptr) {
        SetEvent(interruptsAllowed);
    }
}

}  // namespace platform
