// The kinds of board cell the game asks the platform to show. Which
// characters and colours show each is the platform's own business
// (platform/encoder.hpp).
#pragma once

namespace platform {

enum class Cell { Floor, Player, Wall, Goal };

}  // namespace platform
