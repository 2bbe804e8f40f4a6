// The test console: the platform functions of the game over a scripted player,
// a virtual clock and a terminal screen. Nothing really waits and nothing reaches
// a real terminal; tests read the screen as a player would.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/screen.hpp"

namespace testconsole {

// Thrown by the first poll that finds the script used up, so that a game loop
// waiting for more input ends the test instead of hanging. Game code never
// catches it.
struct ScriptExhausted : std::runtime_error {
    ScriptExhausted() : std::runtime_error("the scripted input ran out") {}
};

struct RumbleRequest {
    std::uint16_t left;
    std::uint16_t right;
    std::int64_t atMs;  // virtual time of the request
};

// A fresh console: a blank screen of the given size with the cursor at the top
// left, an empty script, the clock at 0, nothing recorded, the console
// opening normally and the calendar at 1,700,000,000 s.
void reset(int columns = 120, int lines = 40);

// --- the script, consumed in order by the game's poll steps ---
// Key codes as the keyboard reader delivers them (an arrow key is two codes).
void typeKeys(std::initializer_list<int> codes);
// Each byte of the text as one key code.
void typeText(std::string_view text);
// Gamepad reads: each poll step that reads the pad takes one entry.
void padReads(std::uint16_t word, int count = 1);
void noPadReads(int count = 1);
// Runs when the script reaches it (before the next key or pad read), e.g. a
// resize of the terminal. What it adds to the script comes right after it.
void scriptAction(std::function<void()> action);
bool scriptDone();

// Resizes the screen and tells the game at its next look, as a terminal's
// resize signal would.
void resizeConsole(int columns, int lines);

// --- what the game did ---
Screen& screen();
// Every byte written, in order.
const std::string& output();
// The narrow text printed (the start-up failure message).
const std::string& narrowOutput();
// Pauses in order, in milliseconds, and the virtual time they add up to.
const std::vector<std::int32_t>& pauses();
std::int64_t clockMs();
const std::vector<RumbleRequest>& rumbles();
bool consoleIsOpen();

// Called at each pause before the clock moves on, with the pause's length: a
// test can look at the screen while the game waits.
void onPause(std::function<void(std::int32_t)> hook);

void setCalendarSeconds(std::int64_t seconds);
void failOpen(bool fail);
// How many holds of the interrupts are not released yet (0 when balanced).
int interruptsHeld();
// Makes flushing a file to disk fail, as a full or failing disk would.
void failDiskFlush(bool fail);
// Called at each flush of a file (or folder) to disk with its path (a new
// file's name), while the game waits for it: a test can look at the files, or
// change them, then. False makes that one flush fail.
void onDiskFlush(std::function<bool(const std::string& path)> hook);

}  // namespace testconsole
