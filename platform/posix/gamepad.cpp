#include "platform/posix/gamepad.hpp"

#include <SDL.h>

#include <cstdint>
#include <iterator>
#include <optional>

#include "platform/platform.hpp"

namespace gamepad {

namespace {

enum class Subsystem { Untried, Running, Unavailable };
Subsystem subsystem = Subsystem::Untried;
SDL_GameController* pad = nullptr;

struct ButtonBit {
    SDL_GameControllerButton button;
    std::uint16_t bit;
};

// The button word as XInput reports it.
constexpr ButtonBit ButtonBits[] = {
    {SDL_CONTROLLER_BUTTON_DPAD_UP, 0x0001},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, 0x0002},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, 0x0004},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 0x0008},
    {SDL_CONTROLLER_BUTTON_START, 0x0010},
    {SDL_CONTROLLER_BUTTON_BACK, 0x0020},
    {SDL_CONTROLLER_BUTTON_LEFTSTICK, 0x0040},
    {SDL_CONTROLLER_BUTTON_RIGHTSTICK, 0x0080},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, 0x0100},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, 0x0200},
    {SDL_CONTROLLER_BUTTON_A, 0x1000},
    {SDL_CONTROLLER_BUTTON_B, 0x2000},
    {SDL_CONTROLLER_BUTTON_X, 0x4000},
    {SDL_CONTROLLER_BUTTON_Y, 0x8000},
};

bool start()
{
    if (subsystem == Subsystem::Untried) {
        // The terminal layer handles the signals; SDL must not take them over,
        // and the game has no window that could have the focus.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        subsystem = SDL_Init(SDL_INIT_GAMECONTROLLER) == 0 ? Subsystem::Running : Subsystem::Unavailable;
    }
    return subsystem == Subsystem::Running;
}

// The first attached device that SDL knows as a game controller becomes slot 0.
void openFirstController()
{
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (SDL_IsGameController(i)) {
            pad = SDL_GameControllerOpen(i);
            if (pad != nullptr) {
                return;
            }
        }
    }
}

// Takes notice of pads plugged in or pulled out since the last look.
void update()
{
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (event.type == SDL_CONTROLLERDEVICEREMOVED && pad != nullptr &&
            event.cdevice.which == SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad))) {
            SDL_GameControllerClose(pad);
            pad = nullptr;
        }
    }
    if (pad != nullptr && SDL_GameControllerGetAttached(pad) == SDL_FALSE) {
        SDL_GameControllerClose(pad);
        pad = nullptr;
    }
    if (pad == nullptr) {
        openFirstController();
    }
}

}  // namespace

bool connected()
{
    return pad != nullptr;
}

void shutdown()
{
    if (pad != nullptr) {
        SDL_GameControllerRumble(pad, 0, 0, 0);
        SDL_GameControllerClose(pad);
        pad = nullptr;
    }
    if (subsystem == Subsystem::Running) {
        SDL_Quit();
    }
    subsystem = Subsystem::Untried;
}

}  // namespace gamepad

namespace platform {

std::optional<std::uint16_t> readGamepad()
{
    if (!gamepad::start()) {
        return std::nullopt;
    }
    gamepad::update();
    if (gamepad::pad == nullptr) {
        return std::nullopt;
    }
    std::uint16_t word = 0;
    for (const gamepad::ButtonBit& entry : gamepad::ButtonBits) {
        if (SDL_GameControllerGetButton(gamepad::pad, entry.button) != 0) {
            word |= entry.bit;
        }
    }
    return word;
}

void setRumble(std::uint16_t left, std::uint16_t right)
{
    if (gamepad::pad != nullptr) {
        // Long enough to outlast any pause of the game; (0, 0) ends it.
        constexpr Uint32 UntilStopped = 10'000;
        SDL_GameControllerRumble(gamepad::pad, left, right, UntilStopped);
    }
}

}  // namespace platform
