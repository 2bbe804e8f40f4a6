#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/posix/keys.hpp"

namespace {

std::vector<int> decodeAll(std::string bytes)
{
    std::deque<int> codes;
    keys::decodeRest(bytes, codes);
    EXPECT_TRUE(bytes.empty());
    return {codes.begin(), codes.end()};
}

struct KeyCase {
    const char* name;
    std::string bytes;
    std::vector<int> codes;
};

class KeyDecoder : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyDecoder, DecodesLikeTheConsole)
{
    EXPECT_EQ(decodeAll(GetParam().bytes), GetParam().codes);
}

TEST_P(KeyDecoder, DecodesTheSameWhereverTheBytesAreSplit)
{
    const std::string& bytes = GetParam().bytes;
    for (std::size_t cut = 1; cut < bytes.size(); ++cut) {
        std::string pending = bytes.substr(0, cut);
        std::deque<int> codes;
        keys::decodeKeys(pending, codes);
        pending += bytes.substr(cut);
        keys::decodeRest(pending, codes);
        EXPECT_EQ(std::vector<int>(codes.begin(), codes.end()), GetParam().codes) << "split at " << cut;
    }
}

const KeyCase Cases[] = {
    {"Letters", "wasdWq", {'w', 'a', 's', 'd', 'W', 'q'}},
    {"Enter", "\r", {13}},
    {"Backspace", "\x7f", {8}},
    {"Up", "\x1b[A", {224, 72}},
    {"Down", "\x1b[B", {224, 80}},
    {"Right", "\x1b[C", {224, 77}},
    {"Left", "\x1b[D", {224, 75}},
    {"ApplicationArrows", "\x1bOA\x1bOD", {224, 72, 224, 75}},
    {"CtrlUp", "\x1b[1;5A", {224, 72}},
    {"HomeEnd", "\x1b[H\x1bOH\x1b[1~\x1b[7~\x1b[F\x1bOF\x1b[4~\x1b[8~",
     {224, 71, 224, 71, 224, 71, 224, 71, 224, 79, 224, 79, 224, 79, 224, 79}},
    {"InsertDelete", "\x1b[2~\x1b[3~", {224, 82, 224, 83}},
    {"Paging", "\x1b[5~\x1b[6~", {224, 73, 224, 81}},
    {"F1ToF4", "\x1bOP\x1bOQ\x1bOR\x1bOS\x1b[11~\x1b[14~", {0, 59, 0, 60, 0, 61, 0, 62, 0, 59, 0, 62}},
    {"F5ToF10", "\x1b[15~\x1b[17~\x1b[18~\x1b[19~\x1b[20~\x1b[21~",
     {0, 63, 0, 64, 0, 65, 0, 66, 0, 67, 0, 68}},
    {"F11F12", "\x1b[23~\x1b[24~", {224, 133, 224, 134}},
    {"LinuxConsoleF1ToF5", "\x1b[[A\x1b[[B\x1b[[E", {0, 59, 0, 60, 0, 63}},
    {"UnknownLinuxConsoleKey", "\x1b[[Zd", {0, 0, 'd'}},
    {"ShiftF1InTheOldForm", "\x1bO2P", {0, 59}},
    {"ShiftF1WithParameters", "\x1bO1;2P", {0, 59}},
    {"LetterSequenceBrokenByEnter", "\x1bO\r", {0, 0, 13}},
    {"ShiftedDelete", "\x1b[3;2~", {224, 83}},
    {"LoneEsc", "\x1b", {27}},
    {"EscThenLetter", "\x1bx", {27, 'x'}},
    {"UnknownSequenceIsConsumedWhole", "\x1b[99~d", {0, 0, 'd'}},
    {"UnknownFinalLetter", "\x1b[Zd", {0, 0, 'd'}},
    {"MouseReport", "\x1b[<0;3;4M", {0, 0}},
    {"UnfinishedSequence", "\x1b[1;5", {0, 0}},
    {"SequenceBrokenByEnter", "\x1b[1\r", {0, 0, 13}},
    {"Latin1Letter", "\xc3\xa9", {0xE9}},
    {"CharacterOutsideLatin1", "\xe2\x96\x88", {'?'}},
    {"StrayContinuationByte", "\x80w", {'?', 'w'}},
    {"CutCharacter", "\xe2\x96", {'?'}},
    {"Latin1Bounds", "\xc2\x80\xc3\xbf", {0x80, 0xFF}},
    {"OverlongFormsAreNoCommands", "\xc0\x8d\xc1\xb1\xc1\xb9\xe0\x81\xb7\xf0\x80\x81\xa5",
     {'?', '?', '?', '?', '?'}},
    {"Surrogates", "\xed\xa0\x80\xed\xbf\xbfs", {'?', '?', 's'}},
    {"BeyondTheLastCodePoint", "\xf4\x90\x80\x80\xf7\xbf\xbf\xbf\xf8\x88" "d", {'?', '?', '?', '?', 'd'}},
    {"FourByteCharacterIsOneKey", "\xf0\x9f\x98\x80\xf4\x8f\xbf\xbfq", {'?', '?', 'q'}},
};

INSTANTIATE_TEST_SUITE_P(Keys, KeyDecoder, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(KeyDecoderStream, GarbageNeverGrowsWithoutBound)
{
    std::string pending = "\x1b[" + std::string(100, '1');
    std::deque<int> codes;
    keys::decodeKeys(pending, codes);
    EXPECT_LT(pending.size(), 40u);
    for (const int code : codes) {
        EXPECT_GE(code, 0);
        EXPECT_LE(code, 255);
    }
}

}  // namespace
