#include "platform/posix/replies.hpp"

namespace keys {

namespace {

constexpr unsigned char Esc = 0x1B;
constexpr unsigned char Bell = 0x07;

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

// A mouse click or move reported the old X10 way, ESC [ M and three bytes
// (button, column, line, each offset by 32), comes when another program left
// the terminal's mouse tracking on. It is no key: those bytes, read as keys,
// would be letters such as 'q'. Past 95 a column or line is a byte above 127;
// in the UTF-8 form (mode 1005) it is a two-byte character instead, told from
// two single bytes by its continuation byte. xterm reports a place past 223 as
// NUL; any other control byte or a new Esc breaks the report off, and is
// decoded on its own.
std::size_t mouseReportLength(std::string_view pending)
{
    std::size_t i = MouseReportStart.size();
    for (int field = 0; field < 3; ++field, ++i) {
        if (i >= pending.size()) {
            return 0;
        }
        const auto c = static_cast<unsigned char>(pending[i]);
        if (c != 0 && c < 0x20) {
            return i;
        }
        if (c >= 0xC2 && c <= 0xDF) {
            if (i + 1 >= pending.size()) {
                return 0;
            }
            i += isContinuation(pending[i + 1]) ? 1 : 0;
        }
    }
    return i;
}

bool startsString(char kind) { return kind == 'P' || kind == ']' || kind == 'X' || kind == '^' || kind == '_'; }

// A string is a terminal's answer to what another program asked it (its name,
// a capability, a colour, the clipboard), never a key: its body, read as keys,
// would save, move or quit. It runs to ST (ESC \), an OSC to BEL as well. Any
// other Esc ends it too, and begins what comes next.
std::size_t stringLength(std::string_view pending)
{
    const bool bellEnds = pending[1] == ']';
    for (std::size_t i = 2; i < pending.size(); ++i) {
        const auto c = static_cast<unsigned char>(pending[i]);
        if (c == Bell && bellEnds) {
            return i + 1;
        }
        if (c == Esc) {
            if (i + 1 >= pending.size()) {
                return 0;
            }
            return pending[i + 1] == '\\' ? i + 2 : i;
        }
    }
    return 0;
}

// The character SS2 shifts is no key either; a control byte in its place is
// decoded on its own.
std::size_t singleShiftLength(std::string_view pending)
{
    if (pending.size() < 3) {
        return 0;
    }
    return static_cast<unsigned char>(pending[2]) < 0x20 ? 2 : 3;
}

}  // namespace keys
