#include "platform/cursor.hpp"

#include <algorithm>

namespace cursor {

void lineFeed(State& c)
{
    c.col = 0;
    if (c.lines > 0 && c.row >= c.lines - 1) {
        // The screen scrolls up under the cursor.
        c.lowestDrawn = std::max(c.lowestDrawn - 1, -1);
    } else {
        ++c.row;
    }
}

void advance(State& c, bool visible)
{
    if (c.columns > 0 && c.col >= c.columns) {
        lineFeed(c);
    }
    if (visible) {
        c.lowestDrawn = std::max(c.lowestDrawn, c.row);
    }
    ++c.col;
}

void carriageReturn(State& c) { c.col = 0; }

void place(State& c, int line, int column)
{
    const int lastRow = c.lines > 0 ? c.lines - 1 : 9998;
    const int lastCol = c.columns > 0 ? c.columns - 1 : 9998;
    // The terminal keeps a place beyond its edge on its last line or column.
    c.row = std::min(line, lastRow + 1) - 1;
    c.col = std::min(column, lastCol + 1) - 1;
    c.placed = true;
}

void eraseScreen(State& c) { c.lowestDrawn = -1; }

void forget(State& c) { c = State{c.columns, c.lines}; }

void appendPlacement(std::string& out, std::int16_t x, std::int16_t y)
{
    // ECMA-48 counts lines and columns from 1.
    out += "\x1b[";
    out += std::to_string(y + 1);
    out += ';';
    out += std::to_string(x + 1);
    out += 'H';
}

void appendMoveBelow(const State& c, std::string& out)
{
    if (!c.placed) {
        // Only text so far, from where the game began: a new line unless the
        // cursor already starts one.
        out += c.col > 0 ? "\r\n" : "";
        return;
    }
    const int below = c.lowestDrawn + 1;
    if (c.lines > 0 && below >= c.lines) {
        appendPlacement(out, 0, static_cast<std::int16_t>(c.lines - 1));
        out += '\n';
    } else {
        appendPlacement(out, 0, static_cast<std::int16_t>(std::min(below, 9999)));
    }
}

}  // namespace cursor
