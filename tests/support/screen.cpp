#include "tests/support/screen.hpp"

#include <algorithm>
#include <stdexcept>

#include "platform/text.hpp"

namespace {

// The numbers of a control sequence; -1 where one is left out.
std::vector<int> numbers(std::string_view params)
{
    std::vector<int> result{-1};
    for (const char c : params) {
        if (c == ';' || c == ':') {
            result.push_back(-1);
        } else if (c >= '0' && c <= '9') {
            result.back() = std::max(result.back(), 0) * 10 + (c - '0');
        }
    }
    return result;
}

int orDefault(const std::vector<int>& values, std::size_t i, int fallback)
{
    return i < values.size() && values[i] >= 0 ? values[i] : fallback;
}

// xterm's palette: eight colours and their bright forms, a 6x6x6 cube, a grey ramp.
Rgb paletteColour(int i)
{
    const auto basic = [i](int bit) { return static_cast<std::uint8_t>((i & bit) == 0 ? 0 : i < 8 ? 205 : 255); };
    const auto cube = [](int level) { return static_cast<std::uint8_t>(level == 0 ? 0 : 55 + 40 * level); };
    const auto grey = static_cast<std::uint8_t>(8 + 10 * (i - 232));
    return i < 16 ? Rgb{basic(1), basic(2), basic(4)}
           : i < 232 ? Rgb{cube((i - 16) / 36), cube((i - 16) / 6 % 6), cube((i - 16) % 6)} : Rgb{grey, grey, grey};
}

// Cells are stored line after line; the arithmetic is done in size_t.
std::size_t cellIndex(int x, int y, int columns)
{
    return static_cast<std::size_t>(columns) * static_cast<std::size_t>(y) + static_cast<std::size_t>(x);
}

}  // namespace

std::string utf8(char32_t ch)
{
    std::string out;
    text::appendCodePoint(out, ch);
    return out;
}

Screen::Screen(int columns, int lines) : columns_(columns), lines_(lines), cells_(cellIndex(0, lines, columns))
{
    if (columns < 1 || lines < 1) {
        throw std::invalid_argument("a screen needs at least one cell");
    }
}

void Screen::resize(int columns, int lines)
{
    std::vector<ScreenCell> cells(cellIndex(0, lines, columns));
    for (int y = 0; y < std::min(lines, lines_); ++y) {
        for (int x = 0; x < std::min(columns, columns_); ++x) {
            cells[cellIndex(x, y, columns)] = cell(x, y);
        }
    }
    cells_ = std::move(cells);
    columns_ = columns;
    lines_ = lines;
    cursor_ = {std::min(cursor_.x, columns - 1), std::min(cursor_.y, lines - 1)};
    wrapPending_ = false;
}

const ScreenCell& Screen::cell(int x, int y) const
{
    if (x < 0 || y < 0 || x >= columns_ || y >= lines_) {
        throw std::out_of_range("cell outside the screen");
    }
    return cells_[cellIndex(x, y, columns_)];
}

std::string Screen::line(int y) const
{
    std::string out;
    int end = columns_;
    while (end > 0 && cell(end - 1, y).ch == U' ') {
        --end;
    }
    for (int x = 0; x < end; ++x) {
        out += utf8(cell(x, y).ch);
    }
    return out;
}

int Screen::findLine(std::string_view start) const
{
    for (int y = 0; y < lines_; ++y) {
        if (line(y).starts_with(start)) {
            return y;
        }
    }
    return -1;
}

std::string Screen::text() const
{
    std::string out;
    for (int y = 0; y < lines_; ++y) {
        out += line(y) + '\n';
    }
    return out.erase(out.find_last_not_of('\n') + 1);
}

bool Screen::blank() const
{
    return std::all_of(cells_.begin(), cells_.end(), [](const ScreenCell& c) { return c == ScreenCell{}; });
}

void Screen::feed(std::string_view bytes)
{
    for (const char c : bytes) {
        byte(static_cast<unsigned char>(c));
    }
}

void Screen::byte(unsigned char c)
{
    if (state_ != State::Text) {
        sequence_ += static_cast<char>(c);
        if (state_ == State::Escape && c == '[') {
            state_ = State::Csi;
        } else if (state_ == State::Csi && c >= 0x20 && c <= 0x3F) {
            // parameters and intermediates go on
        } else if (state_ == State::Csi && c >= 0x40 && c <= 0x7E) {
            state_ = State::Text;
            controlSequence(std::string_view(sequence_).substr(2, sequence_.size() - 3), static_cast<char>(c));
        } else {
            state_ = State::Text;
            unknown_.push_back(sequence_);
        }
        return;
    }
    if (utf8Remaining_ > 0) {
        if ((c & 0xC0) == 0x80) {
            utf8Value_ = (utf8Value_ << 6) | (c & 0x3F);
            if (--utf8Remaining_ == 0) {
                put(utf8Value_);
            }
            return;
        }
        utf8Remaining_ = 0;
        put(U'\uFFFD');
    }
    if (c >= 0x80) {
        utf8Remaining_ = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 0;
        utf8Value_ = c & (0x3F >> utf8Remaining_);
        if (utf8Remaining_ == 0) {
            put(U'\uFFFD');
        }
        return;
    }
    switch (c) {
    case 0x1B:
        state_ = State::Escape;
        // Not `= "\x1b"`: optimised by GCC 12, that draws a false -Wrestrict.
        sequence_.assign(1, '\x1b');
        return;
    case '\n':
        // Output processing turns a line feed into a new line, as the Windows
        // console does in text mode.
        cursor_.x = 0;
        lineFeed();
        return;
    case '\r':
        cursor_.x = 0;
        wrapPending_ = false;
        return;
    default:
        break;
    }
    if (c < 0x20 || c == 0x7F) {
        unknown_.emplace_back(1, static_cast<char>(c));
        return;
    }
    put(c);
}

void Screen::put(char32_t ch)
{
    if (wrapPending_) {
        cursor_.x = 0;
        lineFeed();
    }
    cells_[cellIndex(cursor_.x, cursor_.y, columns_)] = ScreenCell{ch, fg_, bg_};
    wrapPending_ = cursor_.x == columns_ - 1;
    cursor_.x += wrapPending_ ? 0 : 1;
}

void Screen::lineFeed()
{
    wrapPending_ = false;
    if (cursor_.y < lines_ - 1) {
        ++cursor_.y;
        return;
    }
    cells_.erase(cells_.begin(), cells_.begin() + columns_);
    cells_.resize(cellIndex(0, lines_, columns_));
}

// Cursor placement, the clear, colours and the cursor's visibility: what a
// console program like the game writes, and what wine's console adds.
// Anything else is noted as unknown.
void Screen::controlSequence(std::string_view params, char final)
{
    wrapPending_ = false;
    if (params == "?25" && (final == 'h' || final == 'l')) {
        cursorVisible_ = final == 'h';
        return;
    }
    const std::vector<int> n = numbers(params);
    if (final == 'H' || final == 'f') {
        cursor_.y = std::clamp(orDefault(n, 0, 1), 1, lines_) - 1;
        cursor_.x = std::clamp(orDefault(n, 1, 1), 1, columns_) - 1;
    } else if (final == 'J' && (orDefault(n, 0, 0) == 2 || orDefault(n, 0, 0) == 3)) {
        std::fill(cells_.begin(), cells_.end(), ScreenCell{});
    } else if (final == 'K' && orDefault(n, 0, 0) == 0) {
        // Erase to the end of the line, and a step right: wine's console
        // writes both as it redraws.
        std::fill_n(cells_.begin() + static_cast<std::ptrdiff_t>(cellIndex(cursor_.x, cursor_.y, columns_)),
                    columns_ - cursor_.x, ScreenCell{});
    } else if (final == 'C') {
        cursor_.x = std::min(columns_ - 1, cursor_.x + std::max(1, orDefault(n, 0, 1)));
    } else if (final == 'm') {
        selectGraphicRendition(params);
    } else {
        unknown_.push_back(sequence_);
    }
}

void Screen::selectGraphicRendition(std::string_view params)
{
    const std::vector<int> n = numbers(params);
    for (std::size_t i = 0; i < n.size(); ++i) {
        const int code = std::max(n[i], 0);
        if (code == 0) {
            fg_.reset();
            bg_.reset();
        } else if ((code == 38 || code == 48) && i + 4 < n.size() && n[i + 1] == 2) {
            const Rgb rgb{static_cast<std::uint8_t>(n[i + 2]), static_cast<std::uint8_t>(n[i + 3]),
                          static_cast<std::uint8_t>(n[i + 4])};
            (code == 38 ? fg_ : bg_) = rgb;
            i += 4;
        } else if ((code == 38 || code == 48) && i + 2 < n.size() && n[i + 1] == 5) {
            (code == 38 ? fg_ : bg_) = paletteColour(std::clamp(n[i + 2], 0, 255));
            i += 2;
        } else if (code % 10 < 8 && (code / 10 == 3 || code / 10 == 4)) {
            (code / 10 == 3 ? fg_ : bg_) = paletteColour(code % 10);
        } else if (code == 39 || code == 49) {
            (code == 39 ? fg_ : bg_).reset();
        } else {
            unknown_.push_back(sequence_);
            return;
        }
    }
}
