// For tools/screenshot.sh: lays out a level with the game's own maze generator
// and prints, on one line each, the saved-game record of that level and the
// keys that walk the player along its path from the top-left cell.
// Usage: screenshot_level LEVEL SEED
#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "board/board.hpp"
#include "maze/maze.hpp"
#include "platform/platform.hpp"
#include "tools/parse_number.hpp"

// The generator asks the calendar for a seed only when it chooses one itself;
// here the seed comes from the command line.
std::int64_t platform::calendarSeconds() { return 0; }

namespace {

struct Step {
    std::int32_t dCol;
    std::int32_t dRow;
    char key;
};

constexpr Step Steps[] = {{1, 0, 'd'}, {0, 1, 's'}, {-1, 0, 'a'}, {0, -1, 'w'}};

// Follows the floor from the top-left cell, never going back, to the goal.
std::size_t cellAt(std::int32_t col, std::int32_t row, std::int32_t side)
{
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(side) + static_cast<std::size_t>(col);
}

std::string walkKeys(std::int32_t side)
{
    std::vector<bool> seen(board.size(), false);
    std::string keys;
    std::int32_t col = 0;
    std::int32_t row = 0;
    seen[0] = true;
    while (board[cellAt(col, row, side)] != TileGoal) {
        bool moved = false;
        for (const Step step : Steps) {
            const std::int32_t c = col + step.dCol;
            const std::int32_t r = row + step.dRow;
            if (c < 0 || r < 0 || c >= side || r >= side) {
                continue;
            }
            const std::size_t cell = cellAt(c, r, side);
            if (!seen[cell] && board[cell] != TileWall) {
                seen[cell] = true;
                col = c;
                row = r;
                keys += step.key;
                moved = true;
                break;
            }
        }
        if (!moved) {
            break;
        }
    }
    return keys;
}

}  // namespace

int main(int argc, char** argv)
{
    std::int32_t level = 0;
    std::uint32_t seed = 0;
    if (argc != 3 || !parseNumber(argv[1], level) || !parseNumber(argv[2], seed) || level < 1 || level > 100) {
        std::cerr << "usage: screenshot_level LEVEL SEED (LEVEL from 1 to 100)\n";
        return 2;
    }
    generateMazeFromSeed(level, seed, mazeDrawBudget(level));
    for (const std::int32_t code : board) {
        std::cout << static_cast<char>('0' + (code + 7) % 10);
    }
    std::cout << '\n' << walkKeys(sideLengthFor(level)) << '\n';
    return 0;
}
