#include <cerrno>
#include <chrono>
#include <optional>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#endif

#include "maze/maze.hpp"
#include "platform/platform.hpp"
#include "tests/support/ways.hpp"

namespace fs = std::filesystem;

namespace {

const std::vector<std::int32_t> LevelOne = cellsOf("P.#/..#/#.G");
const std::string LevelOneRecord = "879779970";

// Reads the record as the game does at start-up and loads it when usable.
std::optional<std::int32_t> load()
{
    board.clear();
    errno = EINTR;
    const std::optional<std::string> record = platform::readPlainFile(SaveRecordName, MaxRecordBytes);
    return record && saveRecordUsable(*record) ? std::optional(readSaveRecord(*record)) : std::nullopt;
}

class Record : public ::testing::Test {
protected:
    // As after a wait that a signal cut short: EINTR left behind, which no later read or write may take for its own.
    void SetUp() override { startFresh(), errno = EINTR; }
    ScratchFolder folder;
};

TEST_F(Record, BoardsComeBackAsTheyWereWhateverFollowsALineFeed)
{
    // Codes a snapshot never holds still give digits, never another byte.
    EXPECT_EQ(recordText({TileWalker, -3, INT32_MIN, INT32_MAX}), "1494");
    // Level 100 is read in several pieces; the line feed still ends it.
    for (const std::int32_t level : {1, 2, 8, 100}) {
        generateMazeFromSeed(level, static_cast<std::uint32_t>(level), mazeDrawBudget(level));
        const std::vector<std::int32_t> cells = board;
        ASSERT_TRUE(writeSaveRecord(cells));
        const std::string text = folder.read(SaveRecordName);
        for (const std::string& tail :
             {std::string(), "\n9999\n" + text, std::string("\n\0\xff", 3), std::string("\r\n")}) {
            folder.write(SaveRecordName, text + tail);
            EXPECT_EQ(load(), level);
            EXPECT_EQ(board, cells) << "level " << level << ", tail of " << tail.size();
        }
    }
}

TEST_F(Record, AnythingButAPlayableBoardIsNoSavedGame)
{
    // Empty, not square, a level-0 board; a byte that is no tile; player and goal: none, moved, two; a return not
    // right before the line feed; too wide, too long.
    const std::string tooWide = squareRecord(1001), tooLong = squareRecord(1000) + "\r\n\n";
    const std::string refused[] = {
        "",          "\n879779970", "87977997",        "8797799700",    "8790",
        "879779170", "879779 70",   "879779a70",       "879\37779970",  std::string("8797\0009970", 9),
        "779779970", "789779970",   "889779970",       "879779977",     "879779907",
        "879770970", "879779970\r", "879779970\r\r\n", "8797\r\n79970", tooWide,
        tooLong};
    for (const std::string& text : refused) {
        folder.write(SaveRecordName, text);
        EXPECT_EQ(load(), std::nullopt) << '"' << text.substr(0, 20) << '"';
    }
    // Level 998, the last, is 1000 cells a side.
    folder.write(SaveRecordName, squareRecord(1000) + "\r\n");
    EXPECT_EQ(load(), 998);
    fs::remove(SaveRecordName);
    // Nor is a folder under the record's name, which a save leaves alone.
    fs::create_directory(SaveRecordName);
    folder.write(fs::path(SaveRecordName) / "inside", "mine");
    EXPECT_EQ(load(), std::nullopt);
    EXPECT_FALSE(writeSaveRecord(LevelOne));
    EXPECT_EQ(folder.read(fs::path(SaveRecordName) / "inside"), "mine");
    EXPECT_EQ(folder.entries(), std::set<std::string>{SaveRecordName});
}

TEST_F(Record, ANewRecordReplacesTheOldOnlyOnceItIsWholeOnDiskAndNeverThroughALink)
{
    folder.write(SaveRecordName, LevelOneRecord);
    const std::vector<std::int32_t> cells = cellsOf("P.../#.##/#..#/#..G");
    const std::string newText = "8777979997799770";
    // The new text is flushed whole from a file of its own while the old record stands, then the
    // folder once the record is replaced; a failing folder flush comes too late to undo the save.
    std::vector<std::string> flushed;
    tc::onDiskFlush([&](const std::string& path) {
        EXPECT_GT(tc::recorded().interruptsHeld, 0);
        flushed.push_back(path);
        const std::string seen = folder.read(SaveRecordName) + "|" + (path == "." ? "" : folder.read(path));
        EXPECT_EQ(seen, path == "." ? newText + "|" : LevelOneRecord + "|" + newText);
        return path != ".";
    });
    EXPECT_TRUE(writeSaveRecord(cells));
    ASSERT_EQ(flushed.size(), 2u);
    EXPECT_TRUE(flushed[0].starts_with(NewRecordPrefix) && flushed[1] == ".") << flushed[0];
    EXPECT_EQ(folder.entries(), std::set<std::string>{SaveRecordName});
    EXPECT_EQ(tc::recorded().interruptsHeld, 0);

    // Leftovers of other saves; links planted under our own names and as the record.
    tc::onDiskFlush(nullptr);
    const std::string own = NewRecordPrefix;
    folder.write(own + "Killed", "87");  // left by a save cut short an hour ago
    fs::last_write_time(own + "Killed", fs::file_time_type::clock::now() - std::chrono::hours(1));
    fs::create_directories(own + "Folder/inside");
    folder.write("other", "PRECIOUS");
    std::error_code noLinks;
    fs::remove(SaveRecordName);
    for (const std::string& name : {flushed[0], own + "Linked", std::string(SaveRecordName)}) {
        fs::create_symlink("other", name, noLinks);
    }
    EXPECT_TRUE(writeSaveRecord(LevelOne));
    std::set<std::string> left{"other", SaveRecordName, own + "Folder"};
    if (!noLinks) {
        left.insert({own + "Linked", flushed[0]});
    }
    EXPECT_EQ(folder.entries(), left);
    // A link, or a file of someone else's, swapped in for the new file while it is written does not become the record.
    for (const bool link : {true, false}) {
        bool swapped = false;
        tc::onDiskFlush([&](const std::string& path) {
            std::error_code busy;  // Windows lets nobody remove a file the game is writing
            if (path != "." && fs::remove(path, busy)) {
                link ? fs::create_symlink("other", path, busy) : (void)fs::copy_file("other", path, busy);
                swapped = !busy;
            }
            return true;
        });
        EXPECT_NE(writeSaveRecord(cells), swapped) << link;
        EXPECT_EQ(folder.read("other"), "PRECIOUS");
        EXPECT_FALSE(fs::is_symlink(SaveRecordName));
        EXPECT_EQ(folder.read(SaveRecordName), swapped ? LevelOneRecord : newText);
    }

    // A failing disk: no save, the last record kept byte for byte, no file left.
    folder.write(SaveRecordName, newText + "\nkept");
    const std::set<std::string> before = folder.entries();
    tc::onDiskFlush([](const std::string&) { return false; });
    EXPECT_FALSE(writeSaveRecord(LevelOne));
    EXPECT_EQ(folder.read(SaveRecordName), newText + "\nkept");
    EXPECT_EQ(folder.entries(), before);
    EXPECT_EQ(tc::recorded().interruptsHeld, 0);
}

#ifndef _WIN32
// The record gets the mode bits any new file of the player gets, whatever mode it had and whatever the player's umask.
TEST_F(Record, TakesTheModeBitsOfTheUmask)
{
    const std::pair<mode_t, int> masks[] = {{022, 0644}, {077, 0600}, {002, 0664}, {0, 0666}};
    const mode_t before = umask(0);
    for (const auto& [mask, perms] : masks) {
        umask(mask);
        // Twice: a save leaves the umask as it found it.
        for (int save = 0; save < 2; ++save) {
            ASSERT_TRUE(writeSaveRecord(LevelOne));
            EXPECT_EQ(fs::status(SaveRecordName).permissions(), fs::perms(perms)) << mask;
            fs::permissions(SaveRecordName, fs::perms(0400));
        }
    }
    umask(before);
}

// A disk that takes only part of the new record, or a folder gone: no save, the last record whole.
TEST_F(Record, ASaveThatCannotBeWrittenWholeKeepsTheLastRecord)
{
    folder.write(SaveRecordName, "8777979997799770");
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit full{4, limit.rlim_max};
    const auto ignored = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &full);
    const bool saved = writeSaveRecord(LevelOne);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, ignored);
    EXPECT_FALSE(saved);
    EXPECT_EQ(folder.read(SaveRecordName), "8777979997799770");
    EXPECT_EQ(folder.entries(), std::set<std::string>{SaveRecordName});
    // The folder removed under the game: nothing can be made in it, even by root.
    fs::remove_all(fs::current_path());
    EXPECT_FALSE(writeSaveRecord(LevelOne));
}
#endif

}  // namespace
