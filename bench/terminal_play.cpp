#include "bench/terminal_play.hpp"

#include <cstdlib>
#include <deque>
#include <fstream>
#include <stdexcept>

namespace terminalplay {

std::string edgePathRecord(int level)
{
    const int side = level + 2;
    std::string record;
    for (int row = 0; row < side; ++row) {
        for (int col = 0; col < side; ++col) {
            const bool first = row == 0 && col == 0;
            const bool last = row == side - 1 && col == side - 1;
            record += first ? '8' : last ? '0' : row == 0 || col == side - 1 ? '7' : '9';
        }
    }
    return record;
}

std::filesystem::path folderWithRecord(const std::string& record)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quillonex-measure-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("no temporary folder");
    }
    std::ofstream(std::filesystem::path(pattern) / "record.quillonex", std::ios::binary) << record;
    return pattern;
}

std::optional<std::vector<char>> seenBoard(const Screen& screen, int level)
{
    if (screen.line(0) != "Level " + std::to_string(level)) {
        return std::nullopt;
    }
    const int side = level + 2;
    std::vector<char> cells;
    for (int row = 0; row < side; ++row) {
        for (int col = 0; col < side; ++col) {
            const ScreenCell& c = screen.cell(2 * col, row + 2);
            const bool block = c.ch == U'\u2588';
            if (c.ch == U'\u25ac') {
                cells.push_back('G');
            } else if (block && !c.fg) {
                cells.push_back('P');
            } else if (block && *c.fg == Rgb{20, 200, 50}) {
                cells.push_back('.');
            } else if (block && *c.fg == Rgb{255, 0, 0}) {
                cells.push_back('#');
            } else {
                return std::nullopt;
            }
        }
    }
    return cells;
}

bool playerShownAt(const Screen& screen, int col, int row)
{
    const ScreenCell& c = screen.cell(2 * col, row + 2);
    return c.ch == U'\u2588' && !c.fg && screen.cursor() == CursorPosition{2 * col, row + 2};
}

bool resumeSavedLevel(GameInTerminal& game, int level)
{
    if (!game.waitFor([](const Screen& s) { return s.findLine("Press 'enter'") >= 0; })) {
        return false;
    }
    game.type("\r");
    if (!game.waitFor([](const Screen& s) { return s.line(0).starts_with("Do you want"); })) {
        return false;
    }
    game.type("y");
    return game.waitFor([level](const Screen& s) { return seenBoard(s, level) && playerShownAt(s, 0, 0); });
}

std::string keysTowardsGoal(const std::vector<char>& cells, int level)
{
    const int side = level + 2;
    const int n = side * side;
    int start = 0;
    while (start < n && cells[static_cast<std::size_t>(start)] != 'P') {
        ++start;
    }
    if (start == n) {
        return {};
    }
    std::vector<int> from(static_cast<std::size_t>(n), -1);
    std::vector<char> key(static_cast<std::size_t>(n), 0);
    std::deque<int> queue{start};
    from[static_cast<std::size_t>(start)] = start;
    while (!queue.empty()) {
        const int i = queue.front();
        queue.pop_front();
        const int col = i % side;
        const int row = i / side;
        const std::pair<int, char> steps[] = {{row > 0 ? i - side : -1, 'w'},
                                              {col < side - 1 ? i + 1 : -1, 'd'},
                                              {row < side - 1 ? i + side : -1, 's'},
                                              {col > 0 ? i - 1 : -1, 'a'}};
        for (const auto& [j, k] : steps) {
            if (j < 0 || from[static_cast<std::size_t>(j)] >= 0) {
                continue;
            }
            if (cells[static_cast<std::size_t>(j)] == 'G') {
                std::string keys;
                for (int at = i; at != start; at = from[static_cast<std::size_t>(at)]) {
                    keys.insert(keys.begin(), key[static_cast<std::size_t>(at)]);
                }
                return keys;
            }
            if (cells[static_cast<std::size_t>(j)] == '.') {
                from[static_cast<std::size_t>(j)] = i;
                key[static_cast<std::size_t>(j)] = k;
                queue.push_back(j);
            }
        }
    }
    return {};
}

}  // namespace terminalplay
