#include "platform/encoder.hpp"

#include <array>
#include <charconv>

#include "platform/utf8.hpp"

namespace encoder {

using colours::ColourPair;
using colours::DefaultColour;
using colours::Depth;
using colours::Palette;

namespace {

// Decimal digits of a colour component or palette index.
std::size_t digits(int n) { return n < 10 ? 1 : n < 100 ? 2 : 3; }

// The SGR parameters that select one colour (without the separators).
std::size_t partLength(Depth depth, int colour)
{
    if (colour == DefaultColour || depth == Depth::Basic) {
        return 2;
    }
    if (depth == Depth::Palette) {
        return 5 + digits(colour);
    }
    return 7 + digits(colour >> 16) + digits((colour >> 8) & 0xFF) + digits(colour & 0xFF);
}

void appendNumber(std::string& out, int n)
{
    std::array<char, 4> buffer{};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), n).ptr;
    out.append(buffer.data(), end);
}

void appendPart(std::string& out, Depth depth, int colour, bool background)
{
    if (colour == DefaultColour) {
        out += background ? "49" : "39";
    } else if (depth == Depth::Basic) {
        out += background ? '4' : '3';
        out += static_cast<char>('0' + colour);
    } else if (depth == Depth::Palette) {
        out += background ? "48;5;" : "38;5;";
        appendNumber(out, colour);
    } else {
        out += background ? "48;2;" : "38;2;";
        appendNumber(out, colour >> 16);
        out += ';';
        appendNumber(out, (colour >> 8) & 0xFF);
        out += ';';
        appendNumber(out, colour & 0xFF);
    }
}

// Brings the terminal to the target colours in the fewest bytes: either the
// colours that differ, or a reset followed by those that are not the default.
// Where only the background shows (a space, a line break, an erase), the
// foreground may be left as it is or reset, whichever is shorter.
void change(Output& w, ColourPair target, bool foregroundShows, std::string& out)
{
    const bool fg = foregroundShows && target.fg != w.shown.fg;
    const bool bg = target.bg != w.shown.bg;
    const std::size_t onlyChanges =
        (fg ? partLength(w.depth, target.fg) : 0) + (bg ? partLength(w.depth, target.bg) : 0) + (fg && bg ? 1 : 0);
    const int resetFg = foregroundShows ? target.fg : DefaultColour;
    const bool keepFg = resetFg != DefaultColour;
    const bool keepBg = target.bg != DefaultColour;
    const std::size_t afterReset = (keepFg || keepBg ? 1 : 0) + (keepFg ? 1 + partLength(w.depth, resetFg) : 0) +
                                   (keepBg ? 1 + partLength(w.depth, target.bg) : 0);
    out += "\x1b[";
    if (onlyChanges <= afterReset) {
        if (fg) {
            appendPart(out, w.depth, target.fg, false);
            w.shown.fg = target.fg;
        }
        if (bg) {
            out += fg ? ";" : "";
            appendPart(out, w.depth, target.bg, true);
        }
    } else {
        out += keepFg || keepBg ? "0" : "";
        if (keepFg) {
            out += ';';
            appendPart(out, w.depth, resetFg, false);
        }
        if (keepBg) {
            out += ';';
            appendPart(out, w.depth, target.bg, true);
        }
        w.shown.fg = resetFg;
    }
    out += 'm';
    w.shown.bg = target.bg;
}

// Before a character that shows its foreground: the colours it is printed in.
void showColours(Output& w, ColourPair wanted, std::string& out)
{
    if (w.shown != wanted) {
        change(w, wanted, true, out);
    }
}

// Before a blank, a line that scrolls in or an erase, where only the
// background shows: the terminal's own.
void showDefaultBackground(Output& w, std::string& out)
{
    if (w.shown.bg != DefaultColour) {
        change(w, ColourPair{}, false, out);
    }
}

// The characters of a cell, two columns.
std::string_view shapeOf(Palette palette, platform::Cell cell)
{
    constexpr std::string_view Block = "\u2588\u2588";
    switch (cell) {
    case platform::Cell::Goal: return "\u25ac\u25ac";
    case platform::Cell::Floor: return palette == Palette::None ? "\u2591\u2591" : Block;
    case platform::Cell::Player: return palette == Palette::None ? "[]" : Block;
    case platform::Cell::Wall: break;
    }
    return Block;
}

void appendRgb(std::string& out, std::optional<colours::Rgb> rgb, bool background)
{
    if (rgb) {
        out += background ? "\x1b[48;2;" : "\x1b[38;2;";
        appendNumber(out, rgb->r);
        out += ';';
        appendNumber(out, rgb->g);
        out += ';';
        appendNumber(out, rgb->b);
        out += 'm';
    }
}

}  // namespace

void appendText(Output& output, std::wstring_view text, std::string& out)
{
    std::string plain;
    text::appendUtf8(plain, text);
    for (const char c : plain) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80 && u < 0xC0) {
            // The rest of a character already counted.
        } else if (u > 0x20 && u != 0x7F) {
            showColours(output, ColourPair{}, out);
            cursor::advance(output.cursor, true);
        } else if (u == ' ' || u == '\n') {
            // A blank, and a line that scrolls in, take the current background.
            showDefaultBackground(output, out);
            u == ' ' ? cursor::advance(output.cursor, false) : cursor::lineFeed(output.cursor);
        } else if (u == '\r') {
            cursor::carriageReturn(output.cursor);
        }
        out += c;
    }
}

void appendCell(Output& output, platform::Cell cell, std::string& out)
{
    if (output.cellByCell && output.palette == Palette::Classic) {
        const colours::CellRgb rgb = colours::classicRgb(cell);
        appendRgb(out, rgb.bg, true);
        appendRgb(out, rgb.fg, false);
        out += shapeOf(output.palette, cell);
        out += rgb.fg || rgb.bg ? "\x1b[0m" : "";
    } else {
        showColours(output, colours::cellColours(output.palette, output.depth, cell), out);
        out += shapeOf(output.palette, cell);
    }
    cursor::advance(output.cursor, true);
    cursor::advance(output.cursor, true);
}

void appendPlacement(Output& output, std::int16_t x, std::int16_t y, std::string& out)
{
    if (x >= 0 && y >= 0) {
        cursor::appendPlacement(out, x, y);
        cursor::place(output.cursor, y + 1, x + 1);
    }
}

void appendClear(Output& output, std::string& out)
{
    const std::string_view home = ClearScreen.substr(0, 3);
    out += home;
    cursor::place(output.cursor, 1, 1);
    // Erased cells take the current background.
    showDefaultBackground(output, out);
    out += ClearScreen.substr(home.size());
    cursor::eraseScreen(output.cursor);
}

void resetColours(Output& output, std::string& out)
{
    if (output.shown != ColourPair{}) {
        out += "\x1b[m";
        output.shown = {};
    }
}

std::string exitBytes(const Output& output)
{
    // Without colour the terminal never left its own.
    std::string out = output.palette == Palette::None ? "" : "\x1b[m";
    cursor::appendMoveBelow(output.cursor, out);
    return out;
}

}  // namespace encoder
