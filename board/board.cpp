#include "board/board.hpp"

std::vector<std::int32_t> board;
std::vector<std::int32_t> shownBoard;
std::int32_t* playerCell = nullptr;

std::wstring_view glyphFor(std::int32_t code)
{
    switch (code) {
    case TileFloor: return FloorGlyph;
    case TileWall: return WallGlyph;
    case TileGoal: return GoalGlyph;
    default: return PlayerGlyph;
    }
}
