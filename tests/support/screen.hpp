// A terminal screen for tests: libvterm, the emulator under vim's and neovim's terminals, takes the bytes a terminal
// receives; this reads its cells back as a person sees them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/palette.hpp"

struct VTerm;

using colours::Rgb;

// No value means the terminal's default colour.
using Colour = std::optional<Rgb>;

struct ScreenCell {
    char32_t ch = U' ';
    Colour fg, bg;
    friend bool operator==(const ScreenCell&, const ScreenCell&) = default;
};

struct CursorPosition {
    int x = 0, y = 0;
    friend bool operator==(const CursorPosition&, const CursorPosition&) = default;
};

class Screen {
public:
    Screen(int columns = 80, int lines = 25);
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;
    ~Screen();

    // Bytes as the terminal receives them (a line break is CR LF); a sequence cut between calls is joined.
    void feed(std::string_view bytes);
    void resize(int columns, int lines);

    // Line y as UTF-8 text, trailing blanks removed.
    std::string line(int y) const;
    // Every line joined with "\n", trailing blank lines removed.
    std::string text() const;
    // Palette colours read as the RGB xterm shows for them by default.
    ScreenCell cell(int x, int y) const;
    // The first line that starts with the text, or -1.
    int findLine(std::string_view start) const;
    CursorPosition cursor() const;
    bool cursorVisible() const { return cursorVisible_; }
    bool blank() const;

private:
    VTerm* vt_;
    int columns_, lines_;
    bool cursorVisible_ = true;
};
