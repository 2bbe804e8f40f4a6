#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "board/board.hpp"
#include "maze/maze.hpp"
#include "save/record.hpp"
#include "tests/support/console.hpp"
#include "tests/support/ways.hpp"
#include "tests/support/scratch.hpp"

namespace fs = std::filesystem;
namespace tc = testconsole;

namespace {

// Hands out its text once and cannot go back to the start, like a pipe.
struct PipeRecord : std::streambuf {
    explicit PipeRecord(std::string text) : content(std::move(text))
    {
        setg(content.data(), content.data(), content.data() + content.size());
    }
    std::size_t handedOut() { return content.size() - static_cast<std::size_t>(in_avail()); }
    std::string content;
};

bool usable(const std::string& text)
{
    std::istringstream in(text);
    return saveRecordUsable(in);
}

// A square board of the side: the player first, the goal last, walls between.
std::string squareRecord(std::size_t side)
{
    std::string text(side * side, '9');
    text.front() = '8';
    text.back() = '0';
    return text;
}

const std::vector<std::int32_t> LevelOneCodes{1, 0, 2, 0, 0, 2, 2, 0, 3};
const std::string LevelOneRecord = "879779970";
const std::vector<std::string> OnlyTheRecord{SaveRecordName};

// Every test runs in a folder of its own, the game's current folder.
class RecordFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        startFresh();
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

TEST_F(RecordFormat, BoardsComeBackAsTheyWereWhateverFollowsALineFeed)
{
    ASSERT_TRUE(writeSaveRecord(LevelOneCodes));
    EXPECT_EQ(folder.read(SaveRecordName), LevelOneRecord);
    // Codes a snapshot never holds still give digits, never another byte.
    EXPECT_EQ(recordText({TileWalker, -3, INT32_MIN, INT32_MAX}), "1494");

    // Level 100 is read in several pieces; the line feed still ends it.
    for (const std::int32_t level : {1, 2, 8, 100}) {
        tc::setCalendarSeconds(level);
        generateMaze(level);
        const std::vector<std::int32_t> cells = board;
        ASSERT_TRUE(writeSaveRecord(cells));
        const std::string text = folder.read(SaveRecordName);
        for (const std::string& tail : {std::string(), std::string("\n"), "\n9999 anything\n" + text,
                                        std::string("\n\0\xff", 3), std::string("\r\n")}) {
            folder.write(SaveRecordName, text + tail);
            board.clear();
            EXPECT_EQ(loadRecord(), level);
            EXPECT_EQ(board, cells) << "level " << level << ", tail of " << tail.size();
        }
    }
    EXPECT_EQ(folder.entries(), OnlyTheRecord);
}

TEST_F(DamagedRecord, AnythingButAPlayableBoardIsNoSavedGame)
{
    const std::vector<std::string> damaged{
        "", "\n879779970",                  // empty, nothing before the line feed
        "87977997", "8797799700", "8790",   // not square, a level-0 board
        "879779170", "879779 70", "879779a70", "879\xff" "79970",  // no cell of a played board; NOLINT(bugprone-suspicious-missing-comma): the split ends the \xff escape
        std::string("8797\0" "9970", 9),    // a NUL byte
        "779779970", "789779970", "889779970",  // player missing, elsewhere, twice
        "879779977", "879779907", "879770970",  // goal missing, elsewhere, twice
        "879779970\r", "879779970\r\r\n", "8797\r\n79970",  // a carriage return not right before a line feed
    };
    for (const std::string& text : damaged) {
        EXPECT_FALSE(usable(text)) << '"' << text << '"';
    }
    EXPECT_TRUE(usable(LevelOneRecord));
    // The widest board the game takes, and one cell wider.
    EXPECT_TRUE(usable(squareRecord(MaxRecordSide)));
    EXPECT_TRUE(usable(squareRecord(MaxRecordSide) + "\r\n"));
    EXPECT_FALSE(usable(squareRecord(MaxRecordSide + 1)));
    // Once looked at, a pipe would leave the reader nothing.
    PipeRecord pipe(LevelOneRecord);
    std::istream fromPipe(&pipe);
    EXPECT_FALSE(saveRecordUsable(fromPipe));
}

TEST_F(DamagedRecord, AFileTooLargeForAnyBoardIsRejectedWithoutReadingItAll)
{
    PipeRecord huge(squareRecord(std::size_t{2} * MaxRecordSide));
    std::istream in(&huge);
    EXPECT_FALSE(saveRecordUsable(in));
    EXPECT_LE(huge.handedOut(), static_cast<std::size_t>(MaxRecordSide) * MaxRecordSide + 4096);
}

TEST_F(SafeSave, ANewRecordReplacesTheOldOnlyOnceItIsWholeOnDisk)
{
    folder.write(SaveRecordName, LevelOneRecord);
    const std::vector<std::int32_t> cells{1, 0, 0, 0, 2, 0, 2, 2, 2, 0, 0, 2, 2, 0, 0, 3};
    const std::string newText = "8777" "9799" "9779" "9770";
    std::string newName;
    int folderFlushes = 0;
    tc::onDiskFlush([&](const std::string& path) {
        EXPECT_GT(tc::interruptsHeld(), 0);
        if (path != ".") {
            // The new text is whole in a file of its own; the old record is untouched.
            newName = path;
            EXPECT_EQ(folder.read(path), newText);
            EXPECT_EQ(folder.read(SaveRecordName), LevelOneRecord);
            return true;
        }
        ++folderFlushes;
        EXPECT_EQ(folder.read(SaveRecordName), newText);
        return false;  // the record is replaced already, so the save still counts
    });
    EXPECT_TRUE(writeSaveRecord(cells));
    EXPECT_EQ(folderFlushes, 1);
    EXPECT_EQ(folder.read(SaveRecordName), newText);
    EXPECT_EQ(folder.entries(), OnlyTheRecord);
    EXPECT_EQ(tc::interruptsHeld(), 0);
    ASSERT_NE(newName, "");
    ASSERT_NE(newName, SaveRecordName);

    // Leftovers of other saves, and links planted where a save wrote before,
    // under our pattern and as the record.
    tc::onDiskFlush(nullptr);
    const std::string own = NewRecordPrefix;
    folder.write(own + "Killed", "87");  // left by a save cut short an hour ago
    fs::last_write_time(own + "Killed", fs::file_time_type::clock::now() - std::chrono::hours(1));
    folder.write(own + "Fresh0", "8");  // another copy of the game saving right now
    fs::create_directories(own + "Folder/inside");
    fs::create_directories("record.quillonex.tmp/inside");  // where older versions wrote
    folder.write("other", "PRECIOUS");
    std::error_code noLinks;
    fs::remove(SaveRecordName);
    for (const std::string& name : {newName, own + "Linked", std::string(SaveRecordName)}) {
        fs::create_symlink("other", name, noLinks);
    }
    EXPECT_TRUE(writeSaveRecord(LevelOneCodes));
    std::vector<std::string> left{"other", SaveRecordName, own + "Folder", own + "Fresh0", "record.quillonex.tmp"};
    if (!noLinks) {
        left.insert(left.end(), {own + "Linked", newName});
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(folder.entries(), left);
    // A link swapped in for the new file while it is written does not become the record.
    bool swapped = false;
    tc::onDiskFlush([&](const std::string& path) {
        std::error_code busy;  // Windows lets nobody remove a file the game is writing
        if (path != ".") {
            swapped = fs::remove(path, busy) && (fs::create_symlink("other", path, busy), !busy);
        }
        return true;
    });
    const bool saved = writeSaveRecord(std::vector<std::int32_t>(16, TileFloor));
    EXPECT_NE(saved, swapped);
    EXPECT_EQ(folder.read("other"), "PRECIOUS");
    EXPECT_FALSE(fs::is_symlink(SaveRecordName));
    EXPECT_EQ(folder.read(SaveRecordName), swapped ? LevelOneRecord : std::string(16, '7'));
}

TEST_F(SafeSave, AFailingDiskKeepsTheOldRecordByteForByte)
{
    const std::string old = LevelOneRecord + "\nkept as it is";
    folder.write(SaveRecordName, old);
    tc::failDiskFlush(true);
    EXPECT_FALSE(writeSaveRecord(LevelOneCodes));
    EXPECT_EQ(folder.read(SaveRecordName), old);
    EXPECT_EQ(folder.entries(), OnlyTheRecord);
    EXPECT_EQ(tc::interruptsHeld(), 0);
}

TEST_F(SafeSave, AFolderUnderTheRecordsNameIsNoSavedGameAndIsLeftAlone)
{
    fs::create_directory(SaveRecordName);
    folder.write(fs::path(SaveRecordName) / "inside", "mine");
    EXPECT_EQ(loadRecord(), std::nullopt);
    EXPECT_FALSE(writeSaveRecord(LevelOneCodes));
    EXPECT_EQ(folder.read(fs::path(SaveRecordName) / "inside"), "mine");
    EXPECT_EQ(folder.entries(), OnlyTheRecord);
}

}  // namespace
