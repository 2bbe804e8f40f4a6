// How much memory the game holds: the built game runs in a pseudo-terminal of
// 205 x 105 characters, the largest board's size, and its peak resident set
// (VmHWM in /proc/<pid>/status) is read at the title and again after playing
// level 100. The libraries (SDL and the C++ runtime) are loaded by the time
// the title waits, so the difference is the game's own data.
//
//   peak_memory      (make measure runs it after building the game for release)
//
// Two runs: level 100 resumed from a record, and level 100 laid by the
// generator after walking a resumed level 99 to its goal.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "bench/terminal_play.hpp"
#include "tests/e2e/pty.hpp"
#include "tests/e2e/seen_board.hpp"

namespace {

constexpr int Columns = 205;
constexpr int Lines = 105;
// Peak growth the game may show over the title's figure.
constexpr long AllowedGrowthKb = 2048;

struct Memory {
    long peakKb = -1;
    long residentKb = -1;
};

Memory memoryOf(pid_t pid)
{
    Memory m;
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("VmHWM:")) {
            m.peakKb = std::stol(line.substr(6));
        } else if (line.starts_with("VmRSS:")) {
            m.residentKb = std::stol(line.substr(6));
        }
    }
    return m;
}

struct Spot {
    int col = 0;
    int row = 0;
};

// Types the keys, which lead from where the player stands over floor, and
// waits until the player is shown where they end.
bool walk(GameInTerminal& game, Spot& at, const std::string& keys)
{
    for (const char k : keys) {
        at.col += k == 'd' ? 1 : k == 'a' ? -1 : 0;
        at.row += k == 's' ? 1 : k == 'w' ? -1 : 0;
    }
    game.type(keys);
    return game.waitFor([at](const Screen& s) { return terminalplay::playerShownAt(s, at.col, at.row); }, 20000);
}

bool report(const char* what, const Memory& title, const Memory& level)
{
    const long growth = level.peakKb - title.peakKb;
    std::printf("| %s | %ld | %ld | %ld | %ld | %ld |\n", what, title.peakKb, title.residentKb, level.peakKb,
                level.residentKb, growth);
    return growth <= AllowedGrowthKb;
}

// Level 100 from a record: across the top row and back, then a save.
std::optional<bool> resumedLevel100()
{
    const std::filesystem::path folder = terminalplay::folderWithRecord(terminalplay::edgePathRecord(100));
    std::optional<bool> met;
    {
        GameInTerminal game(Columns, Lines, folder.string());
        if (game.waitForLine("Press 'enter'")) {
            game.settle(500);
            const Memory title = memoryOf(game.pid());
            Spot at;
            if (terminalplay::resumeSavedLevel(game, 100) && walk(game, at, std::string(101, 'd')) &&
                walk(game, at, std::string(101, 'a'))) {
                game.type("e");
                if (game.waitFor([](const Screen& s) { return s.line(104).starts_with("Saved Game"); })) {
                    game.settle(3500);
                    met = report("level 100 resumed, 202 moves and a save", title, memoryOf(game.pid()));
                }
            }
        }
    }
    std::filesystem::remove_all(folder);
    return met;
}

// Level 99 from a record walked to its goal; level 100 is generated and drawn
// over it; then the player walks most of the way to the new goal.
std::optional<bool> generatedLevel100()
{
    const std::filesystem::path folder = terminalplay::folderWithRecord(terminalplay::edgePathRecord(99));
    std::optional<bool> met;
    {
        GameInTerminal game(Columns, Lines, folder.string());
        if (game.waitForLine("Press 'enter'")) {
            game.settle(500);
            const Memory title = memoryOf(game.pid());
            if (terminalplay::resumeSavedLevel(game, 99)) {
                game.type(std::string(100, 'd') + std::string(100, 's'));
                game.waitFor([](const Screen& s) { return showsLevel(s, 100); }, 20000);
                const std::optional<SeenBoard> board = readBoard(game.screen());
                // Towards the goal, stopping a step short of it.
                std::string keys = board && board->level == 100 ? keysTo(*board, 'G') : std::string();
                if (!keys.empty()) {
                    keys.pop_back();
                }
                Spot at;
                if (!keys.empty() && walk(game, at, keys)) {
                    game.settle(500);
                    met = report("level 100 generated after level 99, walked to the goal's side", title,
                                 memoryOf(game.pid()));
                }
            }
        }
    }
    std::filesystem::remove_all(folder);
    return met;
}

}  // namespace

int main()
{
    std::printf("| run | title VmHWM kB | title VmRSS kB | level 100 VmHWM kB | level 100 VmRSS kB | "
                "peak growth kB |\n|---|---:|---:|---:|---:|---:|\n");
    bool allMet = true;
    for (auto run : {resumedLevel100, generatedLevel100}) {
        const std::optional<bool> met = run();
        if (!met) {
            std::printf("| a run did not reach level 100 | | | | | |\n");
        }
        allMet = allMet && met.value_or(false);
    }
    std::printf("\nTarget: the peak at level 100 at most %ld kB above the title's.\n", AllowedGrowthKb);
    return allMet ? 0 : 1;
}
