// The clock and the pauses on Windows.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdio>
#include <ctime>

#include "platform/platform.hpp"

namespace platform {

void pause(std::int32_t milliseconds)
{
    // What was printed must be on the screen while the game stands still.
    std::fflush(stdout);
    if (milliseconds > 0) {
        Sleep(static_cast<DWORD>(milliseconds));
    }
}

std::int64_t calendarSeconds() { return static_cast<std::int64_t>(_time64(nullptr)); }

}  // namespace platform
