#include "app/options.hpp"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<std::string_view, colours::Palette>, 3> PaletteNames{{
    {"classic", colours::Palette::Classic},
    {"clear", colours::Palette::Clear},
    {"none", colours::Palette::None},
}};

constexpr std::string_view Usage = "Usage: quillonex [--colours=classic|clear|none]\n"
                                   "A maze game for the terminal: walk from the top-left corner to the goal in\n"
                                   "the bottom-right one without touching a wall. w a s d or the arrow keys\n"
                                   "move, e saves the level, q quits.\n"
                                   "\n"
                                   "  --colours=NAME, --colours NAME   the colours of the board (--colors too):\n"
                                   "      classic   the game's own: red walls, a green floor (the default)\n"
                                   "      clear     colours that stay far apart for colour-blind players\n"
                                   "      none      no colour at all: each kind of cell has a shape of its own\n"
                                   "  --help        show this help and end\n"
                                   "  --version     show the version and end\n"
                                   "\n"
                                   "NO_COLOR, set and not empty, means --colours=none unless --colours is given.\n";

// The argument as the terminal should show it: control characters, which
// could move the cursor or change the colours, written out as \xNN.
std::string shown(std::string_view argument)
{
    std::string out;
    for (std::size_t i = 0; i < argument.size(); ++i) {
        const auto u = static_cast<unsigned char>(argument[i]);
        const bool c1 = u == 0xC2 && i + 1 < argument.size() && static_cast<unsigned char>(argument[i + 1]) < 0xA0 &&
                        static_cast<unsigned char>(argument[i + 1]) >= 0x80;
        if (u < 0x20 || u == 0x7F || c1) {
            constexpr std::string_view Hex = "0123456789abcdef";
            const auto code = c1 ? static_cast<unsigned char>(argument[++i]) : u;
            out += "\\x";
            out += Hex[code >> 4];
            out += Hex[code & 0xF];
        } else {
            out += argument[i];
        }
    }
    return out;
}

void setMistake(Options& options, const std::string& what)
{
    options.request = Request::Mistake;
    options.mistake = "quillonex: " + what + "; see 'quillonex --help'\n";
}

void takePalette(Options& options, std::string_view option, std::optional<std::string_view> name)
{
    if (!name) {
        setMistake(options, "option '" + shown(option) + "' needs a palette: classic, clear or none");
        return;
    }
    for (const auto& [known, palette] : PaletteNames) {
        if (*name == known) {
            options.palette = palette;
            return;
        }
    }
    setMistake(options,
               "unknown palette '" + shown(*name) + "' for " + std::string(option) + " (classic, clear or none)");
}

}  // namespace

Options readOptions(std::span<const std::string_view> arguments)
{
    Options options;
    for (std::size_t i = 0; i < arguments.size() && options.request == Request::Play; ++i) {
        const std::string_view argument = arguments[i];
        const std::size_t equals = argument.find('=');
        const std::string_view option = argument.substr(0, equals);
        if (argument == "--help") {
            options.request = Request::Help;
        } else if (argument == "--version") {
            options.request = Request::Version;
        } else if (option == "--colours" || option == "--colors") {
            std::optional<std::string_view> name;
            if (equals != std::string_view::npos) {
                name = argument.substr(equals + 1);
            } else if (i + 1 < arguments.size()) {
                name = arguments[++i];
            }
            takePalette(options, option, name);
        } else if (argument.size() > 1 && argument.front() == '-') {
            setMistake(options, "unknown option '" + shown(argument) + "'");
        } else {
            setMistake(options, "unexpected argument '" + shown(argument) + "'");
        }
    }
    return options;
}

std::string_view usageText() { return Usage; }

std::string versionText() { return std::string("quillonex ") + QUILLONEX_VERSION + "\n"; }
