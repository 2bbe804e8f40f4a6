// The stream rewriter: the terminal writer feeds every byte it is given
// through here. The game's texts select colours with ECMA-48 SGR sequences
// (0, 38;2;r;g;b, 48;2;r;g;b); the rewriter keeps track of the colours the
// terminal is in and sends a change only when the next character printed
// needs other colours, in the depth the terminal takes and in few bytes. On
// the way it follows the cursor (platform/cursor.hpp). Nothing here calls the
// operating system.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/cursor.hpp"
#include "platform/depth.hpp"
#include "platform/palette.hpp"

namespace colours {

// The state of one terminal's output.
struct Writer {
    Depth depth = Depth::Direct;
    Palette palette = Palette::Classic;
    // The colours the texts asked for, and the same in the terminal's terms.
    std::optional<Rgb> fg{};
    std::optional<Rgb> bg{};
    ColourPair wanted{};
    // The colours the terminal is in.
    ColourPair shown{};
    // An escape sequence whose end has not come yet.
    std::string sequence{};
    // The terminal's size, where its cursor is and what the game drew on it.
    cursor::State cursor{};
    // Without colours the player is a pair of brackets: the left one was the
    // last character printed.
    bool playerOpened = false;
};

// Appends to `out` what the terminal needs to show the bytes of `plain` as
// they describe the screen. With Palette::None no colour is sent; the cells'
// blocks take shapes of their own instead (see shapeOf).
void writeLean(Writer& writer, std::string_view plain, std::string& out);

// Puts the terminal back in its own colours, if it is not already; what the
// texts asked for stays in force for what is printed next.
void resetColours(Writer& writer, std::string& out);

// The bytes that hand the terminal back: its own colours, and the cursor at
// the start of the line below everything the game shows.
std::string exitBytes(const Writer& writer);

}  // namespace colours
