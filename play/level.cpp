#include "play/level.hpp"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/wrap.hpp"
#include "board/board.hpp"
#include "board/render.hpp"
#include "board/view.hpp"
#include "maze/maze.hpp"
#include "platform/platform.hpp"
#include "play/input.hpp"
#include "save/record.hpp"

namespace {

constexpr std::uint16_t FullRumble = 65535;
constexpr std::int32_t RumbleMs = 1000;
constexpr std::int32_t SavedMessageMs = 3000;

// Where the player stands, tracked step by step from the top-left cell.
struct Position {
    std::int32_t col = 0;
    std::int32_t row = 0;
};

void moveToMessageLine() { platform::moveCursor(0, static_cast<std::int16_t>(viewMessageLine())); }

// A window too small for the board and for a view of it would wrap the rows,
// and every later cursor move would land in the wrong place: ask for a larger
// window and wait for it. False when the player quits meanwhile.
bool waitForRoom(std::int32_t level)
{
    const std::int32_t side = sideLengthFor(level);
    while (!windowPlays(side, platform::consoleSize())) {
        // Shown again after every change, since terminals reflow their text.
        platform::clearScreen();
        const platform::ConsoleSize needed = windowToAskFor(side);
        const std::wstring notice = L"The board of level " + std::to_wstring(level) + L" needs a window of at least " +
                                    std::to_wstring(needed.columns) + L" x " + std::to_wstring(needed.lines) +
                                    L" characters. Please enlarge the window.";
        const std::wstring_view texts[] = {notice};
        printBetweenWords(texts);
        for (;;) {
            const Input input = waitForInput(Place::Level);
            if (input.command == Command::Quit) {
                platform::printText(L"\n");
                return false;
            }
            if (input.command == Command::Redraw) {
                break;
            }
            // Everything else is dropped: a held button that steers or saves
            // must not keep us busy either (one that means nothing idled already).
            if (input.fromGamepad && input.command != Command::Other) {
                platform::idle();
            }
        }
    }
    return true;
}

// Where the goal is, found once: it never moves, and the level ends when the
// player enters it.
std::optional<Position> findGoal(std::int32_t side)
{
    const auto goal = std::find(board.begin(), board.end(), TileGoal);
    if (goal == board.end()) {
        return std::nullopt;
    }
    const auto index = static_cast<std::int32_t>(goal - board.begin());
    return Position{index % side, index / side};
}

// What the header tells of the goal while the board is larger than the window.
struct GoalShown {
    std::optional<Position> goal;
    std::optional<GoalDistance> shown;
};

std::optional<GoalDistance> distanceFrom(const GoalShown& header, Position at)
{
    if (!header.goal) {
        return std::nullopt;
    }
    return GoalDistance{header.goal->col - at.col, header.goal->row - at.row};
}

// On a cleared screen: the board around the player in the window as it is now,
// the whole of it where it fits.
void drawAround(std::int32_t level, Position at, GoalShown& header)
{
    const std::int32_t side = sideLengthFor(level);
    boardView = viewAround(side, platform::consoleSize(), at.col, at.row);
    if (showsWholeBoard(boardView, side)) {
        std::vector<std::int32_t> snapshot;
        snapshot.swap(shownBoard);
        drawBoard(level, true, 0, 0, 0, 0);
        shownBoard.swap(snapshot);
    } else {
        header.shown = distanceFrom(header, at);
        drawView(level, header.shown);
    }
    moveToCell(at.col, at.row);
}

// Shows the level again from scratch, the player where it stands, after the
// terminal changed under it. The snapshot stays as the level began.
bool redrawLevel(std::int32_t level, Position at, GoalShown& header)
{
    if (!waitForRoom(level)) {
        return false;
    }
    platform::clearScreen();
    drawAround(level, at, header);
    return true;
}

// What the level play knows of the board, kept up to date by every cell it
// writes, so that a key costs the same on any board: where the player stands
// (the first player cell at the start; -1 when there is none), and how many
// goal and wall cells there are. On every board the game plays (one player,
// on the first cell) this is exactly what searching and counting the whole
// board after each key would find.
struct Tally {
    std::ptrdiff_t player = -1;
    std::ptrdiff_t goals = 0;
    std::ptrdiff_t walls = 0;
};

Tally tallyBoard()
{
    Tally tally;
    const auto player = std::find(board.begin(), board.end(), TilePlayer);
    tally.player = player == board.end() ? -1 : player - board.begin();
    tally.goals = std::count(board.begin(), board.end(), TileGoal);
    tally.walls = std::count(board.begin(), board.end(), TileWall);
    return tally;
}

void writeCell(Tally& tally, std::int32_t& cell, std::int32_t tile)
{
    tally.goals += static_cast<int>(tile == TileGoal) - static_cast<int>(cell == TileGoal);
    tally.walls += static_cast<int>(tile == TileWall) - static_cast<int>(cell == TileWall);
    cell = tile;
}

// A step shown: the two cells, or the whole view where it has to follow the
// player, and the goal's figures that changed.
void showStep(std::int32_t level, Position at, Position from, GoalShown& header)
{
    const std::int32_t side = sideLengthFor(level);
    if (showsWholeBoard(boardView, side)) {
        drawBoard(level, false, at.col, at.row, from.col, from.row);
        return;
    }
    const std::optional<GoalDistance> distance = distanceFrom(header, at);
    if (distance && header.shown) {
        drawGoalDistance(level, *distance, *header.shown);
        header.shown = distance;
    }
    const View followed = viewFollowing(boardView, side, at.col, at.row);
    if (followed.left == boardView.left && followed.top == boardView.top) {
        drawBoard(level, false, at.col, at.row, from.col, from.row);
        return;
    }
    boardView = followed;
    drawViewCells(level);
    moveToCell(at.col, at.row);
}

void move(std::int32_t level, Command direction, Position& at, Tally& tally, bool fromGamepad, GoalShown& header)
{
    if (tally.player < 0) {
        // Only a damaged board could lack the player; then a move does nothing.
        return;
    }
    const std::int32_t side = sideLengthFor(level);
    const Position from = at;
    std::int32_t step = 0;
    switch (direction) {
    case Command::Up:
        if (at.row >= 1) {
            --at.row;
            step = -side;
        }
        break;
    case Command::Down:
        if (at.row < side - 1) {
            ++at.row;
            step = side;
        }
        break;
    case Command::Right:
        if (at.col < side - 1) {
            ++at.col;
            step = 1;
        }
        break;
    case Command::Left:
        if (at.col >= 1) {
            --at.col;
            step = -1;
        }
        break;
    default: break;
    }
    // The tracked position and the board agree on a board the game made; the
    // index check keeps a move inside `board` whatever it holds.
    const std::ptrdiff_t index = tally.player + step;
    if (index < 0 || index >= static_cast<std::ptrdiff_t>(board.size())) {
        at = from;
        step = 0;
    }
    playerCell = board.data() + tally.player;
    writeCell(tally, *playerCell, TileFloor);
    playerCell += step;
    writeCell(tally, *playerCell, TilePlayer);
    tally.player += step;
    if (fromGamepad) {
        platform::pause(GamepadPauseMs);
    }
    if (step != 0) {
        showStep(level, at, from, header);
    }
}

void save(Position at)
{
    moveToMessageLine();
    platform::printText(L"Saving Game");
    platform::showOutput();
    const bool saved = writeSaveRecord(shownBoard);
    moveToMessageLine();
    // Both messages cover "Saving Game" exactly; the return sends the blanks
    // that follow to the start of the line.
    platform::printText(saved ? L"Saved Game \r" : L"Save Failed\r");
    platform::pause(SavedMessageMs);
    platform::printText(saved ? L"          " : L"           ");
    moveToCell(at.col, at.row);
}

LevelOutcome die(bool fromGamepad)
{
    if (fromGamepad) {
        platform::setRumble(FullRumble, FullRumble);
        platform::pause(RumbleMs);
        platform::setRumble(0, 0);
    }
    moveToMessageLine();
    shownBoard.clear();
    return LevelDied;
}

}  // namespace

LevelOutcome playLevel(std::int32_t level, bool resumed)
{
    if (!resumed) {
        generateMaze(level);
    }
    // Whatever changed before now is covered by this draw.
    platform::takeConsoleChange();
    const std::int32_t side = sideLengthFor(level);
    // The previous level's whole board is what a draw by difference builds on.
    const bool viewOnScreen = !shownBoard.empty() && boardView.columns > 0 && !showsWholeBoard(boardView, side - 1);
    const bool cleared = !windowPlays(side, platform::consoleSize()) || viewOnScreen;
    if (cleared) {
        if (!waitForRoom(level)) {
            return LevelQuit;
        }
        // The screen was cleared for the notice, or shows a part of the last
        // board: nothing to draw over.
        platform::clearScreen();
        shownBoard.clear();
    }
    GoalShown header{findGoal(side), std::nullopt};
    Position at;
    // The cursor would rest on the player's left half.
    platform::showCursor(false);
    boardView = viewAround(side, platform::consoleSize(), at.col, at.row);
    if (showsWholeBoard(boardView, side)) {
        drawBoard(level, true, 0, 0, 0, 0);
    } else {
        if (!cleared) {
            platform::clearScreen();
        }
        drawAround(level, at, header);
    }
    shownBoard = board;
    Tally tally = tallyBoard();
    const std::ptrdiff_t walls = tally.walls;

    for (;;) {
        const Input input = waitForInput(Place::Level);
        switch (input.command) {
        case Command::Up:
        case Command::Down:
        case Command::Right:
        case Command::Left: move(level, input.command, at, tally, input.fromGamepad, header); break;
        case Command::Save: save(at); break;
        case Command::Quit: moveToMessageLine(); return LevelQuit;
        case Command::Redraw:
            if (!redrawLevel(level, at, header)) {
                return LevelQuit;
            }
            continue;
        default: break;
        }
        // The goal is gone once the player stands on it; a wall, likewise.
        if (tally.goals == 0) {
            return LevelCompleted;
        }
        if (tally.walls != walls) {
            return die(input.fromGamepad);
        }
    }
}
