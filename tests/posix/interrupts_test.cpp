// The signals that end the game, held while a save is under way; the pauses.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>

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

// A pause lasts its whole length: the pad's 150 ms between moves, a second and more.
TEST(Pause, LastsItsWholeLength)
{
    for (const int ms : {150, 1150}) {
        const auto start = std::chrono::steady_clock::now();
        platform::pause(ms);
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(ms));
    }
}

}  // namespace
