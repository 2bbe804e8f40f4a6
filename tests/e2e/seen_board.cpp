#include "tests/e2e/seen_board.hpp"

#include <algorithm>

std::optional<SeenBoard> readBoard(const Screen& s)
{
    const std::string header = s.line(0);
    if (!header.starts_with("Level ") || header.size() == 6) {
        return std::nullopt;
    }
    SeenBoard b{std::stoi(header.substr(6)), std::stoi(header.substr(6)) + 2, {}};
    for (int i = 0; i < b.side * b.side; ++i) {
        b.cells.push_back(cellLetter(s, i % b.side, i / b.side));
    }
    return std::count(b.cells.begin(), b.cells.end(), '?') == 0 ? std::optional(b) : std::nullopt;
}

bool showsLevel(const Screen& s, int level)
{
    const std::optional<SeenBoard> b = readBoard(s);
    return b && b->level == level && b->cells.front() == 'P' && b->cells.back() == 'G';
}

std::string keysTo(const SeenBoard& b, char target)
{
    const auto is = [&b](char c) { return [&b, c](std::int32_t i) { return b.cells[static_cast<std::size_t>(i)] == c; }; };
    const auto player = std::find(b.cells.begin(), b.cells.end(), 'P') - b.cells.begin();
    return keysAlong(shortestWay(b.side, static_cast<std::int32_t>(player), is('.'), is(target)), b.side);
}

std::string recordOf(const SeenBoard& b)
{
    std::string record;
    for (const char c : b.cells) {
        record += c == 'P' ? '8' : c == '.' ? '7' : c == '#' ? '9' : '0';
    }
    return record;
}
