#include "play/input.hpp"

#include <cctype>
#include <iterator>

#include "platform/platform.hpp"

namespace {

struct GamepadRow {
    GamepadButtons buttons;
    Command command;
    std::int32_t pauseMs;
};

// Each place's gamepad rows in the order they are tested.
constexpr GamepadRow TitleRows[] = {
    {ButtonA, Command::Confirm, GamepadPauseMs},
};
constexpr GamepadRow ResumeRows[] = {
    {ButtonA, Command::Yes, GamepadPauseMs},
    {ButtonB, Command::No, GamepadPauseMs},
};
constexpr GamepadRow RestartRows[] = {
    {ButtonA, Command::Yes, GamepadPauseMs},
    {ButtonB, Command::No, 0},
};
// The letter buttons steer by their place on the pad's face.
constexpr GamepadRow LevelRows[] = {
    {ButtonDpadUp | ButtonY, Command::Up, GamepadPauseMs},
    {ButtonDpadDown | ButtonA, Command::Down, GamepadPauseMs},
    {ButtonDpadRight | ButtonB, Command::Right, GamepadPauseMs},
    {ButtonDpadLeft | ButtonX, Command::Left, GamepadPauseMs},
    {ButtonStart, Command::Quit, 0},
    {ButtonBack, Command::Save, 0},
};

struct Rows {
    const GamepadRow* begin;
    const GamepadRow* end;
};

Rows gamepadRows(Place place)
{
    switch (place) {
    case Place::Title: return {std::begin(TitleRows), std::end(TitleRows)};
    case Place::ResumePrompt: return {std::begin(ResumeRows), std::end(ResumeRows)};
    case Place::RestartPrompt: return {std::begin(RestartRows), std::end(RestartRows)};
    case Place::Level: break;
    }
    return {std::begin(LevelRows), std::end(LevelRows)};
}

// Arrow keys arrive as a prefix and then their own code, which is also the
// code of H, P, M or K: those letters steer too.
Command levelKeyCommand(int code)
{
    switch (code) {
    case KeyUp:
    case 'W':
    case 'w': return Command::Up;
    case KeyDown:
    case 'S':
    case 's': return Command::Down;
    case KeyRight:
    case 'D':
    case 'd': return Command::Right;
    case KeyLeft:
    case 'A':
    case 'a': return Command::Left;
    case 'E':
    case 'e': return Command::Save;
    case 'Q':
    case 'q': return Command::Quit;
    default: return Command::Other;
    }
}

Command promptKeyCommand(int code)
{
    switch (std::tolower(code)) {
    case 'y': return Command::Yes;
    case 'n': return Command::No;
    default: return Command::Other;
    }
}

}  // namespace

std::optional<GamepadButtons> pollGamepadButtons() { return platform::readGamepad(); }

Command keyCommand(Place place, int code)
{
    code &= 0xff;
    switch (place) {
    case Place::Title: return code == KeyEnter ? Command::Confirm : Command::Other;
    case Place::ResumePrompt:
    case Place::RestartPrompt: return promptKeyCommand(code);
    case Place::Level: break;
    }
    return levelKeyCommand(code);
}

Command gamepadCommand(Place place, GamepadButtons word)
{
    const Rows rows = gamepadRows(place);
    for (const GamepadRow* row = rows.begin; row != rows.end; ++row) {
        if ((word & row->buttons) != 0) {
            return row->command;
        }
    }
    // Only the level play reacts to a word that holds no command (its end
    // tests run); the title and the prompts ignore it.
    return place == Place::Level && word != 0 ? Command::Other : Command::None;
}

std::int32_t gamepadPause(Place place, Command command)
{
    const Rows rows = gamepadRows(place);
    for (const GamepadRow* row = rows.begin; row != rows.end; ++row) {
        if (row->command == command) {
            return row->pauseMs;
        }
    }
    return 0;
}

Input pollInput(Place place)
{
    if (place == Place::Level && platform::takeConsoleChange()) {
        return {Command::Redraw, false, 0};
    }
    if (platform::keyWaiting()) {
        return {keyCommand(place, platform::readKey()), false, 0};
    }
    const std::optional<GamepadButtons> word = pollGamepadButtons();
    if (!word) {
        return {};
    }
    const Command command = gamepadCommand(place, *word);
    return {command, command != Command::None, gamepadPause(place, command)};
}

Input waitForInput(Place place)
{
    for (;;) {
        const Input input = pollInput(place);
        if (input.command == Command::None) {
            platform::idle();
            continue;
        }
        // A held button that means nothing would come straight back at the
        // next step; idle once so holding it does not keep a processor busy.
        if (input.fromGamepad && input.command == Command::Other) {
            platform::idle();
        }
        return input;
    }
}

void pauseAfter(const Input& input)
{
    if (input.pauseMs > 0) {
        platform::pause(input.pauseMs);
    }
}
