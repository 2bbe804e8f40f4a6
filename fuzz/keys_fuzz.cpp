// Whatever bytes a terminal sends, in whatever pieces they arrive, the key
// decoder must hand the game console codes 0..255 only, hold back no more than
// the unfinished start of one key, decode every key it knows the same
// wherever that key lies in the stream and however the stream is cut, give no
// code for a reply or a mouse report, and make no ASCII key of bytes that hold
// none.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "platform/key_codes.hpp"
#include "platform/posix/keys.hpp"

namespace {

void require(bool holds)
{
    if (!holds) {
        __builtin_trap();
    }
}

// The most an unfinished key, or what decides a reply still coming, may hold.
constexpr std::size_t PendingBound = 32;

struct KnownKey {
    std::string bytes;
    std::vector<int> codes;
};

// Every complete escape sequence the game knows, with the codes a Windows
// console gives for the same key, and what a terminal sends that is no key.
std::vector<KnownKey> knownKeys()
{
    std::vector<KnownKey> known;
    const auto add = [&](std::string bytes, int prefix, int code) {
        known.push_back({std::move(bytes), {prefix, code}});
    };
    const struct {
        char letter;
        int code;
    } arrows[] = {{'A', KeyUp}, {'B', KeyDown}, {'C', KeyRight}, {'D', KeyLeft}};
    for (const auto& arrow : arrows) {
        add(std::string("\x1b[") + arrow.letter, KeyPrefixExtended, arrow.code);
        add(std::string("\x1bO") + arrow.letter, KeyPrefixExtended, arrow.code);
        // Shift, Alt, Ctrl and their mixes.
        for (char modifier = '2'; modifier <= '8'; ++modifier) {
            add(std::string("\x1b[1;") + modifier + arrow.letter, KeyPrefixExtended, arrow.code);
        }
    }
    for (const char* home : {"\x1b[H", "\x1bOH", "\x1b[1~", "\x1b[7~"}) {
        add(home, KeyPrefixExtended, KeyHome);
    }
    for (const char* end : {"\x1b[F", "\x1bOF", "\x1b[4~", "\x1b[8~"}) {
        add(end, KeyPrefixExtended, KeyEnd);
    }
    add("\x1b[2~", KeyPrefixExtended, KeyInsert);
    add("\x1b[3~", KeyPrefixExtended, KeyDelete);
    add("\x1b[5~", KeyPrefixExtended, KeyPageUp);
    add("\x1b[6~", KeyPrefixExtended, KeyPageDown);
    const char* const f1ToF4[][2] = {
        {"\x1bOP", "\x1b[11~"}, {"\x1bOQ", "\x1b[12~"}, {"\x1bOR", "\x1b[13~"}, {"\x1bOS", "\x1b[14~"}};
    for (int i = 0; i < 4; ++i) {
        add(f1ToF4[i][0], KeyPrefixFunction, KeyF1 + i);
        add(f1ToF4[i][1], KeyPrefixFunction, KeyF1 + i);
    }
    const char* const f5ToF10[] = {"\x1b[15~", "\x1b[17~", "\x1b[18~", "\x1b[19~", "\x1b[20~", "\x1b[21~"};
    for (int i = 0; i < 6; ++i) {
        add(f5ToF10[i], KeyPrefixFunction, KeyF1 + 4 + i);
    }
    add("\x1b[23~", KeyPrefixExtended, KeyF11);
    add("\x1b[24~", KeyPrefixExtended, KeyF12);
    // Sequences of keys the game has no code for are swallowed whole.
    for (const char* unknown : {"\x1b[Z", "\x1b[99~"}) {
        add(unknown, KeyPrefixFunction, KeyUnknown);
    }
    // Mouse reports in every form, replies in strings and control sequences,
    // and a sequence too long for a key are no keys at all.
    for (const std::string& none :
         {std::string("\x1b[M q%"), std::string("\x1b[M#\xff\0", 6), std::string("\x1b[M \xc2\x84q"),
          std::string("\x1b[<0;3;4M"), std::string("\x1b[32;100;81M"), std::string("\x1b[?1;2c"),
          std::string("\x1bP>|XTerm(390)\x1b\\"), std::string("\x1b]11;rgb:eeee/eeee/eeee\x07"),
          std::string("\x1b]52;c;cQ==\x1b\\"), std::string("\x1b_Gq\x1b\\"), std::string("\x1bNq"),
          "\x1b[" + std::string(40, ';') + "q"}) {
        known.push_back({none, {}});
    }
    return known;
}

const std::vector<KnownKey> KnownKeys = knownKeys();

// Numbers drawn from the input itself, read from its end backwards, so that
// libFuzzer steers the cuts and the keys put in as it steers the bytes.
struct Dice {
    std::string_view bytes;
    std::size_t rolled = 0;
};

std::size_t roll(Dice& dice, std::size_t sides)
{
    if (dice.bytes.empty()) {
        return 0;
    }
    const auto b = static_cast<unsigned char>(dice.bytes[dice.bytes.size() - 1 - dice.rolled % dice.bytes.size()]);
    ++dice.rolled;
    return b % sides;
}

void requireConsoleCodes(const std::deque<int>& codes)
{
    for (const int code : codes) {
        require(code >= 0 && code <= 255);
    }
}

// All the bytes at once, then the wait for more runs out.
std::vector<int> decodeWhole(std::string_view stream)
{
    std::string pending(stream);
    std::deque<int> codes;
    keys::decodeRest(pending, codes);
    require(pending.empty());
    requireConsoleCodes(codes);
    return {codes.begin(), codes.end()};
}

// The bytes as reads from the terminal might deliver them: a few at a time,
// each piece decoded as it comes, and the wait for more runs out at the end.
std::vector<int> decodeInPieces(std::string_view stream, Dice& dice)
{
    std::string pending;
    std::deque<int> codes;
    std::size_t at = 0;
    while (at < stream.size()) {
        const std::size_t length = 1 + roll(dice, 8);
        pending.append(stream.substr(at, length));
        at += length;
        keys::decodeKeys(pending, codes);
        require(pending.size() <= PendingBound);
    }
    keys::decodeRest(pending, codes);
    require(pending.empty());
    requireConsoleCodes(codes);
    return {codes.begin(), codes.end()};
}

void append(std::vector<int>& to, const std::vector<int>& codes) { to.insert(to.end(), codes.begin(), codes.end()); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    Dice dice{input};

    // The bytes as they are.
    require(decodeInPieces(input, dice) == decodeWhole(input));

    // The same bytes with the top bit set: no malformed character may pass
    // for an ASCII key, and so for a command.
    std::string high(input);
    for (char& c : high) {
        c = static_cast<char>(static_cast<unsigned char>(c) | 0x80);
    }
    for (const int code : decodeWhole(high)) {
        require(code == '?' || code >= 0x80);
    }

    // The same bytes cut into runs with known keys between them. An escape
    // sequence ends whatever unfinished key came before it, so each run
    // decodes as if the wait had run out after it, and each key gives its own
    // codes, whatever surrounds it.
    std::string stream;
    std::vector<int> expected;
    std::size_t at = 0;
    for (int put = 0; put < 64 && at < input.size(); ++put) {
        const std::string_view run = input.substr(at, roll(dice, 12));
        at += run.size();
        const KnownKey& key = KnownKeys[roll(dice, KnownKeys.size())];
        stream += run;
        stream += key.bytes;
        append(expected, decodeWhole(run));
        append(expected, key.codes);
    }
    stream += input.substr(at);
    append(expected, decodeWhole(input.substr(at)));
    require(decodeWhole(stream) == expected);
    require(decodeInPieces(stream, dice) == expected);
    return 0;
}
