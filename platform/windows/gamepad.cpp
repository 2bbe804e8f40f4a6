#include "platform/windows/gamepad.hpp"

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#include <xinput.h>

#include <atomic>

#include "platform/platform.hpp"

namespace gamepad {

namespace {

constexpr DWORD FirstPad = 0;

bool padAnswered = false;
// The ctrl handler's thread may stop the motors while the game sets them.
std::atomic<bool> rumbling{false};

}  // namespace

bool connected()
{
    return padAnswered;
}

void stopRumble()
{
    if (rumbling.exchange(false)) {
        XINPUT_VIBRATION still{};
        XInputSetState(FirstPad, &still);
    }
}

}  // namespace gamepad

namespace platform {

std::optional<std::uint16_t> readGamepad()
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
