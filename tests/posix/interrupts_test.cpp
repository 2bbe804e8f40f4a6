// The signals that end the game, held while a save is under way.
#include <gtest/gtest.h>

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

}  // namespace
