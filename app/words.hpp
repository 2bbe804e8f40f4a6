#pragma once

#include <span>
#include <string_view>

// Prints the texts one after the other from the start of a line. Where the
// window is narrower than a line they make, the line breaks between words
// rather than where the window's edge cuts it; in a window wide enough every
// text goes out exactly as it is.
void printBetweenWords(std::span<const std::wstring_view> texts);
