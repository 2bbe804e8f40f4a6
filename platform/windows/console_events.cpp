// The Windows console opened and closed, and its events: Ctrl+C, Ctrl+Break
// and the closing of the window, held off while a save is under way.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdlib>
#include <exception>

#include "platform/platform.hpp"
#include "platform/windows/console.hpp"
#include "platform/windows/gamepad.hpp"

namespace {

// Windows ends a process this long after its console window was closed; a save
// that holds the interrupts gets most of it to finish.
constexpr DWORD CloseWaitMs = 4000;

bool consoleOpen = false;
bool exitHandlersInstalled = false;
// Signalled while nothing holds the interrupts.
HANDLE interruptsAllowed = nullptr;
int interruptHolds = 0;

// Ctrl+C, Ctrl+Break and the closing of the window arrive on a thread of their
// own. A save under way is let finish first; then Windows ends the game as it
// would have anyway. A pad left rumbling would go on after the game.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (interruptsAllowed != nullptr) {
        const bool mustEnd = event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT;
        WaitForSingleObject(interruptsAllowed, mustEnd ? CloseWaitMs : INFINITE);
    }
    gamepad::stopRumble();
    console::showCursorOnEvent();
    return FALSE;
}

void onTerminate()
{
    platform::closeConsole();
    std::abort();
}

}  // namespace

namespace platform {

bool openConsole()
{
    if (!console::openOutput()) {
        return false;
    }
    if (!exitHandlersInstalled) {
        std::atexit(closeConsole);
        std::set_terminate(onTerminate);
        exitHandlersInstalled = true;
    }
    if (interruptsAllowed == nullptr) {
        interruptsAllowed = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    }
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    console::openInput();
    consoleOpen = true;
    return true;
}

void closeConsole()
{
    console::flushOutput();
    gamepad::stopRumble();
    if (!consoleOpen) {
        return;
    }
    consoleOpen = false;
    console::closeOutput();
    console::closeInput();
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
}

void holdInterrupts()
{
    if (interruptHolds++ == 0 && interruptsAllowed != nullptr) {
        ResetEvent(interruptsAllowed);
    }
}

void releaseInterrupts()
{
    if (interruptHolds > 0 && --interruptHolds == 0 && interruptsAllowed != nullptr) {
        SetEvent(interruptsAllowed);
    }
}

}  // namespace platform
