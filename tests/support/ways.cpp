#include "tests/support/ways.hpp"

std::vector<std::int32_t> cellsOf(std::string_view letters)
{
    std::vector<std::int32_t> cells;
    for (const char c : letters) {
        if (c != '/') {
            cells.push_back(c == 'P' ? TilePlayer : c == '.' ? TileFloor : c == '#' ? TileWall : TileGoal);
        }
    }
    return cells;
}

std::string seenBoard(std::int32_t side)
{
    std::string letters;
    for (int i = 0; i < side * side; ++i) {
        letters += std::string(i > 0 && i % side == 0 ? "/" : "") + cellLetter(tc::screen(), i % side, i / side);
    }
    return letters;
}

std::string keysToGoal(std::int32_t level)
{
    const auto is = [](std::int32_t code) { return [code](std::int32_t i) { return board.at(i) == code; }; };
    return keysAlong(shortestWay(sideLengthFor(level), 0, is(TileFloor), is(TileGoal)), sideLengthFor(level));
}

void typeScript(const std::vector<int>& steps)
{
    for (const int step : steps) {
        if (step == NoPad) {
            tc::noPadReads();
        } else if (step >= Pad(0)) {
            tc::padReads(static_cast<std::uint16_t>(step - Pad(0)));
        } else {
            tc::typeKeys({step});
        }
    }
}

void notePauses(std::vector<std::string>& notes)
{
    tc::onPause([&notes](std::int32_t ms) { notes.push_back(std::to_string(ms) + (tc::screen().blank() ? " blank" : "")); });
}

void startFresh(int columns, int lines)
{
    tc::reset(columns, lines);
    board.clear();
    shownBoard.clear();
    playerCell = nullptr;
}
