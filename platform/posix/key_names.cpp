#include "platform/posix/key_names.hpp"

namespace keys {

namespace {

constexpr Code extended(int code) { return {KeyPrefixExtended, code}; }
constexpr Code functionKey(int number) { return {KeyPrefixFunction, KeyF1 + number - 1}; }

// Final letters shared by ESC [ and ESC O (and ESC [ 1 ; m x with modifiers).
std::optional<Code> letterKey(char final)
{
    switch (final) {
    case 'A': return extended(KeyUp);
    case 'B': return extended(KeyDown);
    case 'C': return extended(KeyRight);
    case 'D': return extended(KeyLeft);
    case 'H': return extended(KeyHome);
    case 'F': return extended(KeyEnd);
    case 'P': return functionKey(1);
    case 'Q': return functionKey(2);
    case 'R': return functionKey(3);
    case 'S': return functionKey(4);
    default: return std::nullopt;
    }
}

// ESC [ n ~ (with or without modifiers after the number).
std::optional<Code> tildeKey(int number)
{
    switch (number) {
    case 1:
    case 7: return extended(KeyHome);
    case 4:
    case 8: return extended(KeyEnd);
    case 2: return extended(KeyInsert);
    case 3: return extended(KeyDelete);
    case 5: return extended(KeyPageUp);
    case 6: return extended(KeyPageDown);
    case 11: return functionKey(1);
    case 12: return functionKey(2);
    case 13: return functionKey(3);
    case 14: return functionKey(4);
    case 15: return functionKey(5);
    case 17: return functionKey(6);
    case 18: return functionKey(7);
    case 19: return functionKey(8);
    case 20: return functionKey(9);
    case 21: return functionKey(10);
    case 23: return extended(KeyF11);
    case 24: return extended(KeyF12);
    default: return std::nullopt;
    }
}

}  // namespace

// A control sequence ESC [ params final; final is 0 where the sequence was
// broken off or cut short. The terminal's replies and reports carry a private
// marker (ESC [ ? 1 ; 2 c, an SGR mouse report ESC [ < 0 ; 3 ; 4 M) or an
// intermediate byte (ESC [ ? 1 ; 2 $ y), and urxvt reports the mouse as
// ESC [ 32 ; 3 ; 4 M: none of them is a key, and none gives a code.
Key controlSequenceKey(std::string_view params, char final)
{
    const bool privateMarker = !params.empty() && params[0] >= '<' && params[0] <= '?';
    const bool intermediate = params.find_first_of(" !\"#$%&'()*+,-./") != std::string_view::npos;
    if (privateMarker || intermediate || final == 'M' || final == 'm') {
        return std::nullopt;
    }
    int first = 0;
    bool any = false;
    for (const char c : params) {
        if (c == ';' || c == ':') {
            break;
        }
        if (c < '0' || c > '9' || first > 1000) {
            return Unknown;
        }
        first = first * 10 + (c - '0');
        any = true;
    }
    if (final == '~') {
        return any ? tildeKey(first).value_or(Unknown) : Unknown;
    }
    // Letters take no number but 1 (ESC [ 1 ; 5 A is Ctrl+Up).
    if (any && first != 1) {
        return Unknown;
    }
    return letterKey(final).value_or(Unknown);
}

// Some terminals put a modifier between ESC O and the letter, as ESC O 2 P or
// ESC O 1 ; 2 P for Shift+F1. The letter alone names the key.
Key letterSequenceKey(std::string_view, char final) { return letterKey(final).value_or(Unknown); }

Code linuxFunctionKey(char final) { return final >= 'A' && final <= 'E' ? functionKey(1 + (final - 'A')) : Unknown; }

}  // namespace keys
