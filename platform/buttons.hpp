// The bits of the gamepad's button word that readGamepad hands over: XInput's
// own, so that Windows passes its word on as it comes and SDL's buttons are
// put into the same places.
#pragma once

#include <cstdint>

using GamepadButtons = std::uint16_t;

inline constexpr GamepadButtons ButtonDpadUp = 0x0001;
inline constexpr GamepadButtons ButtonDpadDown = 0x0002;
inline constexpr GamepadButtons ButtonDpadLeft = 0x0004;
inline constexpr GamepadButtons ButtonDpadRight = 0x0008;
inline constexpr GamepadButtons ButtonStart = 0x0010;
inline constexpr GamepadButtons ButtonBack = 0x0020;
inline constexpr GamepadButtons ButtonLeftThumb = 0x0040;
inline constexpr GamepadButtons ButtonRightThumb = 0x0080;
inline constexpr GamepadButtons ButtonLeftShoulder = 0x0100;
inline constexpr GamepadButtons ButtonRightShoulder = 0x0200;
inline constexpr GamepadButtons ButtonA = 0x1000;
inline constexpr GamepadButtons ButtonB = 0x2000;
inline constexpr GamepadButtons ButtonX = 0x4000;
inline constexpr GamepadButtons ButtonY = 0x8000;
