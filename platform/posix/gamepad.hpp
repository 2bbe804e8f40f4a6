// The first game controller, through SDL2. Started on first use, so a game
// played without a pad never waits for SDL.
#pragma once

namespace gamepad {

// A controller is open as slot 0.
bool connected();
// Stops the rumble and lets go of SDL.
void shutdown();

}  // namespace gamepad
