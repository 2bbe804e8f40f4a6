#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "board/board.hpp"
#include "save/record.hpp"
#include "tests/support/console.hpp"
#include "tests/support/scratch.hpp"

namespace fs = std::filesystem;
namespace tc = testconsole;

namespace {

// A record of any length that never sits in memory: each character comes from
// a rule, and the buffer counts how many it has handed out. It cannot seek,
// like a pipe.
class GeneratedRecord : public std::streambuf {
public:
    GeneratedRecord(std::uint64_t length, std::function<char(std::uint64_t)> charAt)
        : length_(length), charAt_(std::move(charAt)) {}
    std::uint64_t handedOut() const { return position_; }

protected:
    int_type underflow() override
    {
        if (position_ == length_) {
            return traits_type::eof();
        }
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(sizeof chunk_, length_ - position_));
        for (std::size_t i = 0; i < n; ++i) {
            chunk_[i] = charAt_(position_ + i);
        }
        position_ += n;
        setg(chunk_, chunk_, chunk_ + n);
        return traits_type::to_int_type(chunk_[0]);
    }

private:
    std::uint64_t length_;
    std::function<char(std::uint64_t)> charAt_;
    std::uint64_t position_ = 0;
    char chunk_[4096] = {};
};

// The player top left, the goal bottom right, floor along the top row and down
// the right edge and here and there, walls elsewhere.
std::vector<std::int32_t> handMadeBoard(std::int32_t level)
{
    const std::int32_t side = sideLengthFor(level);
    std::vector<std::int32_t> cells(static_cast<std::size_t>(side * side), TileWall);
    for (std::int32_t i = 0; i < side * side; ++i) {
        const bool path = i < side || i % side == side - 1;
        if (path || (i * 31 + level) % 7 == 0) {
            cells[static_cast<std::size_t>(i)] = TileFloor;
        }
    }
    cells.front() = TilePlayer;
    cells.back() = TileGoal;
    return cells;
}

bool usable(const std::string& text)
{
    std::istringstream in(text);
    return saveRecordUsable(in);
}

const std::vector<std::int32_t> LevelOneCodes{1, 0, 2, 0, 0, 2, 2, 0, 3};
const std::string LevelOneRecord = "879779970";
const std::vector<std::string> OnlyTheRecord{SaveRecordName};

// Every test runs in a folder of its own, the game's current folder.
class RecordFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        tc::reset();
        board.clear();
        shownBoard.clear();
    }

    // Opens the record as the game does at start-up and loads it when usable.
    static std::optional<std::int32_t> loadRecord()
    {
        std::ifstream in(SaveRecordName);
        if (!in || !saveRecordUsable(in)) {
            return std::nullopt;
        }
        return readSaveRecord(in);
    }

    ScratchFolder folder;
};

using RecordFormat = RecordFolder;
using DamagedRecord = RecordFolder;
using SafeSave = RecordFolder;

TEST_F(RecordFormat, LevelOneIsNineDigitsBothWays)
{
    ASSERT_TRUE(writeSaveRecord(LevelOneCodes));
    EXPECT_EQ(folder.read(SaveRecordName), LevelOneRecord);
    EXPECT_EQ(loadRecord(), 1);
    EXPECT_EQ(board, LevelOneCodes);
}

TEST_F(RecordFormat, BoardsOfEveryLevelComeBackAsTheyWere)
{
    for (const std::int32_t level : {1, 2, 3, 8, 25, 100, MaxRecordSide - 2}) {
        const std::vector<std::int32_t> cells = handMadeBoard(level);
        ASSERT_TRUE(writeSaveRecord(cells)) << level;
        const std::string text = folder.read(SaveRecordName);
        EXPECT_EQ(text.size(), cells.size()) << level;
        EXPECT_EQ(text.find_first_not_of("7890"), std::string::npos) << level;
        board.clear();
        EXPECT_EQ(loadRecord(), level);
        EXPECT_EQ(board, cells) << level;
        EXPECT_EQ(folder.entries(), OnlyTheRecord);
    }
}

TEST_F(RecordFormat, EveryCodeBecomesADigitThatReadsBackAsTheCodeModuloTen)
{
    // Codes a snapshot never holds still give digits, never another byte.
    std::vector<std::int32_t> codes{INT32_MIN, INT32_MIN + 1, INT32_MAX - 1, INT32_MAX};
    for (std::int32_t code = -25; code <= 25; ++code) {
        codes.push_back(code);
    }
    ASSERT_TRUE(writeSaveRecord(codes));
    const std::string text = folder.read(SaveRecordName);
    ASSERT_EQ(text.size(), codes.size());
    EXPECT_EQ(text.find_first_not_of("0123456789"), std::string::npos);
    std::istringstream in(text);
    readSaveRecord(in);
    ASSERT_EQ(board.size(), codes.size());
    for (std::size_t i = 0; i < codes.size(); ++i) {
        EXPECT_EQ(board[i], (codes[i] % 10 + 10) % 10) << codes[i];
    }
}

TEST_F(RecordFormat, ALineFeedEndsTheRecordAndWhatFollowsIsIgnored)
{
    for (const std::string& tail : {std::string("\n"), std::string("\n9999 anything\n\n"),
                                   std::string("\n\0\xff" "8", 4)}) {
        folder.write(SaveRecordName, LevelOneRecord + tail);
        board.clear();
        EXPECT_EQ(loadRecord(), 1);
        EXPECT_EQ(board, LevelOneCodes);
    }
    // A wide board is read in several pieces; the line feed still ends it.
    const std::vector<std::int32_t> wide = handMadeBoard(100);
    folder.write(SaveRecordName, recordText(wide) + "\n" + recordText(handMadeBoard(3)));
    board.clear();
    EXPECT_EQ(loadRecord(), 100);
    EXPECT_EQ(board, wide);
}

TEST_F(DamagedRecord, AnythingButAPlayableBoardIsNoSavedGame)
{
    const std::vector<std::string> damaged{
        "",                                 // empty
        "\n879779970",                      // nothing before the line feed
        "87977997", "8797799700",           // not square
        "8790",                             // a level-0 board, 2 x 2
        "879779170", "879779 70", "879779a70", "879\xff" "79970",  // not a cell of a played board; NOLINT(bugprone-suspicious-missing-comma): the split ends the \xff escape
        std::string("8797\0" "9970", 9),    // a NUL byte
        "779779970", "789779970", "889779970",  // player missing, elsewhere, twice
        "879779977", "879779907", "879770970",  // goal missing, elsewhere, twice
        "879779970\r\n",                    // a carriage return inside the line
    };
    for (const std::string& text : damaged) {
        EXPECT_FALSE(usable(text)) << '"' << text << '"';
    }
    EXPECT_TRUE(usable(LevelOneRecord));
}

TEST_F(DamagedRecord, AFileTooLargeForAnyBoardIsRejectedWithoutReadingItAll)
{
    const std::uint64_t limit = static_cast<std::uint64_t>(MaxRecordSide) * MaxRecordSide;
    // Shaped like a board, only far too wide: player first, floor, goal last.
    const std::uint64_t side = 8 * static_cast<std::uint64_t>(MaxRecordSide);
    GeneratedRecord huge(side * side, [&](std::uint64_t i) { return i == 0 ? '8' : i == side * side - 1 ? '0' : '7'; });
    std::istream in(&huge);
    EXPECT_FALSE(saveRecordUsable(in));
    EXPECT_LE(huge.handedOut(), limit + 4096);

    // Just one cell wider than the widest board, as a real file.
    const std::string justTooWide = "8" + std::string((MaxRecordSide + 1) * (MaxRecordSide + 1) - 2, '9') + "0";
    folder.write(SaveRecordName, justTooWide);
    EXPECT_EQ(loadRecord(), std::nullopt);
    EXPECT_TRUE(board.empty());
}

TEST_F(DamagedRecord, ARecordThatCannotBeReadAgainFromItsStartIsRefused)
{
    // Like a pipe: once looked at, the reader would find nothing left.
    GeneratedRecord pipe(LevelOneRecord.size(), [](std::uint64_t i) { return LevelOneRecord[i]; });
    std::istream in(&pipe);
    EXPECT_FALSE(saveRecordUsable(in));
}

TEST_F(DamagedRecord, AFolderUnderTheRecordsNameIsNoSavedGame)
{
    fs::create_directory(SaveRecordName);
    std::ifstream in(SaveRecordName);
    EXPECT_FALSE(in && saveRecordUsable(in));
}

TEST_F(SafeSave, ANewSaveReplacesTheOldRecordOnlyOnceItIsOnDisk)
{
    folder.write(SaveRecordName, LevelOneRecord);
    const std::vector<std::int32_t> cells{1, 0, 0, 0, 2, 0, 2, 2, 2, 0, 0, 2, 2, 0, 0, 3};
    const std::string newText = "8777" "9799" "9779" "9770";
    int fileFlushes = 0;
    int folderFlushes = 0;
    tc::onDiskFlush([&](const std::string& path) {
        EXPECT_GT(tc::interruptsHeld(), 0);
        if (path == ".") {
            ++folderFlushes;
            EXPECT_EQ(folder.read(SaveRecordName), newText);
        } else {
            // The new text is whole in a file of its own; the old record is untouched.
            ++fileFlushes;
            EXPECT_EQ(folder.read(path), newText);
            EXPECT_EQ(folder.read(SaveRecordName), LevelOneRecord);
        }
        return true;
    });
    EXPECT_TRUE(writeSaveRecord(cells));
    EXPECT_EQ(fileFlushes, 1);
    EXPECT_EQ(folderFlushes, 1);
    EXPECT_EQ(folder.read(SaveRecordName), newText);
    EXPECT_EQ(folder.entries(), OnlyTheRecord);
    EXPECT_EQ(tc::interruptsHeld(), 0);
}

TEST_F(SafeSave, AFailingDiskKeepsTheOldRecordByteForByte)
{
    const std::string old = LevelOneRecord + "\nkept as it is";
    folder.write(SaveRecordName, old);
    tc::failDiskFlush(true);
    EXPECT_FALSE(writeSaveRecord(handMadeBoard(5)));
    EXPECT_EQ(folder.read(SaveRecordName), old);
    EXPECT_EQ(folder.entries(), OnlyTheRecord);
    EXPECT_EQ(tc::interruptsHeld(), 0);
}

TEST_F(SafeSave, AFolderUnderTheRecordsNameIsLeftAloneAndTheSaveFails)
{
    fs::create_directory(SaveRecordName);
    folder.write(fs::path(SaveRecordName) / "inside", "mine");
    EXPECT_FALSE(writeSaveRecord(LevelOneCodes));
    EXPECT_TRUE(fs::is_directory(SaveRecordName));
    EXPECT_EQ(folder.read(fs::path(SaveRecordName) / "inside"), "mine");
    EXPECT_EQ(folder.entries(), OnlyTheRecord);
    EXPECT_EQ(tc::interruptsHeld(), 0);
}

TEST_F(SafeSave, TheFolderEntryFailingToReachTheDiskStillCountsAsSaved)
{
    folder.write(SaveRecordName, "8797799799799770");
    tc::onDiskFlush([](const std::string& path) { return path != "."; });
    EXPECT_TRUE(writeSaveRecord(LevelOneCodes));
    EXPECT_EQ(folder.read(SaveRecordName), LevelOneRecord);
    EXPECT_EQ(folder.entries(), OnlyTheRecord);
}

TEST_F(SafeSave, WhatAnEarlierSaveLeftHalfWayIsReplacedOrKeepsTheSaveFromHappening)
{
    // Learn where the new record is made before it takes the record's name.
    std::string newName;
    tc::onDiskFlush([&](const std::string& path) {
        if (path != ".") {
            newName = path;
        }
        return true;
    });
    ASSERT_TRUE(writeSaveRecord(LevelOneCodes));
    ASSERT_FALSE(newName.empty());
    ASSERT_NE(newName, SaveRecordName);

    // A half-written file from a power cut, and even a link to someone else's file.
    folder.write(newName, "87");
    EXPECT_TRUE(writeSaveRecord(handMadeBoard(3)));
    EXPECT_EQ(folder.read(SaveRecordName).size(), 25u);
    EXPECT_EQ(folder.entries(), OnlyTheRecord);
    folder.write("other", "not ours");
    std::error_code noLinks;
    fs::create_symlink("other", newName, noLinks);
    if (!noLinks) {
        EXPECT_TRUE(writeSaveRecord(LevelOneCodes));
        EXPECT_EQ(folder.read("other"), "not ours");
        EXPECT_EQ(folder.read(SaveRecordName), LevelOneRecord);
    }
    fs::remove("other");

    // A folder that will not go away under that name: no save, the old record
    // kept (the last save above, or the one before where links cannot be made).
    const std::string lastSaved = folder.read(SaveRecordName);
    fs::create_directory(newName);
    folder.write(fs::path(newName) / "inside", "x");
    EXPECT_FALSE(writeSaveRecord(handMadeBoard(4)));
    EXPECT_EQ(folder.read(SaveRecordName), lastSaved);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{SaveRecordName, newName}));
    EXPECT_EQ(tc::interruptsHeld(), 0);
}

}  // namespace
