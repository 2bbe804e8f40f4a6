// The Windows console layer with its output going to a file: the bytes a
// console would be handed, as UTF-16 in the C runtime's text mode.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "platform/platform.hpp"

namespace fs = std::filesystem;

namespace {

// UTF-16 text as Windows keeps it in memory and in files: little-endian.
std::string utf16le(const std::u16string& text)
{
    return {reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t)};
}

// Standard output goes to a file for the test's length.
class ConsoleOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::fflush(stdout);
        saved_ = _dup(_fileno(stdout));
        const int file = _open(path_.string().c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
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
        fs::remove(path_);
    }
    std::string onDisk() const
    {
        std::ifstream file(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }

    fs::path path_ = fs::temp_directory_path() / ("quillonex-output-" + std::to_string(std::rand()) + ".bin");
    int saved_ = -1;
};

TEST_F(ConsoleOutput, TextsLeaveLiterallyAsUtf16WithWindowsLineEndsAndBeforeEveryWait)
{
    // The start-up failure message is narrow and out at once; the rest is wide and out before every wait.
    platform::printNarrow("Something broke, 100%");
    EXPECT_EQ(onDisk(), "Something broke, 100%");
    ASSERT_TRUE(platform::openConsole());
    platform::printText(L"Welcome\n \u2588\x1b[38;2;255;255;0m\u25ac\x1b[0m 100% %d %s %%\U0001F600");
    platform::printText(std::wstring_view(L"a\0b", 3));
    platform::printLevelHeader(1);
    platform::printLevelHeader(-3);
    platform::printLevelHeader(2147483647);
    std::u16string expected = u"Welcome\r\n \u2588\x1b[38;2;255;255;0m\u25ac\x1b[0m 100% %d %s %%\U0001F600";
    expected += std::u16string(u"a\0b", 3) + u"Level 1\r\n\r\nLevel -3\r\n\r\nLevel 2147483647\r\n\r\n";
    const std::function<void()> waits[] = {[] { platform::pause(0); }, [] { platform::moveCursor(0, 5); },
                                           [] { platform::keyWaiting(); }, [] { platform::idle(); },
                                           [] { platform::showOutput(); }};
    for (const auto& wait : waits) {
        wait();
        EXPECT_EQ(onDisk(), "Something broke, 100%" + utf16le(expected));
        platform::printText(L"Saved Game \r");
        expected += u"Saved Game \r";
    }
}

TEST(DiskFlush, FlushesFilesAndFoldersAndFailsForMissingOnes)
{
    const fs::path folder = fs::temp_directory_path() / ("quillonex-flush-" + std::to_string(std::rand()));
    fs::create_directories(folder);
    std::ofstream(folder / "record.quillonex") << "120000000";
    EXPECT_TRUE(platform::flushFileToDisk((folder / "record.quillonex").string().c_str()));
    EXPECT_TRUE(platform::flushFileToDisk(folder.string().c_str()));
    EXPECT_FALSE(platform::flushFileToDisk((folder / "missing").string().c_str()));
    fs::remove_all(folder);
}

}  // namespace
