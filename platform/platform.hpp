// The only door to the operating system. Game code reaches the terminal, the
// keyboard, the gamepad and the clock through these functions and nothing else.
// Each platform library (posix, windows, the test console) defines all of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/buttons.hpp"
#include "platform/cell.hpp"
#include "platform/palette.hpp"

namespace platform {

// Before the console opens: the palette the player asked for, or nothing to
// leave it to the terminal (no colours where its entry says it has none).
void chooseColours(std::optional<colours::Palette> palette);

// Makes wide text reach the terminal and keys readable one code at a time.
// False means the game cannot run here (no terminal to read keys from, or no
// way to write the text).
bool openConsole();
// Puts the terminal back as it was. Safe to call more than once.
void closeConsole();

// The game says what to show, a text, a cell of a kind, a place or a clear;
// the platform alone says how, in the bytes or calls of the terminal at hand.
// A plain text where the cursor stands, in the terminal's own colours: line
// feeds and carriage returns keep their meaning, nothing else controls the
// terminal.
void printText(std::wstring_view wide);
// One board cell, two columns wide, where the cursor stands.
void printCell(Cell cell);
// Narrow text straight to standard output or standard error, with the console
// closed: the answers to the command line and the start-up failure message.
void writeStandardOutput(std::string_view narrow);
void writeStandardError(std::string_view narrow);
// The value of an environment variable; empty when it is not set.
std::string environmentVariable(const char* name);

// Column x and line y, both from 0 at the top-left corner.
void moveCursor(std::int16_t x, std::int16_t y);
// Everything printed so far reaches the terminal now, before a slow step (the
// waits flush by themselves).
void showOutput();
void clearScreen();
// Hides the cursor while a board is shown, and shows it again where the game
// waits for an answer. Closing the console always shows it.
void showCursor(bool visible);

// A key code is waiting (never blocks).
bool keyWaiting();
// The next key code, 0..255; extended keys arrive as two codes (0 or 224 first).
int readKey();

// The first gamepad's button word, or nothing when no pad answers.
std::optional<GamepadButtons> readGamepad();
// Motor speeds of the first gamepad; (0, 0) stops it.
void setRumble(std::uint16_t left, std::uint16_t right);

void pause(std::int32_t milliseconds);
// Called by a waiting loop after a poll step that found nothing to do: returns
// at once when a key arrives, otherwise after a short interval.
void idle();
// Calendar time in whole seconds.
std::int64_t calendarSeconds();

// The terminal's size in character cells, when it can be told.
struct ConsoleSize {
    std::int32_t columns;
    std::int32_t lines;
};
std::optional<ConsoleSize> consoleSize();
// True once after the terminal was resized, or the game came back from being
// suspended: what the screen shows can no longer be relied on.
bool takeConsoleChange();

// The whole content of the file `name`, read once, when it is a plain file of
// at most `largest` bytes; nothing when it is missing, cannot be read, is
// anything else (a folder, a named pipe, a device) or is longer. It never
// waits for a writer, and never holds more than `largest` bytes and one.
std::optional<std::string> readPlainFile(const char* name, std::size_t largest);

// Saving the game: the record's new text goes into a file of the game's own,
// made afresh in the current folder under a name nobody can guess, never
// through a link, and written through its own handle; it must be on disk
// before it replaces the old record in one step, and a signal must not end
// the game halfway through.
struct NewFile {
    std::intptr_t handle = -1;
    std::string name;
    // Tells this file from any other once its handle is closed (Windows
    // closes it to rename it).
    std::uint64_t identity = 0;
};
// A new empty file named `prefix` and six random letters or digits. Nothing
// when none can be made.
std::optional<NewFile> createNewFile(std::string_view prefix);
bool writeNewFile(const NewFile& file, std::string_view text);
// Forces what was written to the new file onto the disk.
bool flushNewFile(const NewFile& file);
// Puts the new file under `name` in place of what is there, provided its own
// name still holds it (nothing was swapped in meanwhile). When it cannot, the
// file is closed and removed: false.
bool replaceWithNewFile(NewFile& file, const char* name);
// Once the new file has replaced what was under `name`: true when `name`
// holds that very file, a plain file and no link to it, so that what is there
// is what the game wrote. Closes the file either way.
bool confirmNewFile(NewFile& file, const char* name);
// Closes the new file and removes it.
void discardNewFile(NewFile& file);
// Removes what saves cut short left behind: plain files named `prefix` and
// six letters or digits, untouched for ten seconds and held by no save under
// way. Links are never followed nor removed, folders never removed.
void removeLeftoverFiles(std::string_view prefix);
// Forces what was written to a file (or a folder's entries, where the system
// lets a program ask) onto the disk; false when the path is not there.
bool flushFileToDisk(const char* path);
// While held, the signals that end the game wait; release lets them in.
void holdInterrupts();
void releaseInterrupts();

}  // namespace platform
