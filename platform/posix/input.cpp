// Keys from a POSIX terminal as they arrive, without ever blocking the game,
// and its waits: the idle step between polls, the pauses, and the clock.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <string>

#include "platform/idle.hpp"
#include "platform/platform.hpp"
#include "platform/posix/gamepad.hpp"
#include "platform/posix/keys.hpp"
#include "platform/posix/output.hpp"

namespace {

using terminal::InputFd;

// How long the next byte of an unfinished key may take to arrive. Over a slow
// link the bytes of one arrow key come that far apart; an Esc alone is only
// told from the start of a sequence after it, which costs nothing in play.
constexpr std::int64_t KeyRestWaitMs = 1000;

std::string pendingBytes;
// When the last bytes came in: the unfinished key in pendingBytes waits from then.
std::int64_t pendingSinceMs = 0;
std::deque<int> keyCodes;

// The terminal hung up: nothing can be shown or read any more.
[[noreturn]] void terminalGone()
{
    terminal::forgetOutput();
    platform::closeConsole();
    std::exit(0);
}

// Reads what the terminal has sent, waiting at most timeoutMs for it. Returns
// whether anything came.
bool readInput(int timeoutMs)
{
    pollfd fd{InputFd, POLLIN, 0};
    const int ready = poll(&fd, 1, timeoutMs);
    if (ready <= 0) {
        return false;
    }
    char bytes[256];
    const ssize_t got = read(InputFd, bytes, sizeof bytes);
    if (got > 0) {
        pendingBytes.append(bytes, static_cast<std::size_t>(got));
        return true;
    }
    if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
        terminalGone();
    }
    return false;
}

std::int64_t monotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

// How much longer an unfinished key may wait for its next byte.
std::int64_t keyRestWaitLeftMs() { return std::max<std::int64_t>(0, pendingSinceMs + KeyRestWaitMs - monotonicMs()); }

// Never blocks: an unfinished key waits across poll steps for the rest of its
// bytes, so the gamepad, a resize and the signals are served meanwhile, and
// only once its time is up does it go as it stands (a lone Esc as 27).
void takeKeys()
{
    if (!keyCodes.empty()) {
        return;
    }
    if (readInput(0)) {
        pendingSinceMs = monotonicMs();
        keys::decodeKeys(pendingBytes, keyCodes);
    }
    if (keyCodes.empty() && !pendingBytes.empty() && keyRestWaitLeftMs() == 0) {
        keys::decodeRest(pendingBytes, keyCodes);
    }
}

void sleepMs(std::int32_t milliseconds)
{
    timespec left{milliseconds / 1000, (milliseconds % 1000) * 1'000'000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

}  // namespace

namespace platform {

bool keyWaiting()
{
    terminal::flushOutput();
    takeKeys();
    return !keyCodes.empty();
}

int readKey()
{
    if (!keyWaiting()) {
        return 0;
    }
    const int code = keyCodes.front();
    keyCodes.pop_front();
    return code;
}

void pause(std::int32_t milliseconds)
{
    terminal::flushOutput();
    if (milliseconds > 0) {
        sleepMs(milliseconds);
    }
}

void idle()
{
    terminal::flushOutput();
    if (keyCodes.empty()) {
        std::int64_t waitMs = gamepad::connected() ? IdleWithPadMs : IdleWithoutPadMs;
        if (!pendingBytes.empty()) {
            waitMs = std::min(waitMs, keyRestWaitLeftMs());
        }
        pollfd fd{InputFd, POLLIN, 0};
        poll(&fd, 1, static_cast<int>(waitMs));
    }
}

std::int64_t calendarSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

}  // namespace platform
