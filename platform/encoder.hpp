// What the game shows, as the bytes a terminal that speaks UTF-8 and ECMA-48
// takes: cells of a kind, plain texts, cursor placements and clears, encoded
// once for the palette and colour depth at hand. The encoder keeps track of
// the colours the terminal is in and sends a change only when the next
// character printed needs other colours, in few bytes; it follows the cursor
// on the way (platform/cursor.hpp). Shared by the POSIX console, the Windows
// console and the test console. Nothing here calls the operating system.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/cell.hpp"
#include "platform/cursor.hpp"
#include "platform/depth.hpp"
#include "platform/palette.hpp"

namespace encoder {

// The state of one terminal's output.
struct Output {
    colours::Depth depth = colours::Depth::Direct;
    colours::Palette palette = colours::Palette::Classic;
    // Each cell selects the game's own 24-bit colours and resets them after
    // itself, whatever the terminal is in: the Windows console's classic
    // palette, printed as it always was.
    bool cellByCell = false;
    // The colours the terminal is in.
    colours::ColourPair shown{};
    // The terminal's size, where its cursor is and what the game drew on it.
    cursor::State cursor{};
};

// Home the cursor and erase the screen: what a console's clear does.
inline constexpr std::string_view ClearScreen = "\x1b[H\x1b[2J";

// A plain text in the terminal's own colours, as UTF-8. Line feeds, carriage
// returns and blanks keep their meaning.
void appendText(Output& output, std::wstring_view text, std::string& out);
// One cell, two columns wide. Without colours the four kinds keep apart by
// shape: the wall a full block, the floor a light shade, the goal its bars,
// and the player a pair of brackets.
void appendCell(Output& output, platform::Cell cell, std::string& out);
// The cursor to column x, line y, both from 0; nothing for a negative place.
void appendPlacement(Output& output, std::int16_t x, std::int16_t y, std::string& out);
void appendClear(Output& output, std::string& out);

// Puts the terminal back in its own colours, if it is not already.
void resetColours(Output& output, std::string& out);

// The bytes that hand the terminal back: its own colours, and the cursor at
// the start of the line below everything the game shows.
std::string exitBytes(const Output& output);

}  // namespace encoder
