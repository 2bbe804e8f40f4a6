#include "platform/colours.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <utility>

#include "platform/text.hpp"

namespace colours {

namespace {

int number(std::string_view digits)
{
    int value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

// Terminals that show 24-bit colour without saying so in COLORTERM or terminfo.
bool knownDirect(const TerminalFacts& f)
{
    const std::string_view term = f.term;
    for (const std::string_view name : {"alacritty", "foot", "wezterm", "xterm-kitty", "xterm-ghostty", "contour"}) {
        if (term.starts_with(name)) {
            return true;
        }
    }
    for (const std::string_view program : {"iTerm.app", "WezTerm", "vscode", "ghostty"}) {
        if (f.termProgram == program) {
            return true;
        }
    }
    // VTE 0.36 (GNOME Terminal and its kin) was the first to take it. xterm
    // shows it from patch 331; its variable is believed only under its own TERM,
    // since programs started from an xterm inherit it.
    const std::size_t patch = f.xtermVersion.find('(');
    const bool xterm = term.starts_with("xterm") && patch != std::string::npos &&
                       number(std::string_view(f.xtermVersion).substr(patch + 1)) >= 331;
    return term.find("-direct") != std::string_view::npos || number(f.vteVersion) >= 3600 ||
           !f.konsoleVersion.empty() || !f.wtSession.empty() || xterm;
}

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
    const std::size_t onlyChanges = (fg ? partLength(w.depth, target.fg) : 0) +
                                    (bg ? partLength(w.depth, target.bg) : 0) + (fg && bg ? 1 : 0);
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

void lineFeed(Writer& w)
{
    w.col = 0;
    if (w.lines > 0 && w.row >= w.lines - 1) {
        // The screen scrolls up under the cursor.
        w.lowestDrawn = std::max(w.lowestDrawn - 1, -1);
    } else {
        ++w.row;
    }
}

// One character cell printed; a blank in the default background shows nothing.
void advance(Writer& w, bool visible)
{
    if (w.columns > 0 && w.col >= w.columns) {
        lineFeed(w);
    }
    if (visible) {
        w.lowestDrawn = std::max(w.lowestDrawn, w.row);
    }
    ++w.col;
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
        const int lastRow = w.lines > 0 ? w.lines - 1 : 9998;
        const int lastCol = w.columns > 0 ? w.columns - 1 : 9998;
        w.row = std::clamp(p.values[0], 1, lastRow + 1) - 1;
        w.col = std::clamp(p.count > 1 ? p.values[1] : 0, 1, lastCol + 1) - 1;
        w.placed = true;
    } else if (final == 'J' && (p.values[0] == 2 || p.values[0] == 3)) {
        w.lowestDrawn = -1;
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

// The basic colour that GNU screen, on a terminal with only those, shows for
// an entry: the components at the entry's highest level light up, and an entry
// with all three there is black up to the middle level and white above.
int basicFallback(int index)
{
    if (index < 16) {
        return index % 8;
    }
    if (index >= 232) {
        return index < 244 ? 0 : 7;
    }
    const int r = (index - 16) / 36;
    const int g = (index - 16) / 6 % 6;
    const int b = (index - 16) % 6;
    const int high = std::max({r, g, b});
    const int lit = (r == high ? 1 : 0) + (g == high ? 2 : 0) + (b == high ? 4 : 0);
    return high == 0 || (lit == 7 && high < 3) ? 0 : lit;
}

// The cube's entry of a basic colour: its components at level 4 of 5.
int basicEntry(int basic)
{
    return 16 + ((basic & 1) != 0 ? 144 : 0) + ((basic & 2) != 0 ? 24 : 0) + ((basic & 4) != 0 ? 4 : 0);
}

int terminalColour(Depth depth, std::optional<Rgb> c)
{
    if (!c) {
        return DefaultColour;
    }
    switch (depth) {
    case Depth::Basic: return basicIndex(*c);
    case Depth::Palette: return paletteIndex(*c);
    case Depth::Direct: break;
    }
    return (c->r << 16) | (c->g << 8) | c->b;
}

// A foreground that would vanish in its own background gives way to black on
// the light colours (green, yellow, cyan, white), white on the others. In the
// 256-colour palette the same holds for the basic colours GNU screen falls
// back to.
ColourPair readable(Depth depth, ColourPair pair)
{
    if (depth == Depth::Direct || pair.fg == DefaultColour || pair.bg == DefaultColour) {
        return pair;
    }
    const int background = depth == Depth::Basic ? pair.bg : basicFallback(pair.bg);
    if ((depth == Depth::Basic ? pair.fg : basicFallback(pair.fg)) == background) {
        const bool light = background == 2 || background == 3 || background == 6 || background == 7;
        pair.fg = depth == Depth::Basic ? (light ? 0 : 7) : basicEntry(light ? 0 : 7);
    }
    return pair;
}

// The clear palette: the game's colour, and the one shown instead at each
// depth. The wall keeps its red; the floor is blue, which stands apart from
// the player in the terminal's own foreground, light or dark; the goal is cyan
// under black bars. Red, blue and cyan stay apart for every kind of colour
// vision, and the palette entries fall back to the same basic colours in GNU
// screen.
struct ClearColour {
    Rgb game;
    int direct;
    int palette;
    int basic;
};
constexpr std::array<ClearColour, 4> ClearColours{{
    {{255, 0, 0}, 0xFF0000, 196, 1},   // the wall
    {{20, 200, 50}, 0x0000FF, 21, 4},  // the floor
    {{150, 75, 0}, 0x00FFFF, 51, 6},   // the goal's background
    {{255, 255, 0}, 0x000000, 16, 0},  // the goal's bars
}};

int clearColour(Depth depth, std::optional<Rgb> c)
{
    for (const ClearColour& clear : ClearColours) {
        if (c && c->r == clear.game.r && c->g == clear.game.g && c->b == clear.game.b) {
            return depth == Depth::Basic ? clear.basic : depth == Depth::Palette ? clear.palette : clear.direct;
        }
    }
    return terminalColour(depth, c);
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

Depth chooseDepth(const TerminalFacts& f)
{
    // tmux turns 24-bit colour into whatever the terminal outside it takes.
    // Inside GNU screen, which drops it, the outer terminal's variables tell
    // nothing: only screen's own TERM counts. When both are set, the TERM
    // that tmux gives tells that tmux is the inner one.
    const bool screen = !f.sty.empty() && !std::string_view(f.term).starts_with("tmux");
    if (!f.tmux.empty() && !screen) {
        return Depth::Direct;
    }
    if (!screen && (f.colorTerm == "truecolor" || f.colorTerm == "24bit" || knownDirect(f))) {
        return Depth::Direct;
    }
    if (f.terminfoDirect) {
        return Depth::Direct;
    }
    return f.terminfoColours >= 256 ? Depth::Palette : Depth::Basic;
}

Palette choosePalette(std::optional<Palette> chosen, const TerminalFacts& f)
{
    if (chosen) {
        return *chosen;
    }
    return f.terminfoColours >= 0 && f.terminfoColours < 8 && !f.terminfoDirect ? Palette::None : Palette::Classic;
}

int paletteIndex(Rgb rgb)
{
    // The cube's levels are 0, 95, 135, 175, 215, 255; the grey ramp runs
    // from 8 to 238 in steps of 10.
    const auto level = [](int v) { return v < 48 ? 0 : v < 115 ? 1 : (v - 35) / 40; };
    const auto value = [](int i) { return i == 0 ? 0 : 55 + 40 * i; };
    const int r = level(rgb.r);
    const int g = level(rgb.g);
    const int b = level(rgb.b);
    const int average = (rgb.r + rgb.g + rgb.b) / 3;
    const int grey = average > 238 ? 23 : std::max(average - 3, 0) / 10;
    const int greyValue = 8 + 10 * grey;
    const auto distance = [&rgb](int cr, int cg, int cb) {
        return (rgb.r - cr) * (rgb.r - cr) + (rgb.g - cg) * (rgb.g - cg) + (rgb.b - cb) * (rgb.b - cb);
    };
    const int nearest = distance(greyValue, greyValue, greyValue) < distance(value(r), value(g), value(b))
                            ? 232 + grey
                            : 16 + 36 * r + 6 * g + b;
    // Brown lies nearest to entries that fall back to red: a colour like that
    // takes the entry of its own basic colour instead.
    const int basic = basicIndex(rgb);
    return basicFallback(nearest) == basic ? nearest : basicEntry(basic);
}

int basicIndex(Rgb rgb)
{
    const int high = std::max({rgb.r, rgb.g, rgb.b});
    const int low = std::min({rgb.r, rgb.g, rgb.b});
    const int chroma = high - low;
    if (chroma * 4 < high || high < 40) {
        return high >= 128 ? 7 : 0;
    }
    // Hue in degrees, 0 to 360.
    int hue = 0;
    if (high == rgb.r) {
        hue = (60 * (rgb.g - rgb.b) / chroma + 360) % 360;
    } else if (high == rgb.g) {
        hue = 120 + 60 * (rgb.b - rgb.r) / chroma;
    } else {
        hue = 240 + 60 * (rgb.r - rgb.g) / chroma;
    }
    // red 1, yellow 3, green 2, cyan 6, blue 4, magenta 5
    constexpr std::array<std::pair<int, int>, 6> Sectors{
        {{20, 1}, {75, 3}, {165, 2}, {200, 6}, {260, 4}, {330, 5}}};
    for (const auto& [end, colour] : Sectors) {
        if (hue < end) {
            return colour;
        }
    }
    return 1;
}

ColourPair terminalColours(Depth depth, std::optional<Rgb> fg, std::optional<Rgb> bg)
{
    return readable(depth, {terminalColour(depth, fg), terminalColour(depth, bg)});
}

ColourPair clearColours(Depth depth, std::optional<Rgb> fg, std::optional<Rgb> bg)
{
    return readable(depth, {clearColour(depth, fg), clearColour(depth, bg)});
}

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
            advance(w, true);
        } else if (u > 0x20 && u != 0x7F) {
            if (w.shown != w.wanted) {
                copyUpTo(i);
                showColours(w, out);
            }
            advance(w, true);
        } else if (u == ' ' || u == '\n') {
            // A blank, and a line that scrolls in, take the current background.
            if (w.shown.bg != w.wanted.bg) {
                copyUpTo(i);
                showBackground(w, out);
            }
            u == ' ' ? advance(w, w.wanted.bg != DefaultColour) : lineFeed(w);
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
        } else {
            w.col = u == '\r' ? 0 : w.col;
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
    if (!w.placed) {
        // Only text so far, from where the game began: a new line unless the
        // cursor already starts one.
        out += w.col > 0 ? "\r\n" : "";
        return out;
    }
    const int below = w.lowestDrawn + 1;
    if (w.lines > 0 && below >= w.lines) {
        text::appendCursorMove(out, 0, static_cast<std::int16_t>(w.lines - 1));
        out += '\n';
    } else {
        text::appendCursorMove(out, 0, static_cast<std::int16_t>(std::min(below, 9999)));
    }
    return out;
}

}  // namespace colours
