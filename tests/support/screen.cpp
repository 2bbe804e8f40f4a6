#include "tests/support/screen.hpp"

#include <algorithm>
#include <stdexcept>

namespace {

std::vector<int> numbers(std::string_view params)
{
    std::vector<int> result;
    int value = 0;
    bool any = false;
    for (const char c : params) {
        if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
            any = true;
        } else if (c == ';' || c == ':') {
            result.push_back(any ? value : -1);
            value = 0;
            any = false;
        }
    }
    result.push_back(any ? value : -1);
    return result;
}

int orDefault(const std::vector<int>& values, std::size_t i, int fallback)
{
    return i < values.size() && values[i] >= 0 ? values[i] : fallback;
}

// Cells are stored line after line; the arithmetic is done in size_t.
std::size_t gridSize(int columns, int lines)
{
    return static_cast<std::size_t>(columns) * static_cast<std::size_t>(lines);
}

std::size_t cellIndex(int x, int y, int columns)
{
    return gridSize(columns, y) + static_cast<std::size_t>(x);
}

}  // namespace

std::string utf8(char32_t ch)
{
    std::string out;
    if (ch < 0x80) {
        out += static_cast<char>(ch);
    } else if (ch < 0x800) {
        out += static_cast<char>(0xC0 | (ch >> 6));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else if (ch < 0x10000) {
        out += static_cast<char>(0xE0 | (ch >> 12));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (ch >> 18));
        out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    }
    return out;
}

Screen::Screen(int columns, int lines)
    : columns_(columns), lines_(lines), cells_(gridSize(columns, lines))
{
    if (columns < 1 || lines < 1) {
        throw std::invalid_argument("a screen needs at least one cell");
    }
}

void Screen::resize(int columns, int lines)
{
    std::vector<ScreenCell> cells(gridSize(columns, lines));
    for (int y = 0; y < std::min(lines, lines_); ++y) {
        for (int x = 0; x < std::min(columns, columns_); ++x) {
            cells[cellIndex(x, y, columns)] = cell(x, y);
        }
    }
    cells_ = std::move(cells);
    columns_ = columns;
    lines_ = lines;
    cursor_.x = std::min(cursor_.x, columns - 1);
    cursor_.y = std::min(cursor_.y, lines - 1);
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
    int last = lines_;
    while (last > 0 && line(last - 1).empty()) {
        --last;
    }
    std::string out;
    for (int y = 0; y < last; ++y) {
        if (y > 0) {
            out += '\n';
        }
        out += line(y);
    }
    return out;
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
    switch (state_) {
    case State::Escape:
        sequence_ += static_cast<char>(c);
        if (c == '[') {
            state_ = State::Csi;
        } else if (c >= 0x20 && c <= 0x2F) {
            state_ = State::EscapeOther;  // intermediate bytes, e.g. ESC ( B
        } else {
            unknown_.push_back(sequence_);
            state_ = State::Text;
        }
        return;
    case State::EscapeOther:
        sequence_ += static_cast<char>(c);
        if (c >= 0x30 && c <= 0x7E) {
            unknown_.push_back(sequence_);
            state_ = State::Text;
        }
        return;
    case State::Csi:
        sequence_ += static_cast<char>(c);
        if (c >= 0x40 && c <= 0x7E) {
            state_ = State::Text;
            const std::string whole = sequence_;
            controlSequence(std::string_view(whole).substr(2, whole.size() - 3), static_cast<char>(c), whole);
        } else if (c < 0x20 || c > 0x3F) {
            if (!(c >= 0x20 && c <= 0x2F)) {
                unknown_.push_back(sequence_);
                state_ = State::Text;
            }
        }
        return;
    case State::Text:
        break;
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
        if ((c & 0xE0) == 0xC0) {
            utf8Value_ = c & 0x1F;
            utf8Remaining_ = 1;
        } else if ((c & 0xF0) == 0xE0) {
            utf8Value_ = c & 0x0F;
            utf8Remaining_ = 2;
        } else if ((c & 0xF8) == 0xF0) {
            utf8Value_ = c & 0x07;
            utf8Remaining_ = 3;
        } else {
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
    case '\b':
        if (cursor_.x > 0) {
            --cursor_.x;
        }
        wrapPending_ = false;
        return;
    case '\t':
        cursor_.x = std::min(columns_ - 1, (cursor_.x / 8 + 1) * 8);
        return;
    case 0x07:
        return;
    default:
        break;
    }
    if (c < 0x20 || c == 0x7F) {
        unknown_.push_back(std::string(1, static_cast<char>(c)));
        return;
    }
    put(c);
}

void Screen::put(char32_t ch)
{
    if (wrapPending_) {
        wrapPending_ = false;
        cursor_.x = 0;
        lineFeed();
    }
    cells_[cellIndex(cursor_.x, cursor_.y, columns_)] = ScreenCell{ch, fg_, bg_};
    if (cursor_.x == columns_ - 1) {
        wrapPending_ = true;
    } else {
        ++cursor_.x;
    }
}

void Screen::lineFeed()
{
    wrapPending_ = false;
    if (cursor_.y < lines_ - 1) {
        ++cursor_.y;
        return;
    }
    cells_.erase(cells_.begin(), cells_.begin() + columns_);
    cells_.resize(gridSize(columns_, lines_));
    ++scrolled_;
}

void Screen::eraseAll()
{
    std::fill(cells_.begin(), cells_.end(), ScreenCell{});
    scrolled_ = 0;
}

void Screen::eraseLine(int y, int from, int to)
{
    for (int x = from; x < to; ++x) {
        cells_[cellIndex(x, y, columns_)] = ScreenCell{};
    }
}

void Screen::controlSequence(std::string_view params, char final, std::string_view whole)
{
    if (!params.empty() && params[0] == '?') {
        const std::vector<int> modes = numbers(params.substr(1));
        for (const int mode : modes) {
            if (mode == 25 && (final == 'h' || final == 'l')) {
                cursorVisible_ = final == 'h';
            } else if ((mode == 1049 || mode == 47 || mode == 1047) && final == 'h') {
                alternateScreenUsed_ = true;
            } else {
                unknown_.emplace_back(whole);
            }
        }
        return;
    }
    const std::vector<int> n = numbers(params);
    wrapPending_ = false;
    switch (final) {
    case 'H':
    case 'f':
        cursor_.y = std::clamp(orDefault(n, 0, 1), 1, lines_) - 1;
        cursor_.x = std::clamp(orDefault(n, 1, 1), 1, columns_) - 1;
        return;
    case 'A': cursor_.y = std::max(0, cursor_.y - std::max(1, orDefault(n, 0, 1))); return;
    case 'B': cursor_.y = std::min(lines_ - 1, cursor_.y + std::max(1, orDefault(n, 0, 1))); return;
    case 'C': cursor_.x = std::min(columns_ - 1, cursor_.x + std::max(1, orDefault(n, 0, 1))); return;
    case 'D': cursor_.x = std::max(0, cursor_.x - std::max(1, orDefault(n, 0, 1))); return;
    case 'G': cursor_.x = std::clamp(orDefault(n, 0, 1), 1, columns_) - 1; return;
    case 'J':
        switch (orDefault(n, 0, 0)) {
        case 0:
            eraseLine(cursor_.y, cursor_.x, columns_);
            for (int y = cursor_.y + 1; y < lines_; ++y) {
                eraseLine(y, 0, columns_);
            }
            return;
        case 1:
            for (int y = 0; y < cursor_.y; ++y) {
                eraseLine(y, 0, columns_);
            }
            eraseLine(cursor_.y, 0, cursor_.x + 1);
            return;
        case 2:
        case 3:
            eraseAll();
            return;
        default: break;
        }
        break;
    case 'K':
        switch (orDefault(n, 0, 0)) {
        case 0: eraseLine(cursor_.y, cursor_.x, columns_); return;
        case 1: eraseLine(cursor_.y, 0, cursor_.x + 1); return;
        case 2: eraseLine(cursor_.y, 0, columns_); return;
        default: break;
        }
        break;
    case 'm':
        selectGraphicRendition(params);
        return;
    default:
        break;
    }
    unknown_.emplace_back(whole);
}

void Screen::selectGraphicRendition(std::string_view params)
{
    const std::vector<int> n = numbers(params);
    for (std::size_t i = 0; i < n.size(); ++i) {
        const int code = n[i] < 0 ? 0 : n[i];
        if (code == 0) {
            fg_.reset();
            bg_.reset();
        } else if ((code == 38 || code == 48) && i + 4 < n.size() && n[i + 1] == 2) {
            const Rgb rgb{static_cast<std::uint8_t>(n[i + 2]), static_cast<std::uint8_t>(n[i + 3]),
                          static_cast<std::uint8_t>(n[i + 4])};
            (code == 38 ? fg_ : bg_) = rgb;
            i += 4;
        } else if (code == 39) {
            fg_.reset();
        } else if (code == 49) {
            bg_.reset();
        } else {
            unknown_.push_back("\x1b[" + std::string(params) + "m");
            return;
        }
    }
}
