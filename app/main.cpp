#include "app/game.hpp"

int main()
{
    return runGame();
}
