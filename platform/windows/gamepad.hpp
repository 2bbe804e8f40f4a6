// The first gamepad, through XInput 1.4 (user index 0).
#pragma once

namespace gamepad {

// The last read of slot 0 found a pad.
bool connected();
// Stops the motors if the game set them going. Safe from any thread.
void stopRumble();

}  // namespace gamepad
