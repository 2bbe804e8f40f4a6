#pragma once

// Prints the title screen where the cursor stands, waits for Enter or the
// gamepad's A button, and clears the screen.
void showTitleScreen();
