// What the terminfo entry of a terminal type says about its colours and its
// cursor.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace terminfo {

// The most bytes civis or cnorm may take: the output keeps them where a signal
// handler finds them, in room of this size.
constexpr std::size_t LongestCursorSequence = 32;

struct Capabilities {
    // The RGB or Tc flag, or a setrgbf string: 24-bit colour.
    bool direct = false;
    // The number of colours, 0 when the entry names none.
    int colours = 0;
    // The cursor can be put anywhere (cup): the game draws nothing without it.
    bool cursorAddressing = false;
    // civis and cnorm, without padding; empty where the entry has none. Where
    // either is longer than LongestCursorSequence, both are the standard
    // sequences instead: cut short, cnorm would leave the cursor hidden.
    std::string hideCursor{};
    std::string showCursor{};
};

// Nothing when there is no entry for the type (or no type).
std::optional<Capabilities> capabilities(const char* term);

}  // namespace terminfo
