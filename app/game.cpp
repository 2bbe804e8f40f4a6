#include "app/game.hpp"

#include <optional>
#include <string>
#include <string_view>

#include "app/options.hpp"
#include "app/title.hpp"
#include "app/wrap.hpp"
#include "board/board.hpp"
#include "platform/platform.hpp"
#include "play/input.hpp"
#include "play/level.hpp"
#include "save/record.hpp"

namespace {

constexpr const char* StartupFailure = "Something broke within the game. Sorry, but you won't be able to play the game";
constexpr std::wstring_view ResumeQuestion =
    L"Do you want to use your last saved data (y/n)? If you are using a Xbox controller controller, press 'a' to "
    L"use your last saved data and press 'b' to not.\n";
constexpr std::wstring_view ResumeReminder = L"Please give a proper response.\n";
constexpr std::wstring_view DeathMessage = L"You have died!\n";
constexpr std::wstring_view RestartQuestion =
    L"Do you wanna restart (y/n)? If you are using an Xbox controller, press 'a' to restart and 'b' to not.\n";
constexpr std::wstring_view RestartReminder = L"Please input your answer again\n";
constexpr std::wstring_view Farewell = L"Thank you for playing the quillonex!\n";
constexpr std::int32_t FarewellMs = 3000;

// Asks until the player answers yes or no; any other key gets the reminder.
Input askYesOrNo(Place place, std::wstring_view reminder)
{
    platform::showCursor(true);
    for (;;) {
        const Input input = waitForInput(place);
        if (input.command == Command::Yes || input.command == Command::No) {
            return input;
        }
        printBetweenWords({&reminder, 1});
    }
}

struct Start {
    std::int32_t level = 1;
    bool resumed = false;
};

// Offers the saved game when there is one the game can play, and loads it on yes.
Start offerSavedGame()
{
    Start start;
    removeUnfinishedSaves();
    // Read once, before the question: the board offered is the board loaded,
    // whatever becomes of the file while the player makes up their mind.
    const std::optional<std::string> record = platform::readPlainFile(SaveRecordName, MaxRecordBytes);
    if (record && saveRecordUsable(*record)) {
        printBetweenWords({&ResumeQuestion, 1});
        const Input answer = askYesOrNo(Place::ResumePrompt, ResumeReminder);
        if (answer.command == Command::Yes) {
            start.level = readSaveRecord(*record);
            start.resumed = true;
        }
        pauseAfter(answer);
        platform::clearScreen();
    }
    return start;
}

// After a death: true to play again from the first level.
bool askToRestart()
{
    printBetweenWords({&DeathMessage, 1});
    printBetweenWords({&RestartQuestion, 1});
    const Input answer = askYesOrNo(Place::RestartPrompt, RestartReminder);
    // The answer's own pause, for no as for yes: the pad's rows decide it.
    const bool again = answer.command == Command::Yes;
    if (again) {
        platform::clearScreen();
    }
    pauseAfter(answer);
    return again;
}

void playLevels()
{
    const Start start = offerSavedGame();
    std::int32_t level = start.level;
    bool resumed = start.resumed;
    for (;;) {
        const LevelOutcome outcome = playLevel(level, resumed);
        resumed = false;
        if (outcome == LevelCompleted) {
            ++level;
        } else if (outcome == LevelDied && askToRestart()) {
            level = 1;
        } else {
            return;
        }
    }
}

// What the command line asks for besides a game; nothing to play.
std::optional<int> answerCommandLine(const Options& options)
{
    switch (options.request) {
    case Request::Help: platform::writeStandardOutput(usageText()); return 0;
    case Request::Version: platform::writeStandardOutput(versionText()); return 0;
    case Request::Mistake: platform::writeStandardError(options.mistake); return 2;
    case Request::Play: break;
    }
    return std::nullopt;
}

}  // namespace

int runGame(std::span<const std::string_view> arguments)
{
    const Options options = readOptions(arguments);
    if (const std::optional<int> status = answerCommandLine(options)) {
        return *status;
    }
    // no-color.org: set and not empty; a palette given on the command line outweighs it.
    const bool noColour = !platform::environmentVariable("NO_COLOR").empty();
    platform::chooseColours(options.palette ? options.palette
                            : noColour      ? std::optional(colours::Palette::None)
                                            : std::nullopt);
    if (!platform::openConsole()) {
        platform::writeStandardOutput(StartupFailure);
        return 0;
    }
    showTitleScreen();
    playLevels();
    platform::showCursor(true);
    printBetweenWords({&Farewell, 1});
    platform::pause(FarewellMs);
    platform::closeConsole();
    return 0;
}
