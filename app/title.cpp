#include "app/title.hpp"

#include <string_view>

#include "app/words.hpp"
#include "platform/platform.hpp"
#include "play/input.hpp"

namespace {

// Printed one after the other; the goal bar, the words around it and the red
// block share one line.
constexpr std::wstring_view TitleTexts[] = {
    L"Welcome to the quillonex. YOU are this.\n",
    L"     \u2588\u2588     \n",
    L"Aren't you so pretty\n",
    L"Move around by pressing the wasd or arrow keys\n",
    L"Try to get to the \x1b[48;2;150;75;0m\x1b[38;2;255;255;0m\u25ac\u25ac\x1b[0m",
    L" without touching the ",
    L"\x1b[38;2;255;0;0m\u2588\u2588\x1b[0m.\n",
    L"Press 'e' to save your progress and press 'q' to quit the game.\n",
    // One print over two lines of the screen, split here for width only.
    // NOLINTNEXTLINE(bugprone-suspicious-missing-comma)
    L"If you are using an Xbox controller, use the d-pad or the letter buttons to move "
    L"around.\nPress the start button to quit and press the back button to save.",
    L"\nGood Luck\n",
    L"DO NOT PRESS KEYS WHILE THE GAME IS DOING STUFF, SUCH AS SAVING OR UPDATING THE GAME.\n",
    L"Press 'enter' to continue. Press 'A' on a Xbox controller to continue as well.\n",
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
        platform::printText(EnterReminder);
    }
    platform::clearScreen();
}
