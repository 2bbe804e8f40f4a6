#include "bench/terminal_play.hpp"

#include <fstream>

#include "tests/e2e/seen_board.hpp"

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
    std::filesystem::path folder = newFolder();
    std::ofstream(folder / "record.quillonex", std::ios::binary) << record;
    return folder;
}

bool playerShownAt(const Screen& screen, int col, int row)
{
    const ScreenCell& c = screen.cell(2 * col, row + 2);
    return c.ch == U'\u2588' && !c.fg && screen.cursor() == CursorPosition{2 * col, row + 2};
}

bool resumeSavedLevel(GameInTerminal& game, int level, int timeoutMs)
{
    if (!game.waitForLine("Press 'enter'")) {
        return false;
    }
    game.type("\r");
    if (!game.waitForLine("Do you want")) {
        return false;
    }
    game.type("y");
    return game.waitFor([level](const Screen& s) { return showsLevel(s, level) && playerShownAt(s, 0, 0); }, timeoutMs);
}

}  // namespace terminalplay
