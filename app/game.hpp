#pragma once

#include <span>
#include <string_view>

// The whole game, from the title screen to the farewell, or what the command
// line asks for instead. Returns the exit status.
int runGame(std::span<const std::string_view> arguments = {});
