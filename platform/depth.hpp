// How many colours a terminal shows, from what its environment and the
// terminfo entry of TERM say: 24-bit colour, the 256-colour palette or the
// eight basic colours. Nothing here calls the operating system.
#pragma once

#include <string>

namespace colours {

// 24-bit colour is Direct, the 256-colour palette Palette, and Basic the eight
// colours every colour terminal has (30-37, 40-47).
enum class Depth { Basic, Palette, Direct };

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

}  // namespace colours
