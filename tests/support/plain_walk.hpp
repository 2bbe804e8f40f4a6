// The maze walk written out plainly as the game's rules tell it: the goal is counted and the walker looked
// for on the board at every draw. Slow on purpose; the tests and the benchmarks hold the generator against it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plainwalk {

struct Outcome {
    bool finished;
    std::int64_t draws;  // one random number each
    // The moves left on the trail, oldest first: the path from the player to the goal.
    std::string moves;
};

// Lays the maze of a level (0 or more) into `cells` on the caller's seed; gives up after `maxDraws` draws.
Outcome walk(std::vector<std::int32_t>& cells, std::int32_t level, std::int64_t maxDraws);

}  // namespace plainwalk
