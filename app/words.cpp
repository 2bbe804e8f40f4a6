#include "app/words.hpp"

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "platform/platform.hpp"

namespace {

constexpr wchar_t Escape = L'\x1b';

// One past the end of the escape sequence that starts at i.
std::size_t sequenceEnd(std::wstring_view s, std::size_t i)
{
    std::size_t end = i + 1;
    if (end < s.size() && s[end] == L'[') {
        ++end;
        while (end < s.size() && (s[end] < 0x40 || s[end] > 0x7E)) {
            ++end;
        }
    }
    return std::min(end + 1, s.size());
}

// The columns the word from i takes: up to the next blank or line break.
// Colour sequences take none; every other character one.
int wordWidth(std::wstring_view s, std::size_t i)
{
    int width = 0;
    while (i < s.size() && s[i] != L' ' && s[i] != L'\n') {
        if (s[i] == Escape) {
            i = sequenceEnd(s, i);
        } else {
            ++width;
            ++i;
        }
    }
    return width;
}

// The texts laid out for a window `columns` wide. Breaking the line swaps the
// blanks before the word that would cross the edge for a line feed; blanks
// that end a line and reach past the edge are left out.
std::vector<std::wstring> layOut(std::span<const std::wstring_view> texts, int columns)
{
    std::wstring all;
    std::vector<std::size_t> ends;
    for (const std::wstring_view text : texts) {
        all += text;
        ends.push_back(all.size());
    }
    std::vector<std::wstring> pieces(texts.size());
    std::size_t piece = 0;
    // Each character goes into the text it came from.
    const auto put = [&](std::size_t from, std::size_t to) {
        while (from >= ends[piece]) {
            ++piece;
        }
        pieces[piece].append(all, from, to - from);
    };
    int column = 0;
    for (std::size_t i = 0; i < all.size();) {
        const wchar_t c = all[i];
        if (c == Escape) {
            const std::size_t end = sequenceEnd(all, i);
            put(i, end);
            i = end;
        } else if (c == L' ') {
            const std::size_t blanks = all.find_first_not_of(L' ', i);
            const std::size_t run = (blanks == std::wstring::npos ? all.size() : blanks) - i;
            const int word = wordWidth(all, i + run);
            if (column > 0 && word > 0 && column + static_cast<int>(run) + word > columns) {
                while (i >= ends[piece]) {
                    ++piece;
                }
                pieces[piece] += L'\n';
                column = 0;
                i += run;
            } else {
                for (const std::size_t end = i + run; i < end; ++i) {
                    if (word > 0 || column < columns) {
                        put(i, i + 1);
                        column = column == columns ? 1 : column + 1;
                    }
                }
            }
        } else {
            put(i, i + 1);
            // A character past the edge starts the next line.
            column = c == L'\n' || c == L'\r' ? 0 : column == columns ? 1 : column + 1;
            ++i;
        }
    }
    return pieces;
}

}  // namespace

void printBetweenWords(std::span<const std::wstring_view> texts)
{
    const std::optional<platform::ConsoleSize> size = platform::consoleSize();
    const int columns = size ? std::max(size->columns, 1) : std::numeric_limits<int>::max() / 2;
    for (const std::wstring& text : layOut(texts, columns)) {
        platform::printText(text);
    }
}
