#include "tests/e2e/seen_board.hpp"

#include <algorithm>
#include <cstdint>

#include "tests/support/ways.hpp"

std::optional<SeenBoard> readBoard(const Screen& s)
{
    const std::string header = s.line(0);
    if (!header.starts_with("Level ") || header.size() == 6) {
        return std::nullopt;
    }
    SeenBoard b;
    b.level = std::stoi(header.substr(6));
    b.side = b.level + 2;
    for (int row = 0; row < b.side; ++row) {
        for (int col = 0; col < b.side; ++col) {
            const ScreenCell& c = s.cell(2 * col, row + 2);
            const bool block = c.ch == U'\u2588';
            if (c.ch == U'\u25ac' && c.fg == Colour{Rgb{255, 255, 0}}) {
                b.cells.push_back('G');
            } else if (block && !c.fg) {
                b.cells.push_back('P');
            } else if (block && *c.fg == Rgb{20, 200, 50}) {
                b.cells.push_back('.');
            } else if (block && *c.fg == Rgb{255, 0, 0}) {
                b.cells.push_back('#');
            } else {
                return std::nullopt;
            }
        }
    }
    return b;
}

bool showsLevel(const Screen& s, int level)
{
    const std::optional<SeenBoard> b = readBoard(s);
    return b && b->level == level && b->cells.front() == 'P' && b->cells.back() == 'G';
}

std::string keysTo(const SeenBoard& b, char target)
{
    const auto kind = [&b](char c) {
        return [&b, c](std::int32_t i) { return b.cells[static_cast<std::size_t>(i)] == c; };
    };
    const auto player = std::find(b.cells.begin(), b.cells.end(), 'P') - b.cells.begin();
    return keysAlong(shortestWay(b.side, static_cast<std::int32_t>(player), kind('.'), kind(target)), b.side);
}

std::string recordOf(const SeenBoard& b)
{
    std::string record;
    for (const char c : b.cells) {
        record += c == 'P' ? '8' : c == '.' ? '7' : c == '#' ? '9' : '0';
    }
    return record;
}
