#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

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
    const std::string& bytes = GetParam().bytes;
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        std::string pending = bytes.substr(0, cut);
        std::deque<int> codes;
        keys::decodeKeys(pending, codes);
        pending += bytes.substr(cut);
        keys::decodeRest(pending, codes);
        EXPECT_TRUE(pending.empty());
        EXPECT_EQ(std::vector<int>(codes.begin(), codes.end()), GetParam().codes) << "split at " << cut;
    }
    std::string pending = bytes;
    std::deque<int> codes;
    keys::decodeKeys(pending, codes);
    EXPECT_EQ(pending.empty() && std::vector<int>(codes.begin(), codes.end()) == GetParam().codes,
              GetParam().endsWhole);
}

const KeyCase Cases[] = {
    {"LettersEnterBackspace", "wasdWq\r\x7f", {'w', 'a', 's', 'd', 'W', 'q', 13, 8}},
    {"Arrows",
     "\x1b[A\x1b[B\x1b[C\x1b[D\x1bOA\x1bOD\x1b[1;5A",
     {224, 72, 224, 80, 224, 77, 224, 75, 224, 72, 224, 75, 224, 72}},
    {"HomeEnd",
     "\x1b[H\x1bOH\x1b[1~\x1b[7~\x1b[F\x1bOF\x1b[4~\x1b[8~",
     {224, 71, 224, 71, 224, 71, 224, 71, 224, 79, 224, 79, 224, 79, 224, 79}},
    {"EditingKeys", "\x1b[2~\x1b[3~\x1b[5~\x1b[6~\x1b[3;2~", {224, 82, 224, 83, 224, 73, 224, 81, 224, 83}},
    {"FunctionKeys",
     "\x1bOP\x1bOQ\x1bOR\x1bOS\x1b[11~\x1b[12~\x1b[13~\x1b[14~"
     "\x1b[15~\x1b[17~\x1b[18~\x1b[19~\x1b[20~\x1b[21~\x1b[23~\x1b[24~",
     {0, 59, 0, 60, 0, 61, 0, 62, 0, 59, 0, 60, 0,   61,  0,   62,
      0, 63, 0, 64, 0, 65, 0, 66, 0, 67, 0, 68, 224, 133, 224, 134}},
    {"LinuxConsole", "\x1b[[A\x1b[[B\x1b[[E\x1b[[Zd\x1b[[C", {0, 59, 0, 60, 0, 63, 0, 0, 'd', 0, 61}},
    {"ShiftF1", "\x1bO2P\x1bO1;2P", {0, 59, 0, 59}},
    {"LoneEscAndAlt", "\x1bx\x1b", {27, 'x', 27}, false},
    {"UnknownSequencesAreConsumedWhole", "\x1b[99~d\x1b[Zd\x1b[<0;3;4M\x1b[?1;2c", {0, 0, 'd', 0, 0, 'd', 0, 0, 0, 0}},
    // Mouse clicks reported the X10 way give nothing, the keys around them their own codes;
    // a report broken off by a control byte or Esc gives nothing either.
    {"MouseReports", std::string("w\x1b[M q%\x1b[M#\xff!\x1b[M \0\0d\x1b[M q%\x1b[A", 29), {'w', 'd', 224, 72}},
    {"MouseReportsCutShort", "\x1b[M q\re\x1b[M \x1fs\x1b[M\x1b[Ba\x1b[M!", {13, 'e', 31, 's', 224, 80, 'a'}, false},
    {"BrokenSequences",
     "\x1bO\r\x1b[1\r\x1b[1\x7f"
     "d\x1b[\x1f"
     "a\x1b[1;5",
     {0, 0, 13, 0, 0, 13, 0, 0, 'd', 0, 0, 31, 'a', 0, 0},
     false},
    // One code for one character: its Latin-1 value, or '?' beyond.
    {"Utf8",
     "\xc3\xa9\xe2\x96\x88\xf0\x9f\x98\x80w\xc2\x80\xc3\xbf\xf4\x8f\xbf\xbfq",
     {0xE9, '?', '?', 'w', 0x80, 0xFF, '?', 'q'}},
    // A stray byte or a lead byte cut short gives '?' and leaves the key after it as it is.
    {"DamagedUtf8",
     "\x80w\xc3w\xe2\x96s\xf0\x9f\x98"
     "d\xe2\r\xe2\x96",
     {'?', 'w', '?', 'w', '?', 's', '?', 'd', '?', 13, '?'},
     false},
    {"CutLeadThenEsc",
     "\xc3\x1b[A\xe2\x96\x1bOB\xf0\x1b[C\xf4\x8f\x1bx",
     {'?', 224, 72, '?', 224, 80, '?', 224, 77, '?', 27, 'x'}},
    // Malformed forms give '?', never the command key they disguise.
    {"Overlong", "\xc0\x8d\xc1\xb1\xc1\xb9\xe0\x81\xb7\xf0\x80\x81\xa5", {'?', '?', '?', '?', '?'}},
    {"SurrogatesAndBeyondU10FFFF",
     "\xed\xa0\x80\xed\xbf\xbfs\xf4\x90\x80\x80\xf7\xbf\xbf\xbf\xf8\x88"
     "d",
     {'?', '?', 's', '?', '?', '?', '?', 'd'}},
};

INSTANTIATE_TEST_SUITE_P(Keys, KeyDecoder, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(KeyDecoderStream, GarbageNeverGrowsWithoutBound)
{
    std::string pending = "\x1b[" + std::string(100, '1');
    std::deque<int> codes;
    keys::decodeKeys(pending, codes);
    EXPECT_LT(pending.size(), 40u);
    EXPECT_TRUE(std::ranges::all_of(codes, [](int code) { return code >= 0 && code <= 255; }));
}

}  // namespace
