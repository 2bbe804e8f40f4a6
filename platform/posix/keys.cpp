#include "platform/posix/keys.hpp"

#include <cstddef>
#include <string_view>

#include "platform/key_codes.hpp"
#include "platform/posix/key_names.hpp"
#include "platform/posix/replies.hpp"

namespace keys {

namespace {

constexpr unsigned char Esc = 0x1B;
// Longer than any key's sequence: a sequence that runs this long before its
// final byte is no key, and is dropped whole. Of an unfinished one no more is
// kept, so that a stream of garbage cannot grow the buffer.
constexpr std::size_t LongestSequence = 32;
constexpr std::string_view LinuxFunctionKeyStart = "\x1b[[";

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
    push(codes, linuxFunctionKey(final));
    return 4;
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
        return singleShiftLength(pending);
    }
    if (startsString(kind)) {
        return stringLength(pending);
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
        return mouseReportLength(pending);
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
