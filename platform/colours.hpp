// The game's coloured texts in the colours a terminal can show, and in few
// bytes: the terminal writer feeds every byte it is given through here. The
// texts select colours with ECMA-48 SGR sequences (0, 38;2;r;g;b, 48;2;r;g;b);
// the writer keeps track of the colours the terminal is in and sends a change
// only when the next character printed needs other colours, in the depth the
// terminal takes. Nothing here calls the operating system.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace colours {

// 24-bit colour is Direct, the 256-colour palette Palette, and Basic the eight
// colours every colour terminal has (30-37, 40-47).
enum class Depth { Basic, Palette, Direct };
// The colours the board is shown in: the game's own, a set far apart for
// players with a colour-vision deficiency, or none at all.
enum class Palette { Classic, Clear, None };

// What the environment and the terminfo entry of TERM say about the terminal;
// an empty string is a variable that is not set.
struct TerminalFacts {
    std::string term{};
    std::string colorTerm{};
    std::string sty{};   // set inside GNU screen
    std::string tmux{};  // set inside tmux
    std::string vteVersion{};
    std::string konsoleVersion{};
    std::string termProgram{};
    std::string xtermVersion{};
    std::string wtSession{};  // Windows Terminal
    // terminfo: the RGB or Tc flag, or a setrgbf string.
    bool terminfoDirect = false;
    // terminfo: the number of colours, 0 when the entry names none, -1 when
    // there is no entry.
    int terminfoColours = -1;
};

Depth chooseDepth(const TerminalFacts& facts);
// The palette the player chose; where none was chosen, the game's own colours,
// or none at all on a terminal whose entry says it shows no colours (which
// outweighs every hint of the environment).
Palette choosePalette(std::optional<Palette> chosen, const TerminalFacts& facts);

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

// A colour as the terminal knows it: 0xRRGGBB, a palette index or a basic
// colour, depending on the depth; DefaultColour is the terminal's own.
inline constexpr int DefaultColour = -1;

struct ColourPair {
    int fg = DefaultColour;
    int bg = DefaultColour;
    friend bool operator==(const ColourPair&, const ColourPair&) = default;
};

// The nearest entry of the 256-colour palette's cube or grey ramp that a
// terminal with only the basic colours still shows in the colour's own basic
// colour (basicIndex).
int paletteIndex(Rgb rgb);
// The basic colour of the same hue: orange and brown are yellow (the colour
// that many terminals show as brown), never red; greys are black or white.
int basicIndex(Rgb rgb);
// The pair a character is printed in. A basic foreground that would vanish in
// its own background gives way to black or white.
ColourPair terminalColours(Depth depth, std::optional<Rgb> fg, std::optional<Rgb> bg);
// The same pair in the clear palette: the game's wall, floor and goal colours
// give way to colours that stay far apart for red-green and blue-yellow
// colour-blind players too, in every depth.
ColourPair clearColours(Depth depth, std::optional<Rgb> fg, std::optional<Rgb> bg);

// The state of one terminal's output.
struct Writer {
    Depth depth = Depth::Direct;
    Palette palette = Palette::Classic;
    // The colours the texts asked for, and the same in the terminal's terms.
    std::optional<Rgb> fg{};
    std::optional<Rgb> bg{};
    ColourPair wanted{};
    // The colours the terminal is in.
    ColourPair shown{};
    // An escape sequence whose end has not come yet.
    std::string sequence{};
    // The terminal's size in cells, 0 when not known; where the cursor is,
    // counted from the top left once a clear or a cursor placement has told;
    // the lowest line that shows something the game printed (-1: none).
    int columns = 0;
    int lines = 0;
    int row = 0;
    int col = 0;
    bool placed = false;
    int lowestDrawn = -1;
    // Without colours the player is a pair of brackets: the left one was the
    // last character printed.
    bool playerOpened = false;
};

// Appends to `out` what the terminal needs to show the bytes of `plain` as
// they describe the screen. With Palette::None no colour is sent; the cells'
// blocks take shapes of their own instead (see shapeOf).
void writeLean(Writer& writer, std::string_view plain, std::string& out);

// Puts the terminal back in its own colours, if it is not already; what the
// texts asked for stays in force for what is printed next.
void resetColours(Writer& writer, std::string& out);

// The bytes that hand the terminal back: its own colours, and the cursor at
// the start of the line below everything the game shows.
std::string exitBytes(const Writer& writer);

}  // namespace colours
