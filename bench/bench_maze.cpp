// How winding the generator's boards are and how long laying one takes, level
// by level, against the walk with take-backs run to its end on the same seeds
// where that is affordable. Prints one table.
//
//   bench_maze [--levels=40,100] [--seeds=N] [--full-seeds=N] [--full-cap=DRAWS]
//
// By default 1000 seeds a level up to level 100, 200 from 150 to 300 and 30
// above; the full walk on 200 seeds from level 30 to 80 and 100 at level 100,
// each walk given up after --full-cap draws (100,000,000 by default).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "board/board.hpp"
#include "maze/maze.hpp"

namespace {

// Seeds as the calendar would give them, one second apart.
constexpr std::uint32_t FirstSeed = 1'700'000'000;

struct Options {
    std::vector<std::int32_t> levels{1, 10, 30, 40, 60, 80, 100, 150, 200, 300, 600, 999};
    int seeds = 0;       // 0: by level, as above
    int fullSeeds = -1;  // -1: by level, as above
    std::int64_t fullCap = 100'000'000;
};

// Winding of the boards laid for one level.
struct Winding {
    int boards = 0;
    double path = 0;        // median of path / shortest way
    double playerWay = 0;   // median of the player's shortest way over the floor / shortest way
    double floorShare = 0;  // median share of the cells that are floor, in %
};

double percentile(std::vector<double> values, double p)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::max(1.0, std::ceil(p * static_cast<double>(values.size()))));
    return values[rank - 1];
}

// The fewest steps from the player to the goal over the floor of `board`.
std::int64_t playerWaySteps(std::int64_t side)
{
    std::vector<std::int64_t> steps(board.size(), -1);
    steps.front() = 0;
    for (std::deque<std::int64_t> next{0}; !next.empty(); next.pop_front()) {
        const std::int64_t cell = next.front();
        if (cell == side * side - 1) {
            return steps[static_cast<std::size_t>(cell)];
        }
        const std::int64_t row = cell / side;
        const std::int64_t col = cell % side;
        const std::int64_t around[] = {row > 0 ? cell - side : -1, col < side - 1 ? cell + 1 : -1,
                                       row < side - 1 ? cell + side : -1, col > 0 ? cell - 1 : -1};
        for (const std::int64_t n : around) {
            if (n >= 0 && steps[static_cast<std::size_t>(n)] < 0 && board[static_cast<std::size_t>(n)] != TileWall) {
                steps[static_cast<std::size_t>(n)] = steps[static_cast<std::size_t>(cell)] + 1;
                next.push_back(n);
            }
        }
    }
    return -1;
}

// The longest straight run of floor in any row or column of `board`.
std::int64_t longestRun(std::int64_t side)
{
    std::int64_t longest = 0;
    for (std::int64_t line = 0; line < side; ++line) {
        std::int64_t across = 0, down = 0;
        for (std::int64_t i = 0; i < side; ++i) {
            across = board[static_cast<std::size_t>(line * side + i)] != TileWall ? across + 1 : 0;
            down = board[static_cast<std::size_t>(i * side + line)] != TileWall ? down + 1 : 0;
            longest = std::max({longest, across, down});
        }
    }
    return longest;
}

struct Sample {
    std::vector<double> path, playerWay, floorShare, run;

    void add(std::int32_t level, const std::string& moves)
    {
        const double side = level + 2.0;
        const double shortest = 2.0 * (level + 1);
        path.push_back(static_cast<double>(moves.size()) / shortest);
        playerWay.push_back(static_cast<double>(playerWaySteps(level + 2)) / shortest);
        floorShare.push_back(100.0 * static_cast<double>(moves.size() - 1) / (side * side));
        run.push_back(static_cast<double>(longestRun(level + 2)));
    }

    Winding medians() const
    {
        return {static_cast<int>(path.size()), percentile(path, 0.5), percentile(playerWay, 0.5),
                percentile(floorShare, 0.5)};
    }
};

int seedsFor(const Options& o, std::int32_t level)
{
    return o.seeds > 0 ? o.seeds : level <= 100 ? 1000 : level <= 300 ? 200 : 30;
}

int fullSeedsFor(const Options& o, std::int32_t level)
{
    if (o.fullSeeds >= 0) {
        return o.fullSeeds;
    }
    return level < 30 || level > 100 ? 0 : level < 100 ? 200 : 100;
}

std::string figure(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", value);
    return text;
}

void measureLevel(const Options& o, std::int32_t level)
{
    const std::int64_t budget = mazeDrawBudget(level);
    Sample game;
    std::vector<double> ms, cpuMs;
    int plain = 0;
    std::string moves;
    const int seeds = seedsFor(o, level);
    for (int s = 0; s < seeds; ++s) {
        const std::clock_t cpuStart = std::clock();
        const auto start = std::chrono::steady_clock::now();
        const std::int64_t draws = generateMazeFromSeed(level, FirstSeed + s, budget, &moves);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        cpuMs.push_back(1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC);
        plain += draws <= (budget | 1) ? 1 : 0;
        game.add(level, moves);
    }
    // The full walk: the generator with a budget it hardly ever spends, which
    // is then the plain walk draw for draw.
    Sample full;
    int capped = 0;
    const int fullSeeds = fullSeedsFor(o, level);
    for (int s = 0; s < fullSeeds; ++s) {
        if (generateMazeFromSeed(level, FirstSeed + s, o.fullCap, &moves) > (o.fullCap | 1)) {
            ++capped;
        } else {
            full.add(level, moves);
        }
    }
    const Winding g = game.medians();
    std::printf("| %d | %d | %.1f %% | %.2f | %.2f | %.1f %% | %.0f | %.0f | %s | %s | %s | %s | %s | %s |", level,
                seeds, 100.0 * plain / seeds, g.path, g.playerWay, g.floorShare, percentile(game.run, 0.5),
                percentile(game.run, 1), figure(percentile(ms, 0.5)).c_str(), figure(percentile(ms, 0.99)).c_str(),
                figure(percentile(ms, 1)).c_str(), figure(percentile(cpuMs, 0.5)).c_str(),
                figure(percentile(cpuMs, 0.99)).c_str(), figure(percentile(cpuMs, 1)).c_str());
    if (fullSeeds > 0) {
        const Winding f = full.medians();
        std::printf(" %d | %d | %.2f | %.2f | %.1f %% |\n", fullSeeds, capped, f.path, f.playerWay, f.floorShare);
    } else {
        std::printf(" | | | | |\n");
    }
    std::fflush(stdout);
}

std::int64_t number(std::string_view text) { return std::strtoll(std::string(text).c_str(), nullptr, 10); }

}  // namespace

int main(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const auto value = arg.substr(std::min(arg.size(), arg.find('=') + 1));
        if (arg.starts_with("--levels=")) {
            o.levels.clear();
            for (std::size_t at = 0; at < value.size();) {
                const std::size_t comma = std::min(value.find(',', at), value.size());
                o.levels.push_back(static_cast<std::int32_t>(number(value.substr(at, comma - at))));
                at = comma + 1;
            }
        } else if (arg.starts_with("--seeds=")) {
            o.seeds = static_cast<int>(number(value));
        } else if (arg.starts_with("--full-seeds=")) {
            o.fullSeeds = static_cast<int>(number(value));
        } else if (arg.starts_with("--full-cap=")) {
            o.fullCap = number(value);
        } else {
            std::fprintf(stderr, "usage: %s [--levels=40,100] [--seeds=N] [--full-seeds=N] [--full-cap=DRAWS]\n",
                         argv[0]);
            return 2;
        }
    }
    std::printf("| level | seeds | plain walk's | path / shortest | player's way / shortest | floor | "
                "straight run: median | max | median ms | p99 ms | max ms | CPU: median ms | p99 ms | max ms | "
                "full walk: seeds | capped | path / shortest | player's way / shortest | floor |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const std::int32_t level : o.levels) {
        measureLevel(o, level);
    }
    std::printf("\n\"plain walk's\": boards the plain walk laid within its budget, the same draw for draw. "
                "\"path / shortest\": median of the path's steps over the shortest way, 2 x (level + 1); "
                "\"player's way\": the fewest steps over the floor, touching cells included; \"floor\": "
                "median share of the cells; \"straight run\": the longest run of floor in a row or a column, "
                "median and largest. \"full walk\": the walk with take-backs run to its end, on "
                "the first seeds; \"capped\": walks given up after %lld draws, left out of its medians.\n",
                static_cast<long long>(o.fullCap));
    return 0;
}
