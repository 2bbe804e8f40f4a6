// Keys on Windows, through conio, and the idle wait that sleeps on the
// console's input.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

// After windows.h, whose types they use.
#include <conio.h>
#include <timeapi.h>

#include <iterator>

#include "platform/idle.hpp"
#include "platform/platform.hpp"
#include "platform/windows/console.hpp"
#include "platform/windows/gamepad.hpp"

namespace {

bool timerRaised = false;
// The console's input, where conio reads its keys (also when standard input
// is redirected): the idle wait sleeps on it.
HANDLE keyboard = INVALID_HANDLE_VALUE;

// Events that are never a key for conio: releases, mouse, focus, menu and
// size events, and modifier or lock keys pressed alone. _getch skips them.
bool neverAKey(const INPUT_RECORD& event)
{
    if (event.EventType != KEY_EVENT || event.Event.KeyEvent.bKeyDown == 0) {
        return true;
    }
    switch (event.Event.KeyEvent.wVirtualKeyCode) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_LWIN:
    case VK_RWIN:
    case VK_CAPITAL:
    case VK_NUMLOCK:
    case VK_SCROLL: return true;
    default: return false;
    }
}

// Such events at the front of the console's input would keep it signalled,
// and the idle wait would return at once, again and again: they are dropped
// (as _getch would). Nothing after the first possible key is touched. False
// when nothing could be dropped.
bool dropEventsThatAreNoKeys()
{
    INPUT_RECORD events[64];
    DWORD seen = 0;
    if (PeekConsoleInputW(keyboard, events, static_cast<DWORD>(std::size(events)), &seen) == 0) {
        return false;
    }
    DWORD drop = 0;
    while (drop < seen && neverAKey(events[drop])) {
        ++drop;
    }
    // Events only ever join at the end: the first `drop` are the ones seen.
    DWORD dropped = 0;
    return drop > 0 && ReadConsoleInputW(keyboard, events, drop, &dropped) != 0 && dropped > 0;
}

}  // namespace

namespace console {

void openInput()
{
    keyboard = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    // Waits of a few milliseconds need a finer clock than Windows' usual 15.6 ms.
    timerRaised = timeBeginPeriod(1) == TIMERR_NOERROR;
}

void closeInput()
{
    if (timerRaised) {
        timeEndPeriod(1);
        timerRaised = false;
    }
    if (keyboard != INVALID_HANDLE_VALUE) {
        CloseHandle(keyboard);
        keyboard = INVALID_HANDLE_VALUE;
    }
}

}  // namespace console

namespace platform {

bool keyWaiting()
{
    console::flushOutput();
    return _kbhit() != 0;
}

int readKey()
{
    // _getch would wait for a key; none is promised here.
    if (!keyWaiting()) {
        return 0;
    }
    return _getch() & 0xff;
}

void idle()
{
    console::flushOutput();
    const DWORD interval = gamepad::connected() ? DWORD{IdleWithPadMs} : DWORD{IdleWithoutPadMs};
    if (keyboard == INVALID_HANDLE_VALUE) {
        Sleep(interval);
        return;
    }
    if (WaitForSingleObject(keyboard, interval) == WAIT_OBJECT_0 && _kbhit() == 0 && !dropEventsThatAreNoKeys()) {
        // A press that conio does not count as a key (yet) is first in line:
        // wait the interval out rather than spin on it.
        Sleep(interval);
    }
}

}  // namespace platform
