// The test console: the platform functions of the game over a scripted player, a virtual clock and a terminal screen.
// Nothing really waits and nothing reaches a real terminal; tests read the screen as a player would.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/depth.hpp"
#include "tests/support/screen.hpp"

// A script for the test console: key codes 0..255, Pad(word) a gamepad read, NoPad a read that finds no pad. The words
// are written as XInput gives them (up 0x0001, down 0x0002, left 0x0004, right 0x0008, start 0x0010, back 0x0020, A
// 0x1000, B 0x2000, X 0x4000, Y 0x8000), not by the game's names.
constexpr int Pad(int word) { return 0x10000 + word; }
constexpr int NoPad = -1;
void typeScript(const std::vector<int>& steps);

namespace testconsole {

// Thrown by the first poll that finds the script used up: a game waiting for more ends the test, not hangs.
struct ScriptExhausted : std::runtime_error {
    ScriptExhausted() : std::runtime_error("the scripted input ran out") {}
};

struct RumbleRequest {
    std::uint16_t left, right;
    std::int64_t atMs;  // virtual time of the request
    friend bool operator==(const RumbleRequest&, const RumbleRequest&) = default;
};

// A fresh console: a blank screen, no script, the clock at 0, nothing recorded, the calendar at 1,700,000,000 s.
void reset(int columns = 120, int lines = 40);

// Each byte of the text as a key code, after what the script holds already.
void typeText(std::string_view text);
// Runs when the script reaches it; what it adds to the script comes right after it.
void scriptAction(std::function<void()> action);
bool scriptDone();

// What the game did: every byte written (flushed or not), standard output and standard error, the rumbles, whether the
// console is open, the holds of the interrupts not yet released (0 when balanced), and the waits and flushes in order:
// "show", "idle", "pause 150", "pad" (a read of the gamepad) and "key 13" (a key read).
struct Recorded {
    std::string output, standardOutput, standardError;
    std::vector<RumbleRequest> rumbles;
    bool consoleOpen = false;
    int interruptsHeld = 0;
    std::vector<std::string> timeline;
};
const Recorded& recorded();
// The screen of every byte written.
Screen& screen();

// What the terminal shows: the output that reached it at showOutput, a wait or the console's close.
const Screen& terminal();
// The output from now on: as for a POSIX terminal of this depth, colours changed only where they differ; none: cell
// by cell, as for the Windows console.
void encodeAs(std::optional<colours::Depth> depth);
// The window takes a new size; the game learns it as a change of the console.
void resize(int columns, int lines);

// Called at each pause, with its length, before the clock moves on.
void onPause(std::function<void(std::int32_t)> hook);

void setCalendarSeconds(std::int64_t seconds);
void setEnvironment(const std::string& name, const std::string& value);
// Called at each flush to disk with its path (a new file's name), while the game waits for it, to look at or change the
// files then; false fails that flush, as a full or failing disk would.
void onDiskFlush(std::function<bool(const std::string& path)> hook);

}  // namespace testconsole
