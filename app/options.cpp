#include "app/options.hpp"

#include <algorithm>
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

// How many bytes the UTF-8 character at the front takes, 0 where none starts
// there (a stray byte, a character cut short, in more bytes than it needs);
// `value` becomes its code point.
std::size_t utf8Character(std::string_view bytes, char32_t& value)
{
    const auto lead = static_cast<unsigned char>(bytes[0]);
    const std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || length > bytes.size() || lead > 0xF4) {
        return 0;
    }
    char32_t decoded = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if ((c & 0xC0) != 0x80) {
            return 0;
        }
        decoded = (decoded << 6) | (c & 0x3F);
    }
    constexpr char32_t SmallestOfLength[] = {0, 0, 0x80, 0x800, 0x10000};
    if (decoded < SmallestOfLength[length] || decoded > 0x10FFFF) {
        return 0;
    }
    value = decoded;
    return length;
}

// The argument as the terminal should show it: control characters, which
// could move the cursor or change the colours, written out as \xNN. Those are
// the C0 bytes, DEL and the C1 controls 0x80 to 0x9F, whether as characters
// (C2 80 to C2 9F) or as bytes on their own, which an 8-bit terminal obeys.
std::string shown(std::string_view argument)
{
    std::string out;
    while (!argument.empty()) {
        char32_t value = static_cast<unsigned char>(argument[0]);
        const std::size_t length = std::max<std::size_t>(utf8Character(argument, value), 1);
        if (value < 0x20 || (value >= 0x7F && value < 0xA0)) {
            constexpr std::string_view Hex = "0123456789abcdef";
            out += "\\x";
            out += Hex[value >> 4];
            out += Hex[value & 0xF];
        } else {
            out += argument.substr(0, length);
        }
        argument.remove_prefix(length);
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
