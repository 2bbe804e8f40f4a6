// How long the console's idle wait lasts, on every system alike: short while a
// pad is connected so that a held button is read often, longer without one so
// that a pad plugged in is still noticed.
#pragma once

namespace platform {

inline constexpr int IdleWithPadMs = 5;
inline constexpr int IdleWithoutPadMs = 200;

}  // namespace platform
