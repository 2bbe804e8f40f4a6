// The Windows console layer with its output going to a file: the bytes a
// console would be handed, as UTF-16 in the C runtime's text mode.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/platform.hpp"

namespace fs = std::filesystem;

namespace {

std::string utf16le(std::u16string_view text)
{
    std::string bytes;
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xff);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

std::string readFile(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// Standard output goes to a file for the test's length.
class ConsoleOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = fs::temp_directory_path() / ("quillonex-output-" + std::to_string(std::rand()) + ".bin");
        std::fflush(stdout);
        saved_ = _dup(_fileno(stdout));
        const int file = _open(path_.string().c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY,
                               _S_IREAD | _S_IWRITE);
        ASSERT_GE(file, 0);
        _dup2(file, _fileno(stdout));
        _close(file);
    }

    void TearDown() override
    {
        platform::closeConsole();
        std::fflush(stdout);
        // Back to narrow text, for the test runner's own report.
        _setmode(_fileno(stdout), _O_TEXT);
        _dup2(saved_, _fileno(stdout));
        _close(saved_);
        std::error_code ignored;
        fs::remove(path_, ignored);
    }

    std::string written()
    {
        std::fflush(stdout);
        return onDisk();
    }

    // What the game itself let out so far.
    std::string onDisk() const { return readFile(path_); }

private:
    fs::path path_;
    int saved_ = -1;
};

TEST_F(ConsoleOutput, TextsLeaveAsUtf16WithWindowsLineEnds)
{
    ASSERT_TRUE(platform::openConsole());
    platform::printText(L"Welcome\n     \u2588\u2588\n");
    platform::printText(L"\x1b[48;2;150;75;0m\x1b[38;2;255;255;0m\u25ac\u25ac\x1b[0m");
    platform::printText(L"Saved Game \r");
    EXPECT_EQ(written(), utf16le(u"Welcome\r\n     \u2588\u2588\r\n"
                                 u"\x1b[48;2;150;75;0m\x1b[38;2;255;255;0m\u25ac\u25ac\x1b[0m"
                                 u"Saved Game \r"));
}

TEST_F(ConsoleOutput, ATextPrintsLiterallyWhateverItHolds)
{
    // Used as a format, these would be conversions or end the text early.
    ASSERT_TRUE(platform::openConsole());
    platform::printText(L"100% %d %s %%");
    platform::printText(std::wstring_view(L"a\0b", 3));
    // A character outside the first plane: a surrogate pair on Windows.
    platform::printText(L"\U0001F600");
    EXPECT_EQ(written(), utf16le(u"100% %d %s %%") + std::string("a\0\0\0b\0", 6) + utf16le(u"\U0001F600"));
}

TEST_F(ConsoleOutput, LevelHeaderHasTheNumberAndABlankLine)
{
    ASSERT_TRUE(platform::openConsole());
    platform::printLevelHeader(1);
    platform::printLevelHeader(-3);
    platform::printLevelHeader(2147483647);
    EXPECT_EQ(written(), utf16le(u"Level 1\r\n\r\nLevel -3\r\n\r\nLevel 2147483647\r\n\r\n"));
}

TEST_F(ConsoleOutput, StartUpFailureMessageIsNarrow)
{
    // Printed when the console could not be opened: the output is untouched.
    platform::printNarrow("Something broke, 100%");
    EXPECT_EQ(written(), "Something broke, 100%");
}

TEST_F(ConsoleOutput, PrintsAreOutBeforeEveryWaitAndCursorMove)
{
    ASSERT_TRUE(platform::openConsole());
    platform::printText(L"Saving Game");
    platform::pause(0);
    EXPECT_EQ(onDisk(), utf16le(u"Saving Game"));
    platform::printText(L"Saved Game \r");
    platform::moveCursor(0, 5);
    EXPECT_EQ(onDisk(), utf16le(u"Saving GameSaved Game \r"));
    platform::printText(L"Level");
    platform::keyWaiting();
    EXPECT_EQ(onDisk(), utf16le(u"Saving GameSaved Game \rLevel"));
    platform::printText(L"!");
    platform::idle();
    EXPECT_EQ(onDisk(), utf16le(u"Saving GameSaved Game \rLevel!"));
    platform::printText(L"?");
    platform::showOutput();
    EXPECT_EQ(onDisk(), utf16le(u"Saving GameSaved Game \rLevel!?"));
}

TEST(DiskFlush, FlushesFilesAndFoldersAndFailsForMissingOnes)
{
    const fs::path folder = fs::temp_directory_path() / ("quillonex-flush-" + std::to_string(std::rand()));
    fs::create_directories(folder);
    const fs::path record = folder / "record.quillonex";
    std::ofstream(record) << "120000000";
    EXPECT_TRUE(platform::flushFileToDisk(record.string().c_str()));
    EXPECT_TRUE(platform::flushFileToDisk(folder.string().c_str()));
    EXPECT_FALSE(platform::flushFileToDisk((folder / "missing").string().c_str()));
    fs::remove_all(folder);
}

TEST(Calendar, CountsSecondsLikeTheRuntime)
{
    const std::int64_t before = static_cast<std::int64_t>(std::time(nullptr));
    const std::int64_t seconds = platform::calendarSeconds();
    const std::int64_t after = static_cast<std::int64_t>(std::time(nullptr));
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, after);
}

}  // namespace
