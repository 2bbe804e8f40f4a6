#include "platform/posix/keys.hpp"

#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/key_codes.hpp"

namespace keys {

namespace {

constexpr unsigned char Esc = 0x1B;
constexpr unsigned char Bell = 0x07;
// Longer than any key's sequence: a sequence that runs this long before its
// final byte is no key, and is dropped whole. Of an unfinished one no more is
// kept, so that a stream of garbage cannot grow the buffer.
constexpr std::size_t LongestSequence = 32;

struct Code {
    int prefix;
    int code;
};
constexpr Code Unknown{KeyPrefixFunction, KeyUnknown};
// Nothing: a sequence that is no key at all, but a reply or a report.
using Key = std::optional<Code>;

constexpr std::string_view MouseReportStart = "\x1b[M";
constexpr std::string_view LinuxFunctionKeyStart = "\x1b[[";

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

// ESC O and a letter; some terminals put a modifier in between, as ESC O 2 P
// or ESC O 1 ; 2 P for Shift+F1. The letter alone names the key.
Key letterSequenceKey(std::string_view, char final) { return letterKey(final).value_or(Unknown); }

void push(std::deque<int>& codes, Key key)
{
    if (key) {
        codes.push_back(key->prefix);
        codes.push_back(key->code);
    }
}

// Names the sequence whose final byte (0: none, it was broken off) is at
// `end`, unless it ran too long to be a key.
template <typename KeyFor>
void nameSequence(std::string_view pending, std::size_t end, char final, std::deque<int>& codes, KeyFor keyFor)
{
    if (end < LongestSequence) {
        push(codes, keyFor(pending.substr(2, end - 2), final));
    }
}

// Finds the end of a sequence whose parameters start after its first two
// bytes and names its key with keyFor(parameters, final byte). Returns how many
// bytes it takes, or 0 when it is not complete yet.
template <typename KeyFor>
std::size_t decodeSequence(std::string_view pending, std::deque<int>& codes, KeyFor keyFor)
{
    for (std::size_t i = 2; i < pending.size(); ++i) {
        const auto c = static_cast<unsigned char>(pending[i]);
        if (c >= 0x20 && c <= 0x3F) {
            continue;  // parameter and intermediate bytes, however many
        }
        if (c < 0x20) {
            // Broken off by a control byte (or a new Esc): what was read of
            // the sequence is named as it stands, and that byte is decoded on
            // its own.
            nameSequence(pending, i, '\0', codes, keyFor);
            return i;
        }
        // A final byte; DEL or a byte past ASCII ends it as no known key.
        nameSequence(pending, i, c <= 0x7E ? static_cast<char>(c) : '\0', codes, keyFor);
        return i + 1;
    }
    return 0;
}

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
    push(codes, final >= 'A' && final <= 'E' ? functionKey(1 + (final - 'A')) : Unknown);
    return 4;
}

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// A mouse click or move reported the old X10 way, ESC [ M and three bytes
// (button, column, line, each offset by 32), comes when another program left
// the terminal's mouse tracking on. It is no key: those bytes, read as keys,
// would be letters such as 'q'. Past 95 a column or line is a byte above 127;
// in the UTF-8 form (mode 1005) it is a two-byte character instead, told from
// two single bytes by its continuation byte. xterm reports a place past 223 as
// NUL; any other control byte or a new Esc breaks the report off, and is
// decoded on its own. Returns how many bytes it takes, or 0 when it is not
// complete yet.
std::size_t dropMouseReport(std::string_view pending)
{
    std::size_t i = MouseReportStart.size();
    for (int field = 0; field < 3; ++field, ++i) {
        if (i >= pending.size()) {
            return 0;
        }
        const auto c = static_cast<unsigned char>(pending[i]);
        if (c != 0 && c < 0x20) {
            return i;
        }
        if (c >= 0xC2 && c <= 0xDF) {
            if (i + 1 >= pending.size()) {
                return 0;
            }
            i += isContinuation(pending[i + 1]) ? 1 : 0;
        }
    }
    return i;
}

// DCS (ESC P), OSC (ESC ]), SOS (ESC X), PM (ESC ^) and APC (ESC _) start a
// string.
bool startsString(char kind) { return kind == 'P' || kind == ']' || kind == 'X' || kind == '^' || kind == '_'; }

// A string is a terminal's answer to what another program asked it (its name,
// a capability, a colour, the clipboard), never a key: its body, read as keys,
// would save, move or quit. It runs to ST (ESC \), an OSC to BEL as well. Any
// other Esc ends it too, and begins what comes next. Returns how many bytes it
// takes, or 0 while it goes on.
std::size_t dropString(std::string_view pending)
{
    const bool bellEnds = pending[1] == ']';
    for (std::size_t i = 2; i < pending.size(); ++i) {
        const auto c = static_cast<unsigned char>(pending[i]);
        if (c == Bell && bellEnds) {
            return i + 1;
        }
        if (c == Esc) {
            if (i + 1 >= pending.size()) {
                return 0;
            }
            return pending[i + 1] == '\\' ? i + 2 : i;
        }
    }
    return 0;
}

// SS2 (ESC N) and the one character it shifts: no key.
std::size_t dropSingleShift(std::string_view pending)
{
    if (pending.size() < 3) {
        return 0;
    }
    return static_cast<unsigned char>(pending[2]) < 0x20 ? 2 : 3;
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
    if (kind == 'N') {
        return dropSingleShift(pending);
    }
    if (startsString(kind)) {
        return dropString(pending);
    }
    if (kind != '[') {
        // Esc followed by a key that starts no sequence (Alt+key sends this):
        // the Esc key, then the key after it is decoded on its own.
        codes.push_back(KeyEsc);
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
    codes.push_back(c == 0x7F ? KeyBackspace : c);
    return 1;
}

// While the rest of a sequence is awaited, only what decides it is kept: of a
// string its introducer (the body is no key) and a last Esc that may begin its
// ST, of a control sequence no more than shows it too long. A reply of any
// length so holds a few bytes.
void keepWhatDecides(std::string& unfinished)
{
    if (unfinished.size() > 2 && static_cast<unsigned char>(unfinished[0]) == Esc && startsString(unfinished[1])) {
        const bool lastEsc = static_cast<unsigned char>(unfinished.back()) == Esc;
        unfinished.erase(2, unfinished.size() - (lastEsc ? 3 : 2));
    } else if (unfinished.size() > LongestSequence) {
        unfinished.resize(LongestSequence);
    }
}

// What is left when no more bytes came in time, taken as it stands.
void decodeCutShort(std::string_view rest, std::deque<int>& codes)
{
    if (static_cast<unsigned char>(rest[0]) != Esc) {
        codes.push_back('?');  // a UTF-8 character cut short
        return;
    }
    if (rest.size() == 1) {
        codes.push_back(KeyEsc);
        return;
    }
    const char kind = rest[1];
    if (startsString(kind)) {
        // The string is given up. An Esc after it, with no backslash, starts
        // no ST: it is the Esc key, as where another key follows it.
        if (rest.size() > 2) {
            codes.push_back(KeyEsc);
        }
    } else if (kind == 'O') {
        nameSequence(rest, rest.size(), '\0', codes, letterSequenceKey);
    } else if (rest.starts_with(LinuxFunctionKeyStart)) {
        push(codes, Unknown);
    } else if (kind == '[' && !rest.starts_with(MouseReportStart)) {
        nameSequence(rest, rest.size(), '\0', codes, controlSequenceKey);
    }
    // The start of a mouse report or of SS2 is no key either.
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
    keepWhatDecides(pending);
}

void decodeRest(std::string& pending, std::deque<int>& codes)
{
    decodeKeys(pending, codes);
    if (!pending.empty()) {
        decodeCutShort(pending, codes);
    }
    pending.clear();
}

}  // namespace keys
