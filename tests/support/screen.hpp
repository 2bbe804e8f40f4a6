// A terminal screen for tests: it interprets the bytes the game writes (UTF-8
// text, line feeds, cursor placement, colour selections of any depth, clears) into a
// grid of characters with colours and a cursor, as a person would see it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// No value means the terminal's default colour.
using Colour = std::optional<Rgb>;

struct ScreenCell {
    char32_t ch = U' ';
    Colour fg;
    Colour bg;
    friend bool operator==(const ScreenCell&, const ScreenCell&) = default;
};

struct CursorPosition {
    int x = 0;
    int y = 0;
    friend bool operator==(const CursorPosition&, const CursorPosition&) = default;
};

class Screen {
public:
    Screen(int columns = 80, int lines = 25);

    // Interprets bytes as a terminal would. A sequence split across two calls
    // is completed by the second.
    void feed(std::string_view bytes);

    // Resizes, keeping what fits (a terminal's contents may reflow; the game
    // redraws anyway).
    void resize(int columns, int lines);

    int columns() const { return columns_; }
    int lines() const { return lines_; }

    // Line y as UTF-8 text, trailing blanks removed.
    std::string line(int y) const;
    // Every line joined with "\n", trailing blank lines removed.
    std::string text() const;
    const ScreenCell& cell(int x, int y) const;
    // The first line that starts with the text, or -1.
    int findLine(std::string_view start) const;
    CursorPosition cursor() const { return cursor_; }
    bool cursorVisible() const { return cursorVisible_; }
    bool blank() const;
    // Escape sequences this model does not know, as written, for tests that
    // want the game to write nothing unexpected.
    const std::vector<std::string>& unknownSequences() const { return unknown_; }

private:
    void put(char32_t ch);
    void lineFeed();
    void controlSequence(std::string_view params, char final);
    void selectGraphicRendition(std::string_view params);
    void byte(unsigned char c);

    int columns_;
    int lines_;
    std::vector<ScreenCell> cells_;
    CursorPosition cursor_;
    bool wrapPending_ = false;
    bool cursorVisible_ = true;
    Colour fg_;
    Colour bg_;
    std::vector<std::string> unknown_;

    // Decoding state across feed() calls.
    enum class State { Text, Escape, Csi };
    State state_ = State::Text;
    std::string sequence_;
    char32_t utf8Value_ = 0;
    int utf8Remaining_ = 0;
};

// A UTF-8 string of the character, for comparisons in tests.
std::string utf8(char32_t ch);
