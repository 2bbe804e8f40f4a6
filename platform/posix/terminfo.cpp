#include "platform/posix/terminfo.hpp"

#include <unistd.h>

#include <cstdint>

// Last: it defines macros with everyday names (lines, columns...).
#include <term.h>

namespace terminfo {

namespace {

// DECTCEM, as xterm and the terminals that follow it hide and show the cursor.
constexpr const char* StandardHideCursor = "\x1b[?25l";
constexpr const char* StandardShowCursor = "\x1b[?25h";

// tigetstr gives (char*)-1 for a name that is not a string capability.
bool isString(const char* s) { return s != nullptr && reinterpret_cast<std::intptr_t>(s) != -1; }

// A string capability without its padding ($<5>, $<2*/>): the delays were for
// real serial terminals, and a terminal would print them as text.
std::string withoutPadding(const char* capability)
{
    std::string out;
    for (const char* c = capability; isString(capability) && *c != '\0'; ++c) {
        if (c[0] == '$' && c[1] == '<') {
            const char* end = c + 2;
            while (*end != '\0' && *end != '>') {
                ++end;
            }
            if (*end == '>') {
                c = end;
                continue;
            }
        }
        out += *c;
    }
    return out;
}

}  // namespace

std::optional<Capabilities> capabilities(const char* term)
{
    if (term == nullptr || *term == '\0') {
        return std::nullopt;
    }
    int error = 0;
    // With somewhere to put the error, a missing entry is reported (not 1),
    // not printed; success is 0 (curses.h would call it OK).
    if (setupterm(term, STDOUT_FILENO, &error) != 0 || error != 1) {
        return std::nullopt;
    }
    Capabilities found;
    // RGB may be a flag, a number or a string, depending on the entry.
    found.direct = tigetflag("RGB") > 0 || tigetflag("Tc") > 0 || tigetnum("RGB") > 0 || isString(tigetstr("RGB")) ||
                   isString(tigetstr("setrgbf"));
    found.colours = tigetnum("colors") > 0 ? tigetnum("colors") : 0;
    found.cursorAddressing = isString(tigetstr("cup"));
    found.hideCursor = withoutPadding(tigetstr("civis"));
    found.showCursor = withoutPadding(tigetstr("cnorm"));
    if (found.hideCursor.size() > LongestCursorSequence || found.showCursor.size() > LongestCursorSequence) {
        // A pair of the entry's own and the standard ones might not undo each
        // other (the Linux console's civis also changes the cursor's shape).
        found.hideCursor = StandardHideCursor;
        found.showCursor = StandardShowCursor;
    }
    del_curterm(cur_term);
    return found;
}

}  // namespace terminfo
