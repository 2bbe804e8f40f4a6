// The command line: the palette, the help, the version.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/palette.hpp"

enum class Request { Play, Help, Version, Mistake };

struct Options {
    Request request = Request::Play;
    // The palette named by --colours, when one is.
    std::optional<colours::Palette> palette{};
    // For a mistake: the one line that names it, for standard error.
    std::string mistake{};
};

// Read from left to right; the first request for help, for the version, or
// the first mistake ends the reading.
Options readOptions(std::span<const std::string_view> arguments);

// What --help and --version print.
std::string_view usageText();
std::string versionText();
