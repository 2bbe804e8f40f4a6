// The signals and job control of the POSIX console (signals.cpp).
#pragma once

namespace signals {

// The handlers of the signals that end the game, stop and continue it and
// resize its terminal, and the exit handlers; once the console opens.
void install();

}  // namespace signals
