#pragma once

// The whole game, from the title screen to the farewell. Returns the exit status.
int runGame();
