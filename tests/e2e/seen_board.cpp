#include "tests/e2e/seen_board.hpp"

#include <deque>
#include <string>
#include <utility>

std::optional<SeenBoard> readBoard(const Screen& s)
{
    const std::string header = s.line(0);
    if (!header.starts_with("Level ")) {
        return std::nullopt;
    }
    SeenBoard b;
    b.level = std::stoi(header.substr(6));
    b.side = b.level + 2;
    for (int row = 0; row < b.side; ++row) {
        for (int col = 0; col < b.side; ++col) {
            const ScreenCell& c = s.cell(2 * col, row + 2);
            const bool block = c.ch == U'\u2588';
            if (c.ch == U'\u25ac') {
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
    const int n = b.side * b.side;
    int start = 0;
    while (b.cells[static_cast<std::size_t>(start)] != 'P') {
        ++start;
    }
    std::vector<int> from(static_cast<std::size_t>(n), -1);
    std::vector<char> key(static_cast<std::size_t>(n), 0);
    std::deque<int> queue{start};
    from[static_cast<std::size_t>(start)] = start;
    while (!queue.empty()) {
        const int i = queue.front();
        queue.pop_front();
        const int col = i % b.side;
        const int row = i / b.side;
        const std::pair<int, char> steps[] = {
            {row > 0 ? i - b.side : -1, 'w'}, {col < b.side - 1 ? i + 1 : -1, 'd'},
            {row < b.side - 1 ? i + b.side : -1, 's'}, {col > 0 ? i - 1 : -1, 'a'}};
        for (const auto& [j, k] : steps) {
            if (j < 0 || from[static_cast<std::size_t>(j)] >= 0) {
                continue;
            }
            const char cell = b.cells[static_cast<std::size_t>(j)];
            if (cell == target) {
                std::string keys(1, k);
                for (int at = i; at != start; at = from[static_cast<std::size_t>(at)]) {
                    keys.insert(keys.begin(), key[static_cast<std::size_t>(at)]);
                }
                return keys;
            }
            if (cell == '.') {
                from[static_cast<std::size_t>(j)] = i;
                key[static_cast<std::size_t>(j)] = k;
                queue.push_back(j);
            }
        }
    }
    return {};
}

std::string recordOf(const SeenBoard& b)
{
    std::string record;
    for (const char c : b.cells) {
        record += c == 'P' ? '8' : c == '.' ? '7' : c == '#' ? '9' : '0';
    }
    return record;
}
