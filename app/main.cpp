#include <string_view>
#include <vector>

#include "app/game.hpp"

int main(int argc, char** argv)
{
    const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
    return runGame(arguments);
}
