#include "app/wrap.hpp"

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "platform/platform.hpp"

namespace {

// What a cell takes in the layout: two columns of a word.
constexpr std::wstring_view CellWidth = L"##";

// The columns the word from i takes: up to the next blank or line break,
// every character one.
int wordWidth(std::wstring_view s, std::size_t i)
{
    const std::size_t end = s.find_first_of(L" \n", i);
    return static_cast<int>((end == std::wstring_view::npos ? s.size() : end) - i);
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
        if (c == L' ') {
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

void printBetweenWords(std::span<const TextPiece> pieces)
{
    // Line breaks go only where blanks were, never into a cell.
    std::vector<std::wstring_view> texts;
    for (const TextPiece& piece : pieces) {
        texts.push_back(piece.cell ? CellWidth : piece.text);
    }
    const std::optional<platform::ConsoleSize> size = platform::consoleSize();
    const int columns = size ? std::max(size->columns, 1) : std::numeric_limits<int>::max() / 2;
    const std::vector<std::wstring> laid = layOut(texts, columns);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].cell) {
            platform::printCell(*pieces[i].cell);
        } else {
            platform::printText(laid[i]);
        }
    }
}

void printBetweenWords(std::span<const std::wstring_view> texts)
{
    std::vector<TextPiece> pieces;
    for (const std::wstring_view text : texts) {
        pieces.push_back({text});
    }
    printBetweenWords(pieces);
}
