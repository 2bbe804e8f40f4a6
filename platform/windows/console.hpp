// What the pieces of the Windows console share: the output (output.cpp) and
// the keys (input.cpp), opened and closed with the console and reached from
// its event handler (console_events.cpp).
#pragma once

namespace console {

// Wide text to the console, gathered in a buffer; false when the output
// takes no wide text.
bool openOutput();
// The cursor shown, the terminal's own colours back.
void closeOutput();
// What was printed reaches the console now.
void flushOutput();
// From the console's event thread, as the game ends: the cursor shown if the
// game hid it.
void showCursorOnEvent();

// The console's input, where the keys come from, and the finer clock of the
// waits.
void openInput();
void closeInput();

}  // namespace console
