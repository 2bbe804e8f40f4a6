// How the game's output looks as bytes on a terminal that speaks UTF-8 and
// ECMA-48: shared by the POSIX console and the test console, so that both
// produce the very same stream.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace text {

// Appends the UTF-8 form of one character.
void appendCodePoint(std::string& out, char32_t c);

// Appends the UTF-8 form of a wide text (UTF-16 or UTF-32, as wchar_t is).
// A lone surrogate becomes U+FFFD.
void appendUtf8(std::string& out, std::wstring_view wide);

// Cursor placement to column x, line y (both from 0).
void appendCursorMove(std::string& out, std::int16_t x, std::int16_t y);

// Home the cursor and erase the screen: what a console's clear does.
inline constexpr std::string_view ClearScreen = "\x1b[H\x1b[2J";

}  // namespace text
