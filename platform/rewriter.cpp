#include "platform/rewriter.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <utility>

namespace colours {

namespace {

// Decimal digits of a colour component or palette index.
std::size_t digits(int n) { return n < 10 ? 1 : n < 100 ? 2 : 3; }

// The SGR parameters that select one colour (without the separators).
std::size_t partLength(Depth depth, int colour)
{
    if (colour == DefaultColour || depth == Depth::Basic) {
        return 2;
    }
    if (depth == Depth::Palette) {
        return 5 + digits(colour);
    }
    return 7 + digits(colour >> 16) + digits((colour >> 8) & 0xFF) + digits(colour & 0xFF);
}

void appendNumber(std::string& out, int n)
{
    std::array<char, 4> buffer{};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), n).ptr;
    out.append(buffer.data(), end);
}

void appendPart(std::string& out, Depth depth, int colour, bool background)
{
    if (colour == DefaultColour) {
        out += background ? "49" : "39";
    } else if (depth == Depth::Basic) {
        out += background ? '4' : '3';
        out += static_cast<char>('0' + colour);
    } else if (depth == Depth::Palette) {
        out += background ? "48;5;" : "38;5;";
        appendNumber(out, colour);
    } else {
        out += background ? "48;2;" : "38;2;";
        appendNumber(out, colour >> 16);
        out += ';';
        appendNumber(out, (colour >> 8) & 0xFF);
        out += ';';
        appendNumber(out, colour & 0xFF);
    }
}

// Brings the terminal to the target colours in the fewest bytes: either the
// colours that differ, or a reset followed by those that are not the default.
// Where only the background shows (a space, a line break, an erase), the
// foreground may be left as it is or reset, whichever is shorter.
void change(Writer& w, ColourPair target, bool foregroundShows, std::string& out)
{
    const bool fg = foregroundShows && target.fg != w.shown.fg;
    const bool bg = target.bg != w.shown.bg;
    const std::size_t onlyChanges =
        (fg ? partLength(w.depth, target.fg) : 0) + (bg ? partLength(w.depth, target.bg) : 0) + (fg && bg ? 1 : 0);
    const int resetFg = foregroundShows ? target.fg : DefaultColour;
    const bool keepFg = resetFg != DefaultColour;
    const bool keepBg = target.bg != DefaultColour;
    const std::size_t afterReset = (keepFg || keepBg ? 1 : 0) + (keepFg ? 1 + partLength(w.depth, resetFg) : 0) +
                                   (keepBg ? 1 + partLength(w.depth, target.bg) : 0);
    out += "\x1b[";
    if (onlyChanges <= afterReset) {
        if (fg) {
            appendPart(out, w.depth, target.fg, false);
            w.shown.fg = target.fg;
        }
        if (bg) {
            out += fg ? ";" : "";
            appendPart(out, w.depth, target.bg, true);
        }
    } else {
        out += keepFg || keepBg ? "0" : "";
        if (keepFg) {
            out += ';';
            appendPart(out, w.depth, resetFg, false);
        }
        if (keepBg) {
            out += ';';
            appendPart(out, w.depth, target.bg, true);
        }
        w.shown.fg = resetFg;
    }
    out += 'm';
    w.shown.bg = target.bg;
}

void showColours(Writer& w, std::string& out)
{
    if (w.shown != w.wanted) {
        change(w, w.wanted, true, out);
    }
}

void showBackground(Writer& w, std::string& out)
{
    if (w.shown.bg != w.wanted.bg) {
        change(w, w.wanted, false, out);
    }
}

// The numbers of a control sequence's parameters; 0 where one is left out.
struct Parameters {
    std::array<int, 16> values{};
    std::size_t count = 0;
};

Parameters parameters(std::string_view text)
{
    Parameters p;
    p.count = 1;
    for (const char c : text) {
        if (c == ';' || c == ':') {
            p.count = std::min(p.count + 1, p.values.size());
        } else if (c >= '0' && c <= '9') {
            int& value = p.values[p.count - 1];
            value = std::min(value * 10 + (c - '0'), 9999);
        }
    }
    return p;
}

std::uint8_t component(int value) { return static_cast<std::uint8_t>(std::min(value, 255)); }

// The colours the texts select. Other attributes are not part of the game's
// texts and are left out.
void selectColours(Writer& w, std::string_view text)
{
    const Parameters p = parameters(text);
    for (std::size_t i = 0; i < p.count; ++i) {
        const int code = p.values[i];
        if (code == 0) {
            w.fg.reset();
            w.bg.reset();
        } else if (code == 39 || code == 49) {
            (code == 39 ? w.fg : w.bg).reset();
        } else if ((code == 38 || code == 48) && i + 4 < p.count && p.values[i + 1] == 2) {
            (code == 38 ? w.fg : w.bg) =
                Rgb{component(p.values[i + 2]), component(p.values[i + 3]), component(p.values[i + 4])};
            i += 4;
        }
    }
    w.wanted = w.palette == Palette::Clear ? clearColours(w.depth, w.fg, w.bg) : terminalColours(w.depth, w.fg, w.bg);
}

void controlSequence(Writer& w, std::string_view sequence, std::string& out)
{
    const char final = sequence.back();
    const std::string_view text = sequence.substr(2, sequence.size() - 3);
    if (final == 'm') {
        selectColours(w, text);
        // The texts' colours still tell the cells apart (shapeOf), but none is shown.
        if (w.palette == Palette::None) {
            w.wanted = {};
        }
        return;
    }
    if (final == 'J' || final == 'K') {
        // Erased cells take the current background.
        showBackground(w, out);
    }
    out += sequence;
    const Parameters p = parameters(text);
    if (final == 'H' || final == 'f') {
        cursor::place(w.cursor, p.values[0], p.count > 1 ? p.values[1] : 0);
    } else if (final == 'J' && (p.values[0] == 2 || p.values[0] == 3)) {
        cursor::eraseScreen(w.cursor);
    }
}

void escapeByte(Writer& w, char c, std::string& out)
{
    w.sequence += c;
    const auto u = static_cast<unsigned char>(c);
    const bool csi = w.sequence.size() > 2 && w.sequence[1] == '[';
    if (csi && u >= 0x40 && u <= 0x7E) {
        controlSequence(w, w.sequence, out);
    } else if (w.sequence.size() < 64 && (w.sequence == "\x1b[" || (csi && u >= 0x20 && u <= 0x3F))) {
        return;
    } else {
        // A two-byte escape, or a sequence the writer need not understand.
        out += w.sequence;
    }
    w.sequence.clear();
}

// Without colour the four kinds of cell keep apart by shape: the wall stays a
// full block, the floor a light shade, the goal its bars, and the player (a
// block in the terminal's own colours) a pair of brackets. What the texts ask
// for tells which cell a block belongs to. Nothing: the character stays.
std::string_view shapeOf(Writer& w, std::string_view character)
{
    constexpr std::string_view FullBlock = "\u2588";
    const bool player = character == FullBlock && !w.fg && !w.bg;
    const bool opened = std::exchange(w.playerOpened, player && !w.playerOpened);
    if (player) {
        return opened ? "]" : "[";
    }
    if (character == FullBlock && w.fg && w.fg->g > w.fg->r) {
        return "\u2591";
    }
    return {};
}

}  // namespace

void writeLean(Writer& w, std::string_view plain, std::string& out)
{
    // Bytes that go out as they are, copied in one piece when something
    // has to come before the next one: plain[copied, i).
    std::size_t copied = 0;
    const auto copyUpTo = [&](std::size_t i) {
        out.append(plain.data() + copied, i - copied);
        copied = i;
    };
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const auto u = static_cast<unsigned char>(plain[i]);
        if (!w.sequence.empty()) {
            escapeByte(w, plain[i], out);
            copied = i + 1;
        } else if (u >= 0x80 && u < 0xC0) {
            // The rest of a character already counted.
        } else if (w.palette == Palette::None && u > 0x20 && u != 0x7F) {
            const std::size_t length = u < 0x80 ? 1 : u < 0xE0 ? 2 : u < 0xF0 ? 3 : 4;
            const std::string_view shape = shapeOf(w, plain.substr(i, length));
            if (!shape.empty()) {
                copyUpTo(i);
                out += shape;
                copied = std::min(i + length, plain.size());
            }
            cursor::advance(w.cursor, true);
        } else if (u > 0x20 && u != 0x7F) {
            if (w.shown != w.wanted) {
                copyUpTo(i);
                showColours(w, out);
            }
            cursor::advance(w.cursor, true);
        } else if (u == ' ' || u == '\n') {
            // A blank, and a line that scrolls in, take the current background.
            if (w.shown.bg != w.wanted.bg) {
                copyUpTo(i);
                showBackground(w, out);
            }
            u == ' ' ? cursor::advance(w.cursor, w.wanted.bg != DefaultColour) : cursor::lineFeed(w.cursor);
        } else if (u == 0x1B) {
            copyUpTo(i);
            // A control sequence whole in the text is taken at once.
            std::size_t end = i + 2;
            while (end < plain.size() && end < i + 64 && static_cast<unsigned char>(plain[end]) >= 0x20 &&
                   static_cast<unsigned char>(plain[end]) < 0x40) {
                ++end;
            }
            const auto final = end < plain.size() ? static_cast<unsigned char>(plain[end]) : 0;
            if (i + 1 < plain.size() && plain[i + 1] == '[' && final >= 0x40 && final <= 0x7E) {
                controlSequence(w, plain.substr(i, end + 1 - i), out);
                i = end;
            } else {
                w.sequence.assign(1, plain[i]);
            }
            copied = i + 1;
        } else if (u == '\r') {
            cursor::carriageReturn(w.cursor);
        }
    }
    copyUpTo(plain.size());
}

void resetColours(Writer& w, std::string& out)
{
    if (w.shown != ColourPair{}) {
        out += "\x1b[m";
        w.shown = {};
    }
}

std::string exitBytes(const Writer& w)
{
    // Without colour the terminal never left its own.
    std::string out = w.palette == Palette::None ? "" : "\x1b[m";
    cursor::appendMoveBelow(w.cursor, out);
    return out;
}

}  // namespace colours
