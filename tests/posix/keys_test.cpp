#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <tuple>
#include <vector>

#include "platform/key_codes.hpp"
#include "platform/posix/keys.hpp"

namespace {

struct KeyCase {
    const char* name;
    std::string bytes;
    std::vector<int> codes;
    // The bytes end with a whole key: it is decoded without waiting for more.
    bool endsWhole = true;
};

class KeyDecoder : public ::testing::TestWithParam<KeyCase> {};

// Whole, or cut anywhere with the rest arriving later, the bytes give the console's codes.
TEST_P(KeyDecoder, DecodesLikeTheConsoleWhereverTheBytesAreSplit)
{
    const auto& [name, bytes, expected, endsWhole] = GetParam();
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        std::string pending = bytes.substr(0, cut);
        std::deque<int> codes;
        keys::decodeKeys(pending, codes);
        pending += bytes.substr(cut);
        keys::decodeRest(pending, codes);
        EXPECT_TRUE(pending.empty());
        EXPECT_EQ(std::vector<int>(codes.begin(), codes.end()), expected) << "split at " << cut;
    }
    std::string pending = bytes;
    std::deque<int> codes;
    keys::decodeKeys(pending, codes);
    EXPECT_EQ(pending.empty() && std::vector<int>(codes.begin(), codes.end()) == expected, endsWhole);
}

// The two codes of an extended key, and of a key the game has no code for.
constexpr int X = KeyPrefixExtended, F = KeyPrefixFunction, Unknown = KeyUnknown;

const KeyCase Cases[] = {
    {"LettersEnterBackspace", "wasdWq\r\x7f", {'w', 'a', 's', 'd', 'W', 'q', KeyEnter, KeyBackspace}},
    {"Arrows",
     "\x1b[A\x1b[B\x1b[C\x1b[D\x1bOA\x1bOD\x1b[1;5A",
     {X, KeyUp, X, KeyDown, X, KeyRight, X, KeyLeft, X, KeyUp, X, KeyLeft, X, KeyUp}},
    {"HomeEnd",
     "\x1b[H\x1bOH\x1b[1~\x1b[7~\x1b[F\x1bOF\x1b[4~\x1b[8~",
     {X, KeyHome, X, KeyHome, X, KeyHome, X, KeyHome, X, KeyEnd, X, KeyEnd, X, KeyEnd, X, KeyEnd}},
    {"EditingKeys",
     "\x1b[2~\x1b[3~\x1b[5~\x1b[6~\x1b[3;2~",
     {X, KeyInsert, X, KeyDelete, X, KeyPageUp, X, KeyPageDown, X, KeyDelete}},
    {"FunctionKeys",
     "\x1bOP\x1bOQ\x1bOR\x1bOS\x1b[11~\x1b[12~\x1b[13~\x1b[14~"
     "\x1b[15~\x1b[17~\x1b[18~\x1b[19~\x1b[20~\x1b[21~\x1b[23~\x1b[24~",
     {F, KeyF1,     F, KeyF1 + 1, F, KeyF1 + 2, F, KeyF1 + 3, F, KeyF1,     F, KeyF1 + 1, F, KeyF1 + 2, F, KeyF1 + 3,
      F, KeyF1 + 4, F, KeyF1 + 5, F, KeyF1 + 6, F, KeyF1 + 7, F, KeyF1 + 8, F, KeyF10,    X, KeyF11,    X, KeyF12}},
    {"LinuxConsole",
     "\x1b[[A\x1b[[B\x1b[[E\x1b[[Zd\x1b[[C",
     {F, KeyF1, F, KeyF1 + 1, F, KeyF1 + 4, F, Unknown, 'd', F, KeyF1 + 2}},
    {"ShiftF1", "\x1bO2P\x1bO1;2P", {F, KeyF1, F, KeyF1}},
    {"LoneEscAndAlt", "\x1bx\x1b", {KeyEsc, 'x', KeyEsc}, false},
    {"UnknownKeysAreConsumedWhole", "\x1b[99~d\x1b[Zd", {F, Unknown, 'd', F, Unknown, 'd'}},
    // Mouse clicks reported the X10 way give nothing, the keys around them their own codes;
    // a report broken off by a control byte or Esc gives nothing either.
    {"MouseReports", std::string("w\x1b[M q%\x1b[M#\xff!\x1b[M \0\0d\x1b[M q%\x1b[A", 29), {'w', 'd', X, KeyUp}},
    {"MouseReportsCutShort",
     "\x1b[M q\re\x1b[M \x1fs\x1b[M\x1b[Ba\x1b[M!",
     {KeyEnter, 'e', 31, 's', X, KeyDown, 'a'},
     false},
    // Past column 95 the UTF-8 form (mode 1005) takes two bytes for a place: the line after it ('q', 'e') is
    // no key. The X10 form's lone bytes above 127 stay one place each.
    {"MouseReportsInUtf8",
     "\x1b[M \xc2\x84q\x1b[M\xc2\x80\xc2\x84"
     "e\x1b[M \xdf\xbf\xdf\xbfw\x1b[M \xc3%d\x1b[M\xe0\xf0\xc5s",
     {'w', 'd', 's'}},
    // The SGR (1006) and urxvt (1015) forms, and the replies to questions about the terminal, give no code.
    {"OtherMouseReportsAndReplies",
     "\x1b[<0;100;81M\x1b[<0;100;81mq\x1b[32;100;81Me\x1b[?1;2c\x1b[?1;2$yd",
     {'q', 'e', 'd'}},
    // Strings, replies to what another program asked the terminal: their letters are no keys.
    {"DeviceControlStrings",
     "\x1bP>|XTerm(390)\x1b\\q\x1bP1+r544e=787465726d\x1b\\e\x1bP1$r0m\x1b\\\x1b[A",
     {'q', 'e', X, KeyUp}},
    {"OperatingSystemCommands",
     "\x1b]11;rgb:eeee/eeee/eeee\x1b\\d\x1b]11;rgb:eeee/eeee/eeee\x07s\x1b]10;rgb:dddd/dddd/dddd\x1b\\"
     "a\x1b]52;c;cQ==\x07w",
     {'d', 's', 'a', 'w'}},
    // BEL ends none but an OSC; another Esc ends any string and starts what comes next.
    {"OtherStrings",
     "\x1b_Gq\x07q\x1b\\a\x1b^pm\x1b\\s\x1bXsos\x1b\\d\x1bPeee\x1b[Bw\x1b]0;qqq\x1bx",
     {'a', 's', 'd', X, KeyDown, 'w', KeyEsc, 'x'}},
    {"StringsCutShort", "\x1b]11;rgb:ee\x1b\\q\x1bPq", {'q'}, false},
    {"StringCutShortAfterAnEsc", "\x1bPq\x1b", {KeyEsc}, false},
    // SS2 shifts one character, no key; SS3 keys are above.
    {"SingleShift", "\x1bNqd\x1bN", {'d'}, false},
    // Longer than any key: dropped whole, its tail never read as keys.
    {"LongControlSequence",
     "\x1b[1;1;1;1;1;1;1;1;1;1;1;1;1;1;1;1;1;1;1;1;q\x1bO2;2;2;2;2;2;2;2;2;2;2;2;2;2;2;Pd",
     {'d'}},
    {"BrokenSequences",
     "\x1bO\r\x1b[1\r\x1b[1\x7f"
     "d\x1b[\x1f"
     "a\x1b[<1\rs\x1b[1;5",
     {F, Unknown, KeyEnter, F, Unknown, KeyEnter, F, Unknown, 'd', F, Unknown, 31, 'a', KeyEnter, 's', F, Unknown},
     false},
    // One code for one character: its Latin-1 value, or '?' beyond.
    {"Utf8",
     "\xc3\xa9\xe2\x96\x88\xf0\x9f\x98\x80w\xc2\x80\xc3\xbf\xf4\x8f\xbf\xbfq",
     {0xE9, '?', '?', 'w', 0x80, 0xFF, '?', 'q'}},
    // A stray byte or a lead byte cut short gives '?' and leaves the key after it as it is.
    {"DamagedUtf8",
     "\x80w\xc3w\xe2\x96s\xf0\x9f\x98"
     "d\xe2\r\xe2\x96",
     {'?', 'w', '?', 'w', '?', 's', '?', 'd', '?', KeyEnter, '?'},
     false},
    {"CutLeadThenEsc",
     "\xc3\x1b[A\xe2\x96\x1bOB\xf0\x1b[C\xf4\x8f\x1bx",
     {'?', X, KeyUp, '?', X, KeyDown, '?', X, KeyRight, '?', KeyEsc, 'x'}},
    // Malformed forms give '?', never the command key they disguise.
    {"Overlong", "\xc0\x8d\xc1\xb1\xc1\xb9\xe0\x81\xb7\xf0\x80\x81\xa5", {'?', '?', '?', '?', '?'}},
    {"SurrogatesAndBeyondU10FFFF",
     "\xed\xa0\x80\xed\xbf\xbfs\xf4\x90\x80\x80\xf7\xbf\xbf\xbf\xf8\x88"
     "d",
     {'?', '?', 's', '?', '?', '?', '?', 'd'}},
};

INSTANTIATE_TEST_SUITE_P(Keys, KeyDecoder, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.name); });

// A reply of any length, or a control sequence that never ends, arriving a little at a time: the decoder
// holds a few bytes of it, never its body, and the key after its end is the only code.
TEST(KeyDecoderStream, HoldsNoMoreThanTheStartOfAnEndlessSequence)
{
    const std::tuple<std::string, std::string, std::string> sequences[] = {
        {"\x1b[", "1;", "A"}, {"\x1bO", "2", "P"}, {"\x1b]52;c;", "cQ==", "\x07"}, {"\x1bP", "e\x07", "\x1b\\"}};
    for (const auto& [start, body, end] : sequences) {
        std::string pending = start;
        std::deque<int> codes;
        for (int piece = 0; piece < 10000; ++piece) {
            pending += body;
            keys::decodeKeys(pending, codes);
            ASSERT_LE(pending.size(), 32u) << start;
        }
        pending += end + "q";
        keys::decodeRest(pending, codes);
        EXPECT_EQ(std::vector<int>(codes.begin(), codes.end()), std::vector<int>{'q'}) << start;
    }
}

}  // namespace
