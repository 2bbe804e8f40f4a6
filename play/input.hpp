// Reading the keyboard and the gamepad, and what each key or button means at
// each place where the game waits for the player.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/buttons.hpp"
#include "platform/key_codes.hpp"

// The pause after a gamepad action; a held button repeats at this pace.
inline constexpr std::int32_t GamepadPauseMs = 150;

// The four places that wait for the player.
enum class Place { Title, ResumePrompt, RestartPrompt, Level };

enum class Command {
    None,   // nothing happened (no key, no pad, or a pad word the place ignores)
    Other,  // a key or button that means nothing here
    Confirm,
    Yes,
    No,
    Up,
    Down,
    Right,
    Left,
    Save,
    Quit,
    // The level's board must be shown afresh: the terminal was resized, or the
    // game came back from being suspended. Only the level play hears of it.
    Redraw,
};

// What one poll step found.
struct Input {
    Command command = Command::None;
    bool fromGamepad = false;
    // The pause the place makes after this input (gamepad actions only).
    std::int32_t pauseMs = 0;
};

// The first gamepad's button word, or nothing when no pad answers.
std::optional<GamepadButtons> pollGamepadButtons();

Command keyCommand(Place place, int code);
// The first row of the place's table whose buttons the word holds wins.
Command gamepadCommand(Place place, GamepadButtons word);
std::int32_t gamepadPause(Place place, Command command);

// One poll step: a waiting key code if there is one, otherwise one gamepad read.
// In a level, a change of the terminal comes first.
Input pollInput(Place place);
// Poll steps until one yields something other than None, idling in between so
// that the wait does not keep a processor busy.
Input waitForInput(Place place);
// Makes the pause that follows a gamepad action (none after a key).
void pauseAfter(const Input& input);
