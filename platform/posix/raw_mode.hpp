// Raw mode on the POSIX terminal, as opening and closing the console and the
// signal handlers (signals.cpp) reach it. All of it async-signal-safe.
#pragma once

namespace rawMode {

bool isOn();
// Between openConsole and closeConsole.
bool consoleOpen();
// Keys one by one, unechoed; false when the terminal refuses.
bool enter();
// The terminal's own settings back, if raw mode is on.
void restore();
// Raw mode is left to whoever has the terminal now, without touching it.
void markOff();

}  // namespace rawMode
