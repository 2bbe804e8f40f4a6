// For tools/screenshot.sh: lays out a level with the game's own maze generator
// and prints, on one line each, the saved-game record of that level and the
// keys that walk the player along its path from the top-left cell.
// Usage: screenshot_level LEVEL SEED
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "board/board.hpp"
#include "maze/maze.hpp"
#include "platform/platform.hpp"

// The generator asks the calendar for a seed only when it chooses one itself;
// here the seed comes from the command line.
std::int64_t platform::calendarSeconds()
{
    return 0;
}

namespace {

struct Step {
    int dCol;
    int dRow;
    char key;
};

constexpr Step Steps[] = {{1, 0, 'd'}, {0, 1, 's'}, {-1, 0, 'a'}, {0, -1, 'w'}};

// Follows the floor from the top-left cell, never going back, to the goal.
std::string walkKeys(std::int32_t side)
{
    std::vector<bool> seen(board.size(), false);
    std::string keys;
    int col = 0;
    int row = 0;
    seen[0] = true;
    while (board[static_cast<std::size_t>(row * side + col)] != TileGoal) {
        bool moved = false;
        for (const Step step : Steps) {
            const int c = col + step.dCol;
            const int r = row + step.dRow;
            if (c < 0 || r < 0 || c >= side || r >= side) {
                continue;
            }
            const auto cell = static_cast<std::size_t>(r * side + c);
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
    if (argc != 3) {
        std::cerr << "usage: screenshot_level LEVEL SEED\n";
        return 2;
    }
    const auto level = static_cast<std::int32_t>(std::atoi(argv[1]));
    generateMazeFromSeed(level, static_cast<std::uint32_t>(std::atol(argv[2])), mazeDrawBudget(level));
    for (const std::int32_t code : board) {
        std::cout << static_cast<char>('0' + (code + 7) % 10);
    }
    std::cout << '\n' << walkKeys(sideLengthFor(level)) << '\n';
    return 0;
}
