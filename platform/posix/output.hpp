// What the pieces of the POSIX console share: the terminal's two ends, and the
// steps of the output that opening and closing it, the signals and the waits
// take. The output's state stays in output.cpp; the others reach it only
// through these.
#pragma once

#include <unistd.h>

namespace terminal {

constexpr int InputFd = STDIN_FILENO;
constexpr int OutputFd = STDOUT_FILENO;

// The colours, the cursor and the size of the terminal at hand, from the
// environment, TERM's terminfo entry and the terminal itself. False where the
// game cannot draw: a dumb terminal, or one that cannot put its cursor
// anywhere, would print the sequences as text.
bool learnTerminal();
// What the game printed since the last wait reaches the terminal in one write,
// which leaves the terminal in its own colours between frames.
void flushOutput();
// The terminal hung up: nothing printed so far will ever be shown.
void forgetOutput();

// For the signal handlers, async-signal-safe. What they write goes only to a
// terminal that takes it: a stalled one would hold the handler forever.
// A signal ends the game: the terminal's own colours, the cursor below the
// game's output, and shown.
void writeExitBytes();
// The game stops: the cursor shown for whatever runs meanwhile, and hidden
// again with the next frame.
void showCursorForStop();
// The terminal was resized: the output takes the new size before it goes on.
void markSizeStale();
// The game goes on after a stop: the shell has used the screen meanwhile.
void lendScreen();

}  // namespace terminal
