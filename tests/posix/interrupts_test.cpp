// The signals that end the game, held while a save is under way; the output shown, the pauses and the idle wait.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <string>

#include "platform/platform.hpp"

namespace {

volatile std::sig_atomic_t arrived = 0;

// Each of them waits while held, and arrives as soon as it is released.
TEST(Interrupts, WaitWhileASaveHoldsThem)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        struct sigaction noted {};
        noted.sa_handler = [](int) { arrived = 1; };
        struct sigaction before {};
        sigaction(signal, &noted, &before);
        arrived = 0;
        platform::holdInterrupts();
        std::raise(signal);
        EXPECT_EQ(arrived, 0) << signal;
        platform::releaseInterrupts();
        EXPECT_EQ(arrived, 1) << signal;
        sigaction(signal, &before, nullptr);
    }
}

// What the game prints reaches the terminal at a show and at a pause, without a look for keys: "Saving
// Game" stands there while a slow disk takes the save. A pause (the pad's 150 ms) lasts its whole length.
TEST(Output, ReachesTheTerminalAtAShowAndAtAPauseThatLastsItsWholeLength)
{
    int master = -1, terminal = -1;
    ASSERT_EQ(openpty(&master, &terminal, nullptr, nullptr, nullptr), 0);
    const int standardOutput = dup(STDOUT_FILENO);
    dup2(terminal, STDOUT_FILENO);
    const auto shown = [master] {
        char bytes[32];
        pollfd ready{master, POLLIN, 0};
        const ssize_t got = poll(&ready, 1, 1000) == 1 ? read(master, bytes, sizeof bytes) : 0;
        return std::string(bytes, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
    };
    platform::printText(L"Saving Game");
    platform::showOutput();
    const std::string atShow = shown();
    platform::printText(L" Saved");
    const auto start = std::chrono::steady_clock::now();
    platform::pause(150);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
    const std::string atPause = shown();
    dup2(standardOutput, STDOUT_FILENO);
    close(master), close(terminal), close(standardOutput);
    EXPECT_EQ(atShow + "|" + atPause, "Saving Game| Saved");
}

}  // namespace

// With no pad to read, the idle wait leaves the game asleep until a key comes, waking it only a few times a
// second to notice a pad plugged in. Counted as wake-ups in a second: a busy machine only makes them fewer.
TEST(IdleWait, WithoutAPadWakesTheGameAFewTimesASecond)
{
    int master = -1, terminal = -1;
    ASSERT_EQ(openpty(&master, &terminal, nullptr, nullptr, nullptr), 0);
    const int standardInput = dup(STDIN_FILENO);
    dup2(terminal, STDIN_FILENO);
    int wakeUps = 0;
    for (const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
         std::chrono::steady_clock::now() < end; ++wakeUps) {
        platform::idle();
    }
    dup2(standardInput, STDIN_FILENO);
    close(master), close(terminal), close(standardInput);
    EXPECT_LE(wakeUps, 10);
}
