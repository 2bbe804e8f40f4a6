// How long a key takes to show on the screen: the built game runs in a
// pseudo-terminal, a movement key is written into it, and the clock stops when
// the bytes read back show the player on its new cell with the cursor on it.
// The player walks back and forth along a floor row of a resumed record, so
// every key repaints. Each key press is one iteration; its time is the one
// reported (manual time), with the median and the 99th percentile beside it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "bench/terminal_play.hpp"
#include "tests/e2e/pty.hpp"

namespace {

constexpr int Presses = 1000;
constexpr int NewLevels = 12;
// How far the walk goes along the row before it turns back.
constexpr int Span = 20;

struct Figures {
    double medianUs = 0;
    double p99Us = 0;
    double maxUs = 0;
};
// In the order measured, each with what it measured.
std::vector<std::pair<std::string, Figures>> figures;

double nearestRank(const std::vector<double>& sorted, double p)
{
    const auto rank = static_cast<std::size_t>(std::max(1.0, p * static_cast<double>(sorted.size()) + 0.999999));
    return sorted[std::min(rank, sorted.size()) - 1];
}

void keyToScreen(benchmark::State& state)
{
    const auto level = static_cast<int>(state.range(0));
    const bool arrows = state.range(1) != 0;
    const int side = level + 2;
    const std::filesystem::path folder = terminalplay::folderWithRecord(terminalplay::edgePathRecord(level));
    std::vector<double> us;
    {
        GameInTerminal game(std::max(80, 2 * side + 1), std::max(25, side + 3), folder.string());
        // The fresh draw of a level-500 board is about 6 MB of output.
        if (!terminalplay::resumeSavedLevel(game, level, 60000)) {
            state.SkipWithError("the game did not reach the level");
            return;
        }
        const int span = std::min(Span, side - 1);
        int col = 0;
        int step = 1;
        for (auto _ : state) {
            const char* key = step > 0 ? (arrows ? "\x1b[C" : "d") : (arrows ? "\x1b[D" : "a");
            const int target = col + step;
            const auto start = std::chrono::steady_clock::now();
            game.type(key);
            const bool shown =
                game.waitFor([&](const Screen& s) { return terminalplay::playerShownAt(s, target, 0); }, 2000);
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            if (!shown) {
                state.SkipWithError("a key press was not shown within 2 s");
                break;
            }
            state.SetIterationTime(took.count());
            us.push_back(took.count() * 1e6);
            col = target;
            if (col == 0 || col == span) {
                step = -step;
            }
        }
        // The game is ended with the terminal (SIGKILL): a quit would wait
        // out the farewell's pause.
    }
    std::filesystem::remove_all(folder);
    if (us.empty()) {
        return;
    }
    std::sort(us.begin(), us.end());
    const Figures f{nearestRank(us, 0.5), nearestRank(us, 0.99), us.back()};
    figures.emplace_back("level " + std::to_string(level) + (arrows ? ", arrow keys" : ", d and a"), f);
    state.counters["median_us"] = f.medianUs;
    state.counters["p99_us"] = f.p99Us;
    state.counters["max_us"] = f.maxUs;
    state.SetLabel(arrows ? "arrow keys" : "letters d and a");
}

// The key that completes a level is answered by the next level's board, which
// is laid and drawn first: level 99 (resumed from a record) walked to the step
// before its goal, then the clock runs from the last key to the whole of
// level 100 on the screen. Each iteration is a new game; the maze depends on
// the calendar second, so each game starts in a second of its own and the
// figures spread as laying a maze does.
void keyToNextLevel(benchmark::State& state)
{
    const std::filesystem::path folder = terminalplay::folderWithRecord(terminalplay::edgePathRecord(99));
    std::vector<double> us;
    for (auto _ : state) {
        const std::time_t second = std::time(nullptr);
        while (std::time(nullptr) == second) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        GameInTerminal game(205, 105, folder.string());
        if (!terminalplay::resumeSavedLevel(game, 99)) {
            state.SkipWithError("the game did not reach level 99");
            break;
        }
        game.type(std::string(100, 'd') + std::string(99, 's'));
        if (!game.waitFor([](const Screen& s) { return terminalplay::playerShownAt(s, 100, 99); }, 20000)) {
            state.SkipWithError("the walk along the edge did not arrive");
            break;
        }
        const auto start = std::chrono::steady_clock::now();
        game.type("s");
        // The header comes first in the draw and the cursor's return to the
        // top-left cell last.
        const bool shown = game.waitFor(
            [](const Screen& s) {
                return s.line(0) == "Level 100" && s.cursor() == CursorPosition{0, 2};
            },
            20000);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (!shown) {
            state.SkipWithError("level 100 was not shown within 20 s");
            break;
        }
        state.SetIterationTime(took.count());
        us.push_back(took.count() * 1e6);
    }
    std::filesystem::remove_all(folder);
    if (us.empty()) {
        return;
    }
    std::sort(us.begin(), us.end());
    const Figures f{nearestRank(us, 0.5), nearestRank(us, 0.99), us.back()};
    figures.emplace_back("the step onto level 99's goal, until level 100 is drawn", f);
    state.counters["median_us"] = f.medianUs;
    state.counters["max_us"] = f.maxUs;
}

// Levels 1, 100 and 500, by letter (0) and by arrow key (1): a key must cost
// the same on any board.
BENCHMARK(keyToScreen)
    ->ArgsProduct({{1, 100, 500}, {0, 1}})
    ->Iterations(Presses)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(keyToNextLevel)->Iterations(NewLevels)->UseManualTime()->Unit(benchmark::kMillisecond);

void printTable()
{
    if (figures.empty()) {
        return;
    }
    std::printf("\n| key | median us | p99 us | max us |\n|---|---:|---:|---:|\n");
    for (const auto& [what, f] : figures) {
        std::printf("| %s | %.0f | %.0f | %.0f |\n", what.c_str(), f.medianUs, f.p99Us, f.maxUs);
    }
    std::printf("\nMoves: %d key presses each, from writing the key into the terminal to reading "
                "the repainted cell. The step onto the goal: %d games.\n",
                Presses, NewLevels);
}

const bool tableAtExit = std::atexit(printTable) == 0;

}  // namespace

BENCHMARK_MAIN();
