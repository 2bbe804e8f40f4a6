// The game's wide texts as UTF-8, the form a POSIX terminal and the encoder
// (platform/encoder.hpp) take them in.
#pragma once

#include <string>
#include <string_view>

namespace text {

// Appends the UTF-8 form of one character.
void appendCodePoint(std::string& out, char32_t c);

// Appends the UTF-8 form of a wide text (UTF-16 or UTF-32, as wchar_t is).
// A lone surrogate becomes U+FFFD.
void appendUtf8(std::string& out, std::wstring_view wide);

}  // namespace text
