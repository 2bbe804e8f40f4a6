// Running text wrapped between words for the window at hand.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "platform/cell.hpp"

// A piece of running text: plain words, or a board cell shown among them, two
// columns wide.
struct TextPiece {
    std::wstring_view text{};
    std::optional<platform::Cell> cell{};
};

// Prints the pieces one after the other from the start of a line. Where the
// window is narrower than a line they make, the line breaks between words
// rather than where the window's edge cuts it; in a window wide enough every
// piece goes out exactly as it is.
void printBetweenWords(std::span<const TextPiece> pieces);
void printBetweenWords(std::span<const std::wstring_view> texts);
