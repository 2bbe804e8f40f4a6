// A board as a player reads it from the screen, and the keys that walk across it.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/scratch.hpp"
#include "tests/support/screen.hpp"

// A board cell on the screen, both its columns alike: 'P' the player (blocks in the default colours),
// '.' floor (green blocks), '#' wall (red blocks), 'G' the goal (yellow bars on brown), '?' anything else.
inline char cellLetter(const Screen& s, int col, int row)
{
    const ScreenCell a = s.cell(2 * col, row + 2), b = s.cell(2 * col + 1, row + 2);
    if (a != b) {
        return '?';
    }
    if (a.ch == U'\u25ac') {
        return a.fg == Rgb{255, 255, 0} && a.bg == Rgb{150, 75, 0} ? 'G' : '?';
    }
    return a.ch != U'\u2588' || a.bg   ? '?'
           : !a.fg                     ? 'P'
           : *a.fg == Rgb{20, 200, 50} ? '.'
           : *a.fg == Rgb{255, 0, 0}   ? '#'
                                       : '?';
}

// The keys (w, a, s, d) of a shortest way over `pass` cells from one cell to the nearest `arrive` cell; empty if none.
template <typename Cells, typename Cell>
std::string keysOfShortestWay(const Cells& cells, std::int32_t side, std::int32_t from, Cell pass, Cell arrive)
{
    const auto is = [&cells](std::int32_t i, Cell cell) { return cells.at(static_cast<std::size_t>(i)) == cell; };
    std::vector<std::int32_t> cameFrom(static_cast<std::size_t>(side) * static_cast<std::size_t>(side), -1);
    const auto before = [&cameFrom](std::int32_t i) -> std::int32_t& { return cameFrom[static_cast<std::size_t>(i)]; };
    before(from) = from;
    for (std::deque<std::int32_t> queue{from}; !queue.empty(); queue.pop_front()) {
        const std::int32_t i = queue.front();
        for (const std::int32_t j : {i >= side ? i - side : -1, i % side < side - 1 ? i + 1 : -1,
                                     i / side < side - 1 ? i + side : -1, i % side > 0 ? i - 1 : -1}) {
            if (j < 0 || before(j) >= 0 || !(is(j, pass) || is(j, arrive))) {
                continue;
            }
            before(j) = i;
            queue.push_back(j);
            if (is(j, arrive)) {
                std::string keys;
                for (std::int32_t k = j; k != from; k = before(k)) {
                    const std::int32_t step = k - before(k);
                    keys.insert(keys.begin(), step == 1 ? 'd' : step == -1 ? 'a' : step == side ? 's' : 'w');
                }
                return keys;
            }
        }
    }
    return {};
}

struct SeenBoard {
    int level = 0;
    int side = 0;
    std::vector<char> cells;  // letters as cellLetter gives them
};

// The level's header and board, or nothing while the screen shows no whole board.
inline std::optional<SeenBoard> readBoard(const Screen& s)
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

// The level's board as it begins: the player top-left, the goal bottom-right.
inline bool showsLevel(const Screen& s, int level)
{
    const std::optional<SeenBoard> b = readBoard(s);
    return b && b->level == level && b->cells.front() == 'P' && b->cells.back() == 'G';
}

// Keys from the player over floor to the nearest `target` cell ('G', '#' or '.'); empty when none is in reach.
inline std::string keysTo(const SeenBoard& b, char target)
{
    const auto player = std::find(b.cells.begin(), b.cells.end(), 'P') - b.cells.begin();
    return keysOfShortestWay(b.cells, b.side, static_cast<std::int32_t>(player), '.', target);
}

// What the save record holds for this board: one digit per cell.
inline std::string recordOf(const SeenBoard& b)
{
    std::string record;
    for (const char c : b.cells) {
        record += c == 'P' ? '8' : c == '.' ? '7' : c == '#' ? '9' : '0';
    }
    return record;
}

// Where the game leaves the cursor for the shell, shown: at the start of the line right below the lowest it wrote on.
inline bool cursorRightBelowTheGame(const Screen& s)
{
    const auto lines = static_cast<int>(std::ranges::count(s.text(), '\n'));
    return s.cursorVisible() && s.cursor() == (CursorPosition{0, lines + 1});
}

// What is wrong with the screen as a view of the record's board, larger than the window, the player moved over
// floor to (col, row); nothing when the header tells the goal's distance and the view, as large as the window
// allows, keeps the player a quarter of it from every edge with more board beyond and shows each cell right.
inline std::string viewFault(const Screen& s, int columns, int lines, const std::string& record, int col, int row)
{
    const auto side = static_cast<int>(std::lround(std::sqrt(static_cast<double>(record.size()))));
    std::string header = s.line(0) + s.line(1);
    std::erase(header, ' ');
    if (header != "Level" + std::to_string(side - 2) + "goal:" + std::to_string(side - 1 - col) + "right," +
                      std::to_string(side - 1 - row) + "down") {
        return "header " + s.line(0) + " | " + s.line(1);
    }
    const int viewColumns = std::min(side, (columns - 1) / 2), viewRows = std::min(side, lines - 3);
    const CursorPosition at = s.cursor();
    const int left = col - at.x / 2, top = row - (at.y - 2);
    const auto nearEdge = [side](int start, int size, int p) {
        return (start > 0 && p - start < size / 4) || (start + size < side && start + size - 1 - p < size / 4);
    };
    if (at.x % 2 != 0 || left < 0 || top < 0 || left + viewColumns > side || top + viewRows > side ||
        nearEdge(left, viewColumns, col) || nearEdge(top, viewRows, row)) {
        return "view at " + std::to_string(left) + "," + std::to_string(top);
    }
    for (int i = 0; i < viewRows * viewColumns; ++i) {
        const int c = left + i % viewColumns, r = top + i / viewColumns;
        const char digit = record.at(r * side + c);
        const char letter = c == col && r == row ? 'P' : digit == '9' ? '#' : digit == '0' ? 'G' : '.';
        if (cellLetter(s, c - left, r - top) != letter) {
            return "cell " + std::to_string(c) + "," + std::to_string(r);
        }
    }
    return {};
}
