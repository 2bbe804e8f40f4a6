#include "platform/posix/gamepad.hpp"

#include <SDL.h>
#include <dlfcn.h>

#include <cstdint>
#include <iterator>
#include <optional>

#include "platform/buttons.hpp"
#include "platform/platform.hpp"

namespace gamepad {

namespace {

// SDL is a library of its own, opened when the pad is first looked for: a
// machine without it (a server reached over ssh) plays by keyboard and needs
// none of the desktop libraries SDL brings along. Only the functions the pad
// needs are looked up, once.
struct SdlFunctions {
    decltype(&SDL_SetHint) setHint;
    decltype(&SDL_Init) init;
    decltype(&SDL_Quit) quit;
    decltype(&SDL_NumJoysticks) numJoysticks;
    decltype(&SDL_IsGameController) isGameController;
    decltype(&SDL_GameControllerOpen) open;
    decltype(&SDL_GameControllerClose) close;
    decltype(&SDL_GameControllerGetAttached) getAttached;
    decltype(&SDL_GameControllerGetJoystick) getJoystick;
    decltype(&SDL_JoystickInstanceID) instanceId;
    decltype(&SDL_GameControllerGetButton) getButton;
    decltype(&SDL_GameControllerRumble) rumble;
    decltype(&SDL_PollEvent) pollEvent;
};
SdlFunctions sdl{};
void* library = nullptr;

template <typename Function>
bool lookUp(const char* name, Function*& function)
{
    // dlsym hands out every symbol as a data pointer; POSIX guarantees it holds a function's.
    function = reinterpret_cast<Function*>(dlsym(library, name));
    return function != nullptr;
}

// The name SDL 2's runtime package installs; the unversioned libSDL2.so comes
// only with the development files.
bool loadSdl()
{
    if (library != nullptr) {
        return true;
    }
    library = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return false;
    }
    const bool complete =
        lookUp("SDL_SetHint", sdl.setHint) && lookUp("SDL_Init", sdl.init) && lookUp("SDL_Quit", sdl.quit) &&
        lookUp("SDL_NumJoysticks", sdl.numJoysticks) && lookUp("SDL_IsGameController", sdl.isGameController) &&
        lookUp("SDL_GameControllerOpen", sdl.open) && lookUp("SDL_GameControllerClose", sdl.close) &&
        lookUp("SDL_GameControllerGetAttached", sdl.getAttached) &&
        lookUp("SDL_GameControllerGetJoystick", sdl.getJoystick) && lookUp("SDL_JoystickInstanceID", sdl.instanceId) &&
        lookUp("SDL_GameControllerGetButton", sdl.getButton) && lookUp("SDL_GameControllerRumble", sdl.rumble) &&
        lookUp("SDL_PollEvent", sdl.pollEvent);
    if (!complete) {
        // Too old an SDL (rumble came with 2.0.9): no pad rather than a crash.
        dlclose(library);
        library = nullptr;
        sdl = {};
    }
    return complete;
}

enum class Subsystem { Untried, Running, Unavailable };
Subsystem subsystem = Subsystem::Untried;
SDL_GameController* pad = nullptr;

struct ButtonBit {
    SDL_GameControllerButton button;
    GamepadButtons bit;
};

constexpr ButtonBit ButtonBits[] = {
    {SDL_CONTROLLER_BUTTON_DPAD_UP, ButtonDpadUp},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, ButtonDpadDown},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, ButtonDpadLeft},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, ButtonDpadRight},
    {SDL_CONTROLLER_BUTTON_START, ButtonStart},
    {SDL_CONTROLLER_BUTTON_BACK, ButtonBack},
    {SDL_CONTROLLER_BUTTON_LEFTSTICK, ButtonLeftThumb},
    {SDL_CONTROLLER_BUTTON_RIGHTSTICK, ButtonRightThumb},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, ButtonLeftShoulder},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, ButtonRightShoulder},
    {SDL_CONTROLLER_BUTTON_A, ButtonA},
    {SDL_CONTROLLER_BUTTON_B, ButtonB},
    {SDL_CONTROLLER_BUTTON_X, ButtonX},
    {SDL_CONTROLLER_BUTTON_Y, ButtonY},
};

bool start()
{
    if (subsystem == Subsystem::Untried) {
        if (!loadSdl()) {
            subsystem = Subsystem::Unavailable;
            return false;
        }
        // The terminal layer handles the signals; SDL must not take them over,
        // and the game has no window that could have the focus.
        sdl.setHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        sdl.setHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        subsystem = sdl.init(SDL_INIT_GAMECONTROLLER) == 0 ? Subsystem::Running : Subsystem::Unavailable;
    }
    return subsystem == Subsystem::Running;
}

// The first attached device that SDL knows as a game controller becomes slot 0.
void openFirstController()
{
    for (int i = 0; i < sdl.numJoysticks(); ++i) {
        if (sdl.isGameController(i)) {
            pad = sdl.open(i);
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
    while (sdl.pollEvent(&event) != 0) {
        if (event.type == SDL_CONTROLLERDEVICEREMOVED && pad != nullptr &&
            event.cdevice.which == sdl.instanceId(sdl.getJoystick(pad))) {
            sdl.close(pad);
            pad = nullptr;
        }
    }
    if (pad != nullptr && sdl.getAttached(pad) == SDL_FALSE) {
        sdl.close(pad);
        pad = nullptr;
    }
    if (pad == nullptr) {
        openFirstController();
    }
}

}  // namespace

bool connected() { return pad != nullptr; }

void shutdown()
{
    if (pad != nullptr) {
        sdl.rumble(pad, 0, 0, 0);
        sdl.close(pad);
        pad = nullptr;
    }
    if (subsystem == Subsystem::Running) {
        sdl.quit();
    }
    subsystem = Subsystem::Untried;
}

}  // namespace gamepad

namespace platform {

std::optional<GamepadButtons> readGamepad()
{
    if (!gamepad::start()) {
        return std::nullopt;
    }
    gamepad::update();
    if (gamepad::pad == nullptr) {
        return std::nullopt;
    }
    GamepadButtons word = 0;
    for (const gamepad::ButtonBit& entry : gamepad::ButtonBits) {
        if (gamepad::sdl.getButton(gamepad::pad, entry.button) != 0) {
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
        gamepad::sdl.rumble(gamepad::pad, left, right, UntilStopped);
    }
}

}  // namespace platform
