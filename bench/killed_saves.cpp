// What a save killed halfway leaves behind: the built game resumes a level-100
// record in a pseudo-terminal, the player presses e, and the game is killed
// (SIGKILL, which no program can catch) after a random wait of up to the
// given number of microseconds. Each try counts what
// lies in the folder besides the record, and whether the record is still the
// whole record it was. Then, with whatever was left made a minute older, the
// game is started again and what remains once it asks to resume is counted.
//
//   killed_saves [tries] [longest wait in us]      (defaults 200 and 3000)
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "bench/terminal_play.hpp"
#include "tests/e2e/pty.hpp"

namespace fs = std::filesystem;

namespace {

constexpr int Level = 100;

std::string contentOf(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Everything in the folder but the record.
int strayEntries(const fs::path& folder)
{
    int stray = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        stray += entry.path().filename() != "record.quillonex" ? 1 : 0;
    }
    return stray;
}

}  // namespace

int main(int argc, char** argv)
{
    const int tries = argc > 1 ? std::stoi(argv[1]) : 200;
    const int longestWaitUs = argc > 2 ? std::stoi(argv[2]) : 3000;
    const std::string record = terminalplay::edgePathRecord(Level);
    std::mt19937 random(2026);
    int leftBehind = 0;
    int recordsTorn = 0;
    int leftAfterRestart = 0;
    int done = 0;
    for (int t = 0; t < tries; ++t) {
        const fs::path folder = terminalplay::folderWithRecord(record);
        {
            GameInTerminal game(2 * (Level + 2) + 1, Level + 5, folder.string());
            if (!terminalplay::resumeSavedLevel(game, Level, 20000)) {
                std::fprintf(stderr, "the game did not reach level %d\n", Level);
                return 1;
            }
            game.type("e");
            std::this_thread::sleep_for(std::chrono::microseconds(random() % (longestWaitUs + 1)));
            game.signal(SIGKILL);
            game.waitForExit(5000, false);
        }
        const int stray = strayEntries(folder);
        leftBehind += stray > 0 ? 1 : 0;
        recordsTorn += contentOf(folder / "record.quillonex") != record ? 1 : 0;
        // Left a minute and more ago, so no other save could still be writing it.
        for (const auto& entry : fs::directory_iterator(folder)) {
            fs::last_write_time(entry.path(), fs::file_time_type::clock::now() - std::chrono::minutes(2));
        }
        if (stray > 0) {
            GameInTerminal game(2 * (Level + 2) + 1, Level + 5, folder.string());
            game.waitForLine("Press 'enter'");
            game.type("\r");
            game.waitForLine("Do you want");
            leftAfterRestart += strayEntries(folder) > 0 ? 1 : 0;
        }
        fs::remove_all(folder);
        ++done;
    }
    std::printf("| tries | a file left behind | record not whole | still there after the next start |\n"
                "|---:|---:|---:|---:|\n| %d | %d | %d | %d |\n",
                done, leftBehind, recordsTorn, leftAfterRestart);
    std::printf("\nKilled at a random moment up to %d us after the e, at level %d.\n", longestWaitUs, Level);
    return 0;
}
