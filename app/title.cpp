#include "app/title.hpp"

#include <string_view>

#include "app/wrap.hpp"
#include "platform/platform.hpp"
#include "play/input.hpp"

namespace {

// Printed one after the other; the goal, the words around it and a wall share
// one line.
constexpr TextPiece TitleTexts[] = {
    {L"Welcome to the quillonex. YOU are this.\n"},
    {L"     "},
    {{}, platform::Cell::Player},
    {L"     \n"},
    {L"Aren't you so pretty\n"},
    {L"Move around by pressing the wasd or arrow keys\n"},
    {L"Try to get to the "},
    {{}, platform::Cell::Goal},
    {L" without touching the "},
    {{}, platform::Cell::Wall},
    {L".\n"},
    {L"Press 'e' to save your progress and press 'q' to quit the game.\n"},
    // One print over two lines of the screen, split here for width only.
    {L"If you are using an Xbox controller, use the d-pad or the letter buttons to move "
     L"around.\nPress the start button to quit and press the back button to save."},
    {L"\nGood Luck\n"},
    {L"DO NOT PRESS KEYS WHILE THE GAME IS DOING STUFF, SUCH AS SAVING OR UPDATING THE GAME.\n"},
    {L"Press 'enter' to continue. Press 'A' on a Xbox controller to continue as well.\n"},
};

constexpr std::wstring_view EnterReminder = L"Please input 'enter'\n";

}  // namespace

void showTitleScreen()
{
    printBetweenWords(TitleTexts);
    for (;;) {
        const Input input = waitForInput(Place::Title);
        if (input.command == Command::Confirm) {
            pauseAfter(input);
            break;
        }
        printBetweenWords({&EnterReminder, 1});
    }
    platform::clearScreen();
}
