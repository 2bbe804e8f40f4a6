#include "platform/posix/terminfo.hpp"

#include <unistd.h>

#include <cstdint>

// Last: it defines macros with everyday names (lines, columns...).
#include <term.h>

namespace terminfo {

std::optional<ColourCapabilities> colourCapabilities(const char* term)
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
    ColourCapabilities found;
    // RGB may be a flag, a number or a string, depending on the entry.
    const char* setForeground = tigetstr("setrgbf");
    const char* rgbString = tigetstr("RGB");
    // tigetstr gives (char*)-1 for a name that is not a string capability.
    const auto isString = [](const char* s) { return s != nullptr && reinterpret_cast<std::intptr_t>(s) != -1; };
    found.direct = tigetflag("RGB") > 0 || tigetflag("Tc") > 0 || tigetnum("RGB") > 0 || isString(rgbString) ||
                   isString(setForeground);
    found.colours = tigetnum("colors") >= 0 ? tigetnum("colors") : -1;
    del_curterm(cur_term);
    return found;
}

}  // namespace terminfo
