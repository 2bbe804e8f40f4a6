// The cursor's bytes, and where the terminal's cursor is, followed through
// every placement, character and line break the encoder sends, and the lowest
// line that shows something: when the game ends, the cursor goes to the start
// of the line below all it drew, so that the shell's prompt never lands on the
// board. Nothing here calls the operating system.
#pragma once

#include <cstdint>
#include <string>

namespace cursor {

struct State {
    // The terminal's size in cells, 0 when not known.
    int columns = 0;
    int lines = 0;
    // Where the cursor is, counted from the top left once a cursor placement
    // has told (placed).
    int row = 0;
    int col = 0;
    bool placed = false;
    // The lowest line that shows something the game printed (-1: none).
    int lowestDrawn = -1;
};

// One character cell printed; a blank in the default background shows nothing.
void advance(State& cursor, bool visible);
// A line feed: the next line, or the screen scrolls up under the last one.
void lineFeed(State& cursor);
void carriageReturn(State& cursor);
// A cursor placement to the line and column, counted from 1; the terminal
// keeps the cursor inside.
void place(State& cursor, int line, int column);
// The whole screen erased: nothing the game printed shows any more.
void eraseScreen(State& cursor);
// Others used the screen: nothing known of it but its size, the game's next
// output starting where the cursor is.
void forget(State& cursor);

// Appends the placement (CUP) to column x, line y, both from 0 (the encoder
// sends nothing for a negative place, which a console refuses).
void appendPlacement(std::string& out, std::int16_t x, std::int16_t y);

// Appends what puts the cursor at the start of the line below everything the
// game shows.
void appendMoveBelow(const State& cursor, std::string& out);

}  // namespace cursor
