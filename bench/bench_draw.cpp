// What a board draw costs on the real POSIX terminal layer: the bytes that go
// to the terminal, the write() calls that carry them, and the time it takes.
// The game collects its output and writes it when it is about to wait; here
// showOutput() stands for that wait, so each draw below is one frame.
//
// write() is wrapped at link time (-Wl,--wrap=write): every call the terminal
// layer makes is counted on its way to the system call. Standard output goes
// to /dev/null or to a pseudo-terminal drained by a second thread, as a
// terminal emulator would drain it; the benchmark's own report is printed
// after the output is put back.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "board/board.hpp"
#include "board/render.hpp"
#include "board/view.hpp"
#include "maze/maze.hpp"
#include "platform/platform.hpp"

namespace {

std::atomic<std::int64_t> writeCalls{0};
std::atomic<std::int64_t> bytesWritten{0};
// While boards are counted: the bytes of colour changes among them.
bool countColours = false;
std::int64_t colourBytes = 0;

// The bytes of the colour changes (ECMA-48 SGR sequences) in what was written.
std::int64_t colourChangeBytes(const char* data, std::size_t size)
{
    std::int64_t bytes = 0;
    for (std::size_t i = 0; i + 1 < size; ++i) {
        if (data[i] == '\x1b' && data[i + 1] == '[') {
            std::size_t end = i + 2;
            while (end < size && (data[end] < 0x40 || data[end] > 0x7E)) {
                ++end;
            }
            bytes += end < size && data[end] == 'm' ? static_cast<std::int64_t>(end + 1 - i) : 0;
            i = end;
        }
    }
    return bytes;
}

}  // namespace

extern "C" ssize_t __real_write(int fd, const void* data, size_t size);

// Every write() of the game's code comes here first.
extern "C" ssize_t __wrap_write(int fd, const void* data, size_t size)
{
    const ssize_t written = __real_write(fd, data, size);
    if (fd == STDOUT_FILENO) {
        ++writeCalls;
        if (written > 0) {
            bytesWritten += written;
            colourBytes +=
                countColours ? colourChangeBytes(static_cast<const char*>(data), static_cast<std::size_t>(written)) : 0;
        }
    }
    return written;
}

namespace {

constexpr std::uint32_t FirstSeed = 1'700'000'000;
// Boards per level for the byte counts: a board's bytes depend on its path.
constexpr int CountedBoards = 100;

enum class Sink { DevNull, Terminal };
enum class Draw { Fresh, Difference, Move };

// Standard output sent elsewhere for as long as this lives.
struct RedirectedOutput {
    int saved = -1;
    explicit RedirectedOutput(int fd)
    {
        std::fflush(stdout);
        saved = dup(STDOUT_FILENO);
        dup2(fd, STDOUT_FILENO);
    }
    ~RedirectedOutput()
    {
        dup2(saved, STDOUT_FILENO);
        close(saved);
    }
    RedirectedOutput(const RedirectedOutput&) = delete;
    RedirectedOutput& operator=(const RedirectedOutput&) = delete;
};

// A pseudo-terminal whose other end a thread reads as fast as it can, as a
// terminal emulator would. Its settings are the defaults: output processing on.
struct DrainedTerminal {
    int master = -1;
    int slave = -1;
    std::atomic<bool> stop{false};
    std::atomic<std::int64_t> received{0};
    std::thread reader;
    DrainedTerminal()
    {
        winsize size{};
        size.ws_col = 300;
        size.ws_row = 200;
        if (openpty(&master, &slave, nullptr, nullptr, &size) != 0) {
            std::perror("openpty");
            std::exit(1);
        }
        reader = std::thread([this] {
            char bytes[65536];
            while (!stop) {
                pollfd fd{master, POLLIN, 0};
                if (poll(&fd, 1, 10) > 0) {
                    const ssize_t got = read(master, bytes, sizeof bytes);
                    if (got > 0) {
                        received += got;
                    }
                }
            }
        });
    }
    ~DrainedTerminal()
    {
        stop = true;
        reader.join();
        close(slave);
        close(master);
    }
    DrainedTerminal(const DrainedTerminal&) = delete;
    DrainedTerminal& operator=(const DrainedTerminal&) = delete;
};

// Sets up `board` and `shownBoard` for a draw of the level.
void prepare(Draw draw, std::int32_t level, std::uint32_t seed)
{
    if (draw == Draw::Difference) {
        // The previous level, completed: its snapshot stays for the next draw,
        // whose maze is laid half a minute later.
        generateMazeFromSeed(level - 1, seed, mazeDrawBudget(level - 1));
        shownBoard = board;
        seed += 30;
    } else {
        shownBoard.clear();
    }
    generateMazeFromSeed(level, seed, mazeDrawBudget(level));
}

// One frame: the draw, then what the game does when it waits next.
void drawFrame(Draw draw, std::int32_t level)
{
    if (draw == Draw::Move) {
        // One step left from the bottom-right cell: the longest cursor moves.
        const std::int32_t last = sideLengthFor(level) - 1;
        drawBoard(level, false, last - 1, last, last, last);
    } else {
        drawBoard(level, true, 0, 0, 0, 0);
    }
    platform::showOutput();
}

struct Count {
    std::int64_t bytes = 0;
    std::int64_t writes = 0;
};

Count countFrame(Draw draw, std::int32_t level)
{
    platform::showOutput();
    const std::int64_t bytesBefore = bytesWritten;
    const std::int64_t writesBefore = writeCalls;
    drawFrame(draw, level);
    return {bytesWritten - bytesBefore, writeCalls - writesBefore};
}

const char* drawName(Draw draw)
{
    switch (draw) {
    case Draw::Fresh: return "fresh";
    case Draw::Difference: return "difference";
    case Draw::Move: return "move";
    }
    return "";
}

struct Summary {
    std::vector<std::int64_t> bytes;
    std::vector<std::int64_t> colourBytes;
    std::int64_t mostWrites = 0;
    std::int64_t frames = 0;
    std::int64_t writes = 0;
};
std::map<std::pair<int, std::int32_t>, Summary> summaries;

// Bytes and writes over many boards, each frame written to a terminal.
void countOverBoards(Draw draw, std::int32_t level, Summary& summary)
{
    DrainedTerminal terminal;
    const RedirectedOutput output(terminal.slave);
    countColours = true;
    for (int b = 0; b < CountedBoards; ++b) {
        prepare(draw, level, FirstSeed + static_cast<std::uint32_t>(b));
        const std::int64_t colourBefore = colourBytes;
        const Count count = countFrame(draw, level);
        summary.bytes.push_back(count.bytes);
        summary.colourBytes.push_back(colourBytes - colourBefore);
        summary.mostWrites = std::max(summary.mostWrites, count.writes);
        summary.writes += count.writes;
        ++summary.frames;
    }
    countColours = false;
}

void frames(benchmark::State& state, Draw draw)
{
    const auto level = static_cast<std::int32_t>(state.range(0));
    const auto sink = static_cast<Sink>(state.range(1));
    Summary& summary = summaries[{static_cast<int>(draw), level}];
    if (sink == Sink::Terminal && summary.bytes.empty()) {
        countOverBoards(draw, level, summary);
    }

    prepare(draw, level, FirstSeed);
    const int devNull = open("/dev/null", O_WRONLY);
    std::optional<DrainedTerminal> terminal;
    if (sink == Sink::Terminal) {
        terminal.emplace();
    }
    std::int64_t bytes = 0;
    std::int64_t writes = 0;
    {
        const RedirectedOutput output(terminal ? terminal->slave : devNull);
        for (auto _ : state) {
            const Count count = countFrame(draw, level);
            bytes += count.bytes;
            writes += count.writes;
            summary.mostWrites = std::max(summary.mostWrites, count.writes);
        }
    }
    terminal.reset();
    close(devNull);

    summary.frames += state.iterations();
    summary.writes += writes;
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["bytes"] = static_cast<double>(bytes) / iterations;
    state.counters["writes"] = static_cast<double>(writes) / iterations;
    state.SetLabel(sink == Sink::Terminal ? "to a pseudo-terminal" : "to /dev/null");
}

void freshDraw(benchmark::State& state) { frames(state, Draw::Fresh); }
void differenceDraw(benchmark::State& state) { frames(state, Draw::Difference); }
void moveDraw(benchmark::State& state) { frames(state, Draw::Move); }

// Levels 10 and 100, each to /dev/null (0) and to a terminal (1).
void levelsAndSinks(benchmark::internal::Benchmark* b)
{
    b->ArgsProduct({{10, 100}, {0, 1}})->MinTime(0.2)->Unit(benchmark::kMicrosecond);
}

BENCHMARK(freshDraw)->Apply(levelsAndSinks);
BENCHMARK(differenceDraw)->Apply(levelsAndSinks);
BENCHMARK(moveDraw)->Apply(levelsAndSinks);

void printTable()
{
    if (summaries.empty()) {
        return;
    }
    std::printf("\n| draw | level | bytes: min | median | max | of which colour changes, median | frames | write calls "
                "| most in a frame |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (auto& [key, s] : summaries) {
        std::sort(s.bytes.begin(), s.bytes.end());
        std::sort(s.colourBytes.begin(), s.colourBytes.end());
        if (s.bytes.empty()) {
            continue;
        }
        std::printf("| %s | %d | %lld | %lld | %lld | %lld | %lld | %lld | %lld |\n",
                    drawName(static_cast<Draw>(key.first)), key.second, static_cast<long long>(s.bytes.front()),
                    static_cast<long long>(s.bytes[s.bytes.size() / 2]), static_cast<long long>(s.bytes.back()),
                    static_cast<long long>(s.colourBytes[s.colourBytes.size() / 2]), static_cast<long long>(s.frames),
                    static_cast<long long>(s.writes), static_cast<long long>(s.mostWrites));
    }
    std::printf("\nBytes over %d boards per level (seeds %u onward), written to a "
                "pseudo-terminal; write calls over every frame drawn, timed ones included.\n\n",
                CountedBoards, FirstSeed);
}

// The keys of a shortest way from the top-left cell to the goal, over floor.
std::string wayToGoal(std::int32_t side)
{
    const auto cells = static_cast<std::int32_t>(board.size());
    std::vector<std::int32_t> from(board.size(), -1);
    std::vector<std::int32_t> queue{0};
    from[0] = 0;
    for (std::size_t next = 0; next < queue.size(); ++next) {
        const std::int32_t i = queue[next];
        for (const std::int32_t j : {i - side, i + 1, i + side, i - 1}) {
            const bool across = (j == i + 1 && j % side == 0) || (j == i - 1 && i % side == 0);
            if (j < 0 || j >= cells || across || from[static_cast<std::size_t>(j)] >= 0 ||
                board[static_cast<std::size_t>(j)] == TileWall) {
                continue;
            }
            from[static_cast<std::size_t>(j)] = i;
            if (board[static_cast<std::size_t>(j)] == TileGoal) {
                std::string keys;
                for (std::int32_t k = j; k != 0; k = from[static_cast<std::size_t>(k)]) {
                    const std::int32_t step = k - from[static_cast<std::size_t>(k)];
                    keys.insert(keys.begin(), step == 1 ? 'd' : step == -1 ? 'a' : step == side ? 's' : 'w');
                }
                return keys;
            }
            queue.push_back(j);
        }
    }
    return {};
}

// A board larger than the window: its first frame (the header and the view
// on a cleared screen), and every step along the way to the goal, as the
// level play draws them: a step that moves the view draws its cells again,
// any other its two cells; both rewrite the goal's figures that change.
void viewTable()
{
    constexpr int Boards[] = {10, 3};
    std::fprintf(
        stderr,
        "| level | window | first frame: median bytes | whole board's fresh draw | steps | scrolls | bytes per "
        "scroll: median (max) | bytes per other step: median (max) |\n|---:|---|---:|---:|---:|---:|---:|---:|\n");
    DrainedTerminal terminal;
    const RedirectedOutput output(terminal.slave);
    for (const std::int32_t level : {100, 998}) {
        for (const platform::ConsoleSize window : {platform::ConsoleSize{80, 24}, platform::ConsoleSize{200, 60}}) {
            std::vector<std::int64_t> first, whole, scrolls, others;
            const std::int32_t side = sideLengthFor(level);
            for (int b = 0; b < Boards[level == 998 ? 1 : 0]; ++b) {
                generateMazeFromSeed(level, FirstSeed + static_cast<std::uint32_t>(b), mazeDrawBudget(level));
                const std::string keys = wayToGoal(side);
                shownBoard.clear();
                platform::showOutput();
                std::int64_t before = bytesWritten;
                drawBoard(level, true, 0, 0, 0, 0);
                platform::showOutput();
                whole.push_back(bytesWritten - before);
                before = bytesWritten;
                boardView = viewAround(side, window, 0, 0);
                const auto goal = [side](std::int32_t col, std::int32_t row) {
                    return GoalDistance{side - 1 - col, side - 1 - row};
                };
                platform::clearScreen();
                drawView(level, goal(0, 0));
                moveToCell(0, 0);
                platform::showOutput();
                first.push_back(bytesWritten - before);
                std::int32_t col = 0, row = 0;
                for (const char key : keys.substr(0, keys.size() - 1)) {
                    const std::int32_t fromCol = col, fromRow = row;
                    col += (key == 'd') - (key == 'a');
                    row += (key == 's') - (key == 'w');
                    before = bytesWritten;
                    drawGoalDistance(level, goal(col, row), goal(fromCol, fromRow));
                    const View followed = viewFollowing(boardView, side, col, row);
                    const bool scrolled = followed.left != boardView.left || followed.top != boardView.top;
                    if (scrolled) {
                        boardView = followed;
                        drawViewCells(level);
                        moveToCell(col, row);
                    } else {
                        drawBoard(level, false, col, row, fromCol, fromRow);
                    }
                    platform::showOutput();
                    (scrolled ? scrolls : others).push_back(bytesWritten - before);
                }
            }
            for (std::vector<std::int64_t>* v : {&first, &whole, &scrolls, &others}) {
                std::sort(v->begin(), v->end());
            }
            const auto median = [](const std::vector<std::int64_t>& v) {
                return v.empty() ? 0LL : static_cast<long long>(v[v.size() / 2]);
            };
            const auto most = [](const std::vector<std::int64_t>& v) {
                return v.empty() ? 0LL : static_cast<long long>(v.back());
            };
            std::fprintf(stderr, "| %d | %d x %d | %lld | %lld | %zu | %zu | %lld (%lld) | %lld (%lld) |\n", level,
                         window.columns, window.lines, median(first), median(whole), scrolls.size() + others.size(),
                         scrolls.size(), median(scrolls), most(scrolls), median(others), most(others));
        }
    }
}

const bool tableAtExit = std::atexit(printTable) == 0;

}  // namespace

int main(int argc, char** argv)
{
    // --views: only the frames of boards larger than the window.
    if (argc > 1 && std::string(argv[1]) == "--views") {
        viewTable();
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    viewTable();
    return 0;
}
