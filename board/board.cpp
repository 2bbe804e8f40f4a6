#include "board/board.hpp"

std::vector<std::int32_t> board;
std::vector<std::int32_t> shownBoard;
std::int32_t* playerCell = nullptr;

platform::Cell cellFor(std::int32_t code)
{
    switch (code) {
    case TileFloor: return platform::Cell::Floor;
    case TileWall: return platform::Cell::Wall;
    case TileGoal: return platform::Cell::Goal;
    default: return platform::Cell::Player;
    }
}
