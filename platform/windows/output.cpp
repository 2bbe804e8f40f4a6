// The Windows console's output: the game's cells and texts encoded as UTF-16
// text (platform/encoder.hpp) through the C runtime's wide output, the cursor
// placed and the screen cleared by the console API. The console's own mode is
// never touched: colours rely on the terminal understanding ECMA-48 itself.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "platform/encoder.hpp"
#include "platform/platform.hpp"
#include "platform/windows/console.hpp"

namespace {

// _O_U16TEXT: wide prints reach the console as UTF-16, "\n" as a new line.
constexpr int Utf16TextMode = 0x20000;
constexpr std::size_t OutputBufferBytes = std::size_t{64} * 1024;

bool outputOpen = false;
std::optional<platform::ConsoleSize> lastSize;
// The game's own palette sends each cell in its 24-bit colours; the others
// change colours only where they differ (or send none).
encoder::Output writer{.cellByCell = true};
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

// The encoder's UTF-8 as the wide text of one print.
void printEncoded(const std::string& bytes)
{
    const int size = static_cast<int>(bytes.size());
    std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, nullptr, 0)), L' ');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, wide.data(), static_cast<int>(wide.size()));
    printFormat(wide);
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

}  // namespace

namespace console {

bool openOutput()
{
    if (_setmode(_fileno(stdout), Utf16TextMode) == -1) {
        return false;
    }
    // Prints gather until the game moves the cursor or waits, then reach the
    // console in one write: a board is not drawn character by character.
    std::setvbuf(stdout, nullptr, _IOFBF, OutputBufferBytes);
    lastSize = windowSize();
    GetConsoleCursorInfo(GetStdHandle(STD_OUTPUT_HANDLE), &cursorFound);
    outputOpen = true;
    return true;
}

void closeOutput()
{
    platform::showCursor(true);
    outputOpen = false;
    std::string reset;
    encoder::resetColours(writer, reset);
    if (!reset.empty()) {
        printEncoded(reset);
        flushOutput();
    }
}

void flushOutput() { std::fflush(stdout); }

void showCursorOnEvent()
{
    if (cursorHidden) {
        setCursorVisible(true);
    }
}

}  // namespace console

namespace platform {

void chooseColours(std::optional<colours::Palette> palette)
{
    writer.palette = palette.value_or(colours::Palette::Classic);
}

void printText(std::wstring_view wide)
{
    std::string bytes;
    encoder::appendText(writer, wide, bytes);
    printEncoded(bytes);
}

void printCell(Cell cell)
{
    std::string bytes;
    encoder::appendCell(writer, cell, bytes);
    printEncoded(bytes);
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
    console::flushOutput();
    SetConsoleCursorPosition(GetStdHandle(STD_OUTPUT_HANDLE), COORD{x, y});
}

void showOutput() { console::flushOutput(); }

void clearScreen()
{
    console::flushOutput();
    clearWholeBuffer();
}

void showCursor(bool visible)
{
    if (!outputOpen || visible != cursorHidden) {
        return;
    }
    console::flushOutput();
    cursorHidden = !visible;
    setCursorVisible(visible);
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

}  // namespace platform
