// How long laying a maze takes, over 1000 seeds per level up to level 100 and
// 50 above: median, 99th percentile and slowest, for the generator and, up to
// level 100, for the walk written out plainly (which rescans the board at
// every draw and has no budget). Prints a table at the end.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "board/board.hpp"
#include "maze/maze.hpp"
#include "tests/support/plain_walk.hpp"

namespace {

// Seeds as the calendar would give them, one second apart.
constexpr std::uint32_t FirstSeed = 1'700'000'000;
constexpr int Seeds = 1000;
// Above level 100 a board takes up to a second or so.
constexpr int SeedsLarge = 50;
// The plain walk's draws cost time in proportion to the cells and some of its
// walks take billions of them: on the large boards it gets fewer seeds, and
// every walk gives up after this many draws.
constexpr std::int64_t PlainDrawCap = 1'000'000;
constexpr int PlainSeedsLarge = 20;

struct Figures {
    int seeds = 0;
    int unfinished = 0;
    // Plain walks that needed more draws than the generator's budget: for
    // these seeds the generator starts over and lays another board.
    int overBudget = 0;
    // The generator's boards laid by a leaning walk, its plain walk having
    // spent the budget; and the median length of the path over the shortest.
    int leaned = 0;
    double pathRatio = 0;
    double medianMs = 0;
    double p99Ms = 0;
    double maxMs = 0;
    // The same in processor time, which the other work on a shared machine
    // disturbs far less than the time on the clock.
    double cpuMedianMs = 0;
    double cpuP99Ms = 0;
    double cpuMaxMs = 0;
};

std::map<std::int32_t, Figures> generatorFigures;
std::map<std::int32_t, Figures> plainFigures;

// Nearest-rank percentile; walks that gave up count as slower than any other,
// and a figure that falls on one of them is negative.
double percentile(const std::vector<double>& sortedMs, int unfinished, double p)
{
    const auto total = static_cast<double>(sortedMs.size()) + unfinished;
    const auto rank = static_cast<std::size_t>(std::max(1.0, std::ceil(p * total)));
    return rank <= sortedMs.size() ? sortedMs[rank - 1] : -1.0;
}

Figures summarise(std::vector<double> ms, int unfinished)
{
    std::sort(ms.begin(), ms.end());
    Figures f;
    f.seeds = static_cast<int>(ms.size()) + unfinished;
    f.unfinished = unfinished;
    f.medianMs = percentile(ms, unfinished, 0.5);
    f.p99Ms = percentile(ms, unfinished, 0.99);
    f.maxMs = percentile(ms, unfinished, 1.0);
    return f;
}

void report(benchmark::State& state, const Figures& f)
{
    state.counters["median_ms"] = f.medianMs;
    state.counters["p99_ms"] = f.p99Ms;
    state.counters["max_ms"] = f.maxMs;
    state.counters["seeds"] = f.seeds;
}

double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

void generator(benchmark::State& state)
{
    const auto level = static_cast<std::int32_t>(state.range(0));
    const int seeds = level <= 100 ? Seeds : SeedsLarge;
    std::vector<double> ms;
    std::vector<double> cpuMs;
    std::vector<double> ratios;
    std::string path;
    int leaned = 0;
    for (auto _ : state) {
        ms.clear();
        cpuMs.clear();
        ratios.clear();
        leaned = 0;
        for (int s = 0; s < seeds; ++s) {
            const std::clock_t cpuStart = std::clock();
            const auto start = std::chrono::steady_clock::now();
            const std::int64_t draws =
                generateMazeFromSeed(level, FirstSeed + s, mazeDrawBudget(level), &path);
            ms.push_back(msSince(start));
            cpuMs.push_back(1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC);
            benchmark::DoNotOptimize(board.data());
            leaned += draws > (mazeDrawBudget(level) | 1) ? 1 : 0;
            ratios.push_back(static_cast<double>(path.size()) / (2.0 * (level + 1)));
        }
    }
    std::sort(ratios.begin(), ratios.end());
    generatorFigures[level] = summarise(ms, 0);
    const Figures cpu = summarise(cpuMs, 0);
    generatorFigures[level].cpuMedianMs = cpu.medianMs;
    generatorFigures[level].cpuP99Ms = cpu.p99Ms;
    generatorFigures[level].cpuMaxMs = cpu.maxMs;
    generatorFigures[level].leaned = leaned;
    generatorFigures[level].pathRatio = percentile(ratios, 0, 0.5);
    report(state, generatorFigures[level]);
    state.counters["leaned"] = leaned;
}

void plainWalk(benchmark::State& state)
{
    const auto level = static_cast<std::int32_t>(state.range(0));
    const int seeds = level <= 30 ? Seeds : PlainSeedsLarge;
    std::vector<double> ms;
    std::vector<std::int32_t> cells;
    int unfinished = 0;
    int overBudget = 0;
    for (auto _ : state) {
        ms.clear();
        unfinished = 0;
        overBudget = 0;
        for (int s = 0; s < seeds; ++s) {
            const auto start = std::chrono::steady_clock::now();
            std::srand(FirstSeed + s);
            const plainwalk::Outcome outcome = plainwalk::walk(cells, level, PlainDrawCap);
            if (outcome.finished) {
                ms.push_back(msSince(start));
            } else {
                ++unfinished;
            }
            overBudget += !outcome.finished || outcome.draws > mazeDrawBudget(level) ? 1 : 0;
            benchmark::DoNotOptimize(cells.data());
        }
    }
    plainFigures[level] = summarise(ms, unfinished);
    plainFigures[level].overBudget = overBudget;
    report(state, plainFigures[level]);
    state.counters["unfinished"] = unfinished;
    state.counters["over_budget"] = overBudget;
}

constexpr std::int32_t Levels[] = {1, 10, 30, 100, 300, 600, 999};

BENCHMARK(generator)->Arg(1)->Arg(10)->Arg(30)->Arg(100)->Arg(300)->Arg(600)->Arg(999)->Iterations(1)->Unit(
    benchmark::kMillisecond);
// Above level 100 each of its draws scans a board of 90,000 cells or more, and
// nearly every walk would give up: hours for nothing.
BENCHMARK(plainWalk)->Arg(1)->Arg(10)->Arg(30)->Arg(100)->Iterations(1)->Unit(
    benchmark::kMillisecond);

std::string figure(double ms)
{
    char text[32];
    if (ms < 0) {
        return "unfinished";
    }
    std::snprintf(text, sizeof text, "%.3g", ms);
    return text;
}

void printTable()
{
    if (generatorFigures.empty()) {
        return;
    }
    std::printf("\n| level | seeds | leaned | path / shortest | median ms | p99 ms | max ms | "
                "CPU: median ms | p99 ms | max ms | plain walk: seeds | unfinished | over budget | "
                "median ms | p99 ms | max ms |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const std::int32_t level : Levels) {
        if (generatorFigures.count(level) == 0) {
            continue;
        }
        const Figures& g = generatorFigures[level];
        std::printf("| %d | %d | %d | %.2f | %s | %s | %s | %s | %s | %s |", level, g.seeds, g.leaned,
                    g.pathRatio, figure(g.medianMs).c_str(), figure(g.p99Ms).c_str(),
                    figure(g.maxMs).c_str(), figure(g.cpuMedianMs).c_str(),
                    figure(g.cpuP99Ms).c_str(), figure(g.cpuMaxMs).c_str());
        if (plainFigures.count(level) != 0) {
            const Figures& p = plainFigures[level];
            std::printf(" %d | %d | %d | %s | %s | %s |", p.seeds, p.unfinished, p.overBudget,
                        figure(p.medianMs).c_str(), figure(p.p99Ms).c_str(),
                        figure(p.maxMs).c_str());
        } else {
            std::printf(" | | | | | |");
        }
        std::printf("\n");
    }
    std::printf("\nThe plain walk gives up after %lld draws; \"unfinished\" marks a figure that "
                "falls on a walk that gave up. \"over budget\": seeds whose plain walk needs "
                "more draws than the generator's budget, so the generator lays another board. "
                "\"leaned\": boards the generator laid by a leaning walk. \"path / shortest\": "
                "the median length of the path over the shortest way, 2 x (level + 1). \"CPU\": "
                "the generator's processor time.\n",
                static_cast<long long>(PlainDrawCap));
}

// The table comes once every benchmark has run, when the program ends (before
// the figures it reads are destroyed, which were made earlier).
const bool tableAtExit = std::atexit(printTable) == 0;

}  // namespace

BENCHMARK_MAIN();
