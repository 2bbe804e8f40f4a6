#include "platform/windows/gamepad.hpp"

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#include <xinput.h>

#include <atomic>

#include "platform/buttons.hpp"
#include "platform/platform.hpp"

namespace gamepad {

namespace {

constexpr DWORD FirstPad = 0;

// XInput's word goes out as it comes.
static_assert(XINPUT_GAMEPAD_DPAD_UP == ButtonDpadUp && XINPUT_GAMEPAD_DPAD_DOWN == ButtonDpadDown &&
              XINPUT_GAMEPAD_DPAD_LEFT == ButtonDpadLeft && XINPUT_GAMEPAD_DPAD_RIGHT == ButtonDpadRight &&
              XINPUT_GAMEPAD_START == ButtonStart && XINPUT_GAMEPAD_BACK == ButtonBack &&
              XINPUT_GAMEPAD_LEFT_THUMB == ButtonLeftThumb && XINPUT_GAMEPAD_RIGHT_THUMB == ButtonRightThumb &&
              XINPUT_GAMEPAD_LEFT_SHOULDER == ButtonLeftShoulder &&
              XINPUT_GAMEPAD_RIGHT_SHOULDER == ButtonRightShoulder && XINPUT_GAMEPAD_A == ButtonA &&
              XINPUT_GAMEPAD_B == ButtonB && XINPUT_GAMEPAD_X == ButtonX && XINPUT_GAMEPAD_Y == ButtonY);

bool padAnswered = false;
// The ctrl handler's thread may stop the motors while the game sets them.
std::atomic<bool> rumbling{false};

}  // namespace

bool connected() { return padAnswered; }

void stopRumble()
{
    if (rumbling.exchange(false)) {
        XINPUT_VIBRATION still{};
        XInputSetState(FirstPad, &still);
    }
}

}  // namespace gamepad

namespace platform {

std::optional<GamepadButtons> readGamepad()
{
    XINPUT_STATE state{};
    gamepad::padAnswered = XInputGetState(gamepad::FirstPad, &state) == ERROR_SUCCESS;
    if (!gamepad::padAnswered) {
        return std::nullopt;
    }
    return state.Gamepad.wButtons;
}

void setRumble(std::uint16_t left, std::uint16_t right)
{
    XINPUT_VIBRATION speeds{left, right};
    gamepad::rumbling = left != 0 || right != 0;
    XInputSetState(gamepad::FirstPad, &speeds);
}

}  // namespace platform
