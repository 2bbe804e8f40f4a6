#include "platform/posix/keys.hpp"

#include <cstddef>
#include <optional>
#include <string_view>

namespace keys {

namespace {

constexpr unsigned char Esc = 0x1B;
// Longer than any key's sequence: such a run is consumed as one unknown key so
// that a stream of garbage cannot grow the buffer.
constexpr std::size_t LongestSequence = 32;

struct Code {
    int prefix;
    int code;
};
constexpr Code Unknown{0, 0};

constexpr std::string_view MouseReportStart = "\x1b[M";
constexpr std::size_t MouseReportLength = 6;

// Final letters shared by ESC [ and ESC O (and ESC [ 1 ; m x with modifiers).
std::optional<Code> letterKey(char final)
{
    switch (final) {
    case 'A': return Code{224, 72};
    case 'B': return Code{224, 80};
    case 'C': return Code{224, 77};
    case 'D': return Code{224, 75};
    case 'H': return Code{224, 71};
    case 'F': return Code{224, 79};
    case 'P': return Code{0, 59};
    case 'Q': return Code{0, 60};
    case 'R': return Code{0, 61};
    case 'S': return Code{0, 62};
    default: return std::nullopt;
    }
}

// ESC [ n ~ (with or without modifiers after the number).
std::optional<Code> tildeKey(int number)
{
    switch (number) {
    case 1:
    case 7: return Code{224, 71};
    case 4:
    case 8: return Code{224, 79};
    case 2: return Code{224, 82};
    case 3: return Code{224, 83};
    case 5: return Code{224, 73};
    case 6: return Code{224, 81};
    case 11: return Code{0, 59};
    case 12: return Code{0, 60};
    case 13: return Code{0, 61};
    case 14: return Code{0, 62};
    case 15: return Code{0, 63};
    case 17: return Code{0, 64};
    case 18: return Code{0, 65};
    case 19: return Code{0, 66};
    case 20: return Code{0, 67};
    case 21: return Code{0, 68};
    case 23: return Code{224, 133};
    case 24: return Code{224, 134};
    default: return std::nullopt;
    }
}

// A control sequence ESC [ params final, params and final already split.
Code controlSequenceKey(std::string_view params, char final)
{
    // Private sequences (ESC [ ? ..., ESC [ < ... for mouse reports) are no keys.
    if (!params.empty() && (params[0] < '0' || params[0] > ';')) {
        return Unknown;
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

void push(std::deque<int>& codes, Code code)
{
    codes.push_back(code.prefix);
    codes.push_back(code.code);
}

// Finds the end of a sequence whose parameters start after its first two
// bytes and names its key with keyFor(parameters, final byte). Returns how many
// bytes it takes, or 0 when it is not complete yet.
template <typename KeyFor>
std::size_t decodeSequence(std::string_view pending, std::deque<int>& codes, KeyFor keyFor)
{
    for (std::size_t i = 2; i < pending.size(); ++i) {
        const auto c = static_cast<unsigned char>(pending[i]);
        if (c >= 0x40 && c <= 0x7E) {
            push(codes, keyFor(pending.substr(2, i - 2), static_cast<char>(c)));
            return i + 1;
        }
        if (c < 0x20) {
            // Broken off by a control byte (or a new Esc): drop what was read
            // of the sequence and decode that byte on its own.
            push(codes, Unknown);
            return i;
        }
        if (c > 0x3F || i + 1 >= LongestSequence) {
            push(codes, Unknown);
            return i + 1;
        }
    }
    return 0;
}

// ESC O and a letter; some terminals put a modifier in between, as ESC O 2 P
// or ESC O 1 ; 2 P for Shift+F1. The letter alone names the key.
Code letterSequenceKey(std::string_view, char final) { return letterKey(final).value_or(Unknown); }

// The Linux console sends F1 to F5 as ESC [ [ A to E.
std::size_t decodeLinuxFunctionKey(std::string_view pending, std::deque<int>& codes)
{
    if (pending.size() < 4) {
        return 0;
    }
    const char final = pending[3];
    if (static_cast<unsigned char>(final) < 0x20) {
        push(codes, Unknown);
        return 3;
    }
    push(codes, final >= 'A' && final <= 'E' ? Code{0, 59 + (final - 'A')} : Unknown);
    return 4;
}

// A mouse click or move reported the old X10 way, ESC [ M and three bytes
// (button, column, line, each offset by 32), comes when another program left
// the terminal's mouse tracking on. It is no key: those bytes, read as keys,
// would be letters such as 'q'. xterm reports a column or line past 223 as
// NUL; any other control byte or a new Esc breaks the report off, and is decoded on its own.
// Returns how many bytes it takes, or 0 when it is not complete yet.
std::size_t dropMouseReport(std::string_view pending)
{
    for (std::size_t i = MouseReportStart.size(); i < MouseReportLength; ++i) {
        if (i >= pending.size()) {
            return 0;
        }
        const auto c = static_cast<unsigned char>(pending[i]);
        if (c != 0 && c < 0x20) {
            return i;
        }
    }
    return MouseReportLength;
}

// Decodes the escape sequence at the front of pending. Returns how many bytes
// it takes, or 0 when it is not complete yet.
std::size_t decodeEscape(std::string_view pending, std::deque<int>& codes)
{
    if (pending.size() < 2) {
        return 0;
    }
    const char kind = pending[1];
    if (kind == 'O') {
        return decodeSequence(pending, codes, letterSequenceKey);
    }
    if (kind != '[') {
        // Esc followed by a key that starts no sequence (Alt+key sends this):
        // the Esc key, then the key after it is decoded on its own.
        codes.push_back(27);
        return 1;
    }
    if (pending.size() >= 3 && pending[2] == '[') {
        return decodeLinuxFunctionKey(pending, codes);
    }
    if (pending.starts_with(MouseReportStart)) {
        return dropMouseReport(pending);
    }
    return decodeSequence(pending, codes, controlSequenceKey);
}

// Length of the UTF-8 character that starts with this byte, or 1 for a byte
// that starts none.
std::size_t utf8Length(unsigned char lead)
{
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1;
}

// Whether a decoded value is a character that UTF-8 may carry in this many
// bytes: none in more bytes than it needs (C1 B1 would be a 'q' in disguise),
// no surrogate halves, nothing past the last code point.
bool validCharacter(char32_t value, std::size_t length)
{
    constexpr char32_t SmallestOfLength[] = {0, 0, 0x80, 0x800, 0x10000};
    return value >= SmallestOfLength[length] && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
}

// One code for a character outside ASCII, as a console gives one code for it:
// its Latin-1 value where it has one, otherwise '?', the console's own stand-in,
// which also stands for a malformed character.
std::size_t decodeNonAscii(std::string_view pending, std::deque<int>& codes)
{
    const auto lead = static_cast<unsigned char>(pending[0]);
    const std::size_t length = utf8Length(lead);
    if (length == 1) {
        codes.push_back('?');
        return 1;
    }
    char32_t value = lead & (0xFF >> (length + 1));
    for (std::size_t i = 1; i < length; ++i) {
        if (i >= pending.size()) {
            return 0;
        }
        const auto c = static_cast<unsigned char>(pending[i]);
        if ((c & 0xC0) != 0x80) {
            codes.push_back('?');
            return i;
        }
        value = (value << 6) | (c & 0x3F);
    }
    codes.push_back(validCharacter(value, length) && value <= 0xFF ? static_cast<int>(value) : '?');
    return length;
}

std::size_t decodeOne(std::string_view pending, std::deque<int>& codes)
{
    const auto c = static_cast<unsigned char>(pending[0]);
    if (c == Esc) {
        return decodeEscape(pending, codes);
    }
    if (c >= 0x80) {
        return decodeNonAscii(pending, codes);
    }
    // Terminals send DEL for Backspace; the console's code is 8.
    codes.push_back(c == 0x7F ? 8 : c);
    return 1;
}

}  // namespace

void decodeKeys(std::string& pending, std::deque<int>& codes)
{
    std::size_t start = 0;
    while (start < pending.size()) {
        const std::size_t used = decodeOne(std::string_view(pending).substr(start), codes);
        if (used == 0) {
            break;
        }
        start += used;
    }
    pending.erase(0, start);
}

void decodeRest(std::string& pending, std::deque<int>& codes)
{
    decodeKeys(pending, codes);
    // The start of a mouse report is no key either.
    if (pending.empty() || pending.starts_with(MouseReportStart)) {
        pending.clear();
        return;
    }
    if (static_cast<unsigned char>(pending[0]) == Esc) {
        if (pending.size() == 1) {
            codes.push_back(27);
        } else {
            push(codes, Unknown);
        }
    } else {
        codes.push_back('?');  // a UTF-8 character cut short
    }
    pending.clear();
}

}  // namespace keys
