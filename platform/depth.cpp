#include "platform/depth.hpp"

#include <charconv>
#include <string_view>

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

}  // namespace colours
