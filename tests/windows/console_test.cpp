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
#include <string>

#include "platform/platform.hpp"
#include "tests/support/scratch.hpp"

namespace fs = std::filesystem;

namespace {

// UTF-16 as Windows keeps it in memory and in files: little-endian.
std::string bytesOf(const std::u16string& s) { return {reinterpret_cast<const char*>(s.data()), 2 * s.size()}; }

TEST(ConsoleOutput, TextsLeaveLiterallyAsUtf16WithWindowsLineEndsAndBeforeEveryWait)
{
    // Standard output goes to a file until the end; nothing may return early meanwhile.
    const fs::path path = fs::temp_directory_path() / ("quillonex-output-" + std::to_string(std::rand()) + ".bin");
    std::fflush(stdout);
    const int saved = _dup(_fileno(stdout));
    const int file = _open(path.string().c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
    ASSERT_GE(file, 0);
    _dup2(file, _fileno(stdout));
    _close(file);
    // The start-up failure message is narrow and out at once; the rest is wide and out before every wait.
    platform::writeStandardOutput("Something broke, 100%");
    EXPECT_EQ(contentOf(path), "Something broke, 100%");
    EXPECT_TRUE(platform::openConsole());
    platform::printText(L"Welcome\n \u2588\x1b[38;2;255;255;0m\u25ac\x1b[0m 100% %d %s %%\U0001F600");
    platform::printText(std::wstring_view(L"a\0b", 3));
    std::u16string expected = u"Welcome\r\n \u2588\x1b[38;2;255;255;0m\u25ac\x1b[0m 100% %d %s %%\U0001F600";
    expected += std::u16string(u"a\0b", 3);
    const std::function<void()> waits[] = {[] { platform::pause(0); }, [] { platform::moveCursor(0, 5); },
                                           [] { platform::keyWaiting(); }, [] { platform::idle(); },
                                           [] { platform::showOutput(); }};
    for (const auto& wait : waits) {
        wait();
        EXPECT_EQ(contentOf(path), "Something broke, 100%" + bytesOf(expected));
        platform::printText(L"Saved Game \r");
        expected += u"Saved Game \r";
    }
    // The game's own colours, cell by cell; without colour not one sequence goes out: floor, wall and player keep
    // apart by shape.
    platform::printCell(platform::Cell::Goal);
    platform::chooseColours(colours::Palette::None);
    for (const platform::Cell cell : {platform::Cell::Floor, platform::Cell::Wall, platform::Cell::Player}) {
        platform::printCell(cell);
    }
    platform::showOutput();
    const std::u16string shapes =
        u"Saved Game \r\x1b[48;2;150;75;0m\x1b[38;2;255;255;0m\u25ac\u25ac\x1b[0m\u2591\u2591\u2588\u2588[]";
    EXPECT_TRUE(contentOf(path).ends_with(bytesOf(shapes)));
    platform::closeConsole();
    std::fflush(stdout);
    // Back to narrow text, for the test runner's own report.
    _setmode(_fileno(stdout), _O_TEXT);
    _dup2(saved, _fileno(stdout));
    _close(saved);
    fs::remove(path);
}

// A file's writes are flushed. NTFS commits a folder's entries through its journal, with no flush a program can
// ask for: a folder only has to be there. Neither is once removed.
TEST(DiskFlush, FlushesFilesAndFailsForWhatIsNotThere)
{
    const fs::path folder = newFolder(), file = folder / "record.quillonex";
    std::ofstream(file) << "120000000";
    EXPECT_TRUE(platform::flushFileToDisk(file.string().c_str()) && platform::flushFileToDisk(folder.string().c_str()));
    fs::remove_all(folder);
    EXPECT_FALSE(platform::flushFileToDisk(file.string().c_str()));
    EXPECT_FALSE(platform::flushFileToDisk(folder.string().c_str()));
}

}  // namespace
