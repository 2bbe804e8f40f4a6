#include "app/game.hpp"

#include "app/title.hpp"
#include "platform/platform.hpp"

namespace {

constexpr const char* StartupFailure =
    "Something broke within the game. Sorry, but you won't be able to play the game";

}  // namespace

int runGame()
{
    if (!platform::openConsole()) {
        platform::printNarrow(StartupFailure);
        return 0;
    }
    showTitleScreen();
    platform::closeConsole();
    return 0;
}
