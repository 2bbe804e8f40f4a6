// What terminfo entries, Debian's and our own made with tic, tell about colours and the cursor.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/posix/terminfo.hpp"
#include "tests/support/scratch.hpp"

namespace {

std::string told(const char* term)
{
    const auto found = terminfo::capabilities(term);
    return found ? std::string(found->direct ? "24-bit, " : "") + std::to_string(found->colours) : "no entry";
}

TEST(Terminfo, TellsTheColoursOfEachEntryWhereverRgbIsWrittenAndOfNoEntry)
{
    EXPECT_EQ(told("nowhere") + "; " + told(""), "no entry; no entry");
    // RGB as a flag, a number or a string, tmux's Tc, a setrgbf string; none of them.
    ScratchFolder folder;
    folder.write("entries",
                 "qx-flag|a,colors#256,RGB,\nqx-number|b,colors#256,RGB#8,\nqx-string|c,colors#256,RGB=8/8/8,\n"
                 "qx-tc|d,colors#256,Tc,\nqx-setrgbf|e,colors#88,setrgbf=\\E[38;2;%p1%d;%p2%d;%p3%dm,\n"
                 "qx-plain|f,colors#16,\nqx-none|g,\nqx-pad|h,colors#8,civis=\\E[?25l$<5>,cnorm=$<2*/>\\E[?25h,\n"
                 // A cnorm of 32 bytes, as much as the output keeps, and one of 40.
                 "qx-32|i,civis=\\E[?25l\\E[?1c,cnorm=\\E[?12l\\E[?7h\\E[?7h\\E[?7h\\E[?7h\\E[?25h,\n"
                 "qx-40|j,civis=\\E[?25l\\E[?1c,cnorm=\\E[?12l\\E[?12l\\E[?12l\\E[?12l\\E[?7h\\E[?7h\\E[?25h,\n");
    // A fixed command of the test's own, in its scratch folder.
    ASSERT_EQ(std::system("tic -x -o terminfo entries"), 0);  // NOLINT(cert-env33-c)
    setenv("TERMINFO", "terminfo", 1);
    std::string own;
    for (const char* term : {"qx-flag", "qx-number", "qx-string", "qx-tc", "qx-setrgbf", "qx-plain", "qx-none"}) {
        own += told(term) + "; ";
    }
    EXPECT_EQ(own, "24-bit, 256; 24-bit, 256; 24-bit, 256; 24-bit, 256; 24-bit, 88; 16; 0; ");
    // The delays were for serial lines: a terminal would print them as text.
    const auto padded = terminfo::capabilities("qx-pad");
    EXPECT_EQ(padded->hideCursor + "|" + padded->showCursor, "\x1b[?25l|\x1b[?25h");
    // Cut short, a longer cnorm would leave the cursor hidden: both sequences are then the standard ones.
    const auto kept = terminfo::capabilities("qx-32"), replaced = terminfo::capabilities("qx-40");
    EXPECT_EQ(kept->hideCursor + "|" + kept->showCursor,
              "\x1b[?25l\x1b[?1c|\x1b[?12l\x1b[?7h\x1b[?7h\x1b[?7h\x1b[?7h\x1b[?25h");
    EXPECT_EQ(replaced->hideCursor + "|" + replaced->showCursor, "\x1b[?25l|\x1b[?25h");
    unsetenv("TERMINFO");
}

}  // namespace
