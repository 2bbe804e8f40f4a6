#include "tests/support/screen.hpp"

#include <vterm.h>

#include <stdexcept>
#include <utility>

#include "platform/utf8.hpp"

namespace {

// xterm's default palette: the 16 named colours, the 6x6x6 cube and the grey ramp.
Rgb xtermColour(int index)
{
    static constexpr Rgb Named[16] = {{0, 0, 0},       {205, 0, 0},   {0, 205, 0},   {205, 205, 0},
                                      {0, 0, 238},     {205, 0, 205}, {0, 205, 205}, {229, 229, 229},
                                      {127, 127, 127}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                      {92, 92, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    const auto level = [](int i) { return static_cast<std::uint8_t>(i == 0 ? 0 : 55 + 40 * i); };
    const auto grey = static_cast<std::uint8_t>(8 + 10 * (index - 232));
    return index < 16    ? Named[index]
           : index < 232 ? Rgb{level((index - 16) / 36), level((index - 16) / 6 % 6), level((index - 16) % 6)}
                         : Rgb{grey, grey, grey};
}

}  // namespace

Screen::Screen(int columns, int lines)
    : vt_(columns > 0 && lines > 0 ? vterm_new(lines, columns) : throw std::invalid_argument("no cells")),
      columns_(columns), lines_(lines)
{
    vterm_set_utf8(vt_, 1);
    static VTermScreenCallbacks callbacks{};
    callbacks.settermprop = [](VTermProp prop, VTermValue* value, void* visible) {
        if (prop == VTERM_PROP_CURSORVISIBLE) {
            *static_cast<bool*>(visible) = value->boolean != 0;
        }
        return 1;
    };
    vterm_screen_set_callbacks(vterm_obtain_screen(vt_), &callbacks, &cursorVisible_);
    vterm_screen_reset(vterm_obtain_screen(vt_), 1);
}

Screen::~Screen() { vterm_free(vt_); }

void Screen::feed(std::string_view bytes) { vterm_input_write(vt_, bytes.data(), bytes.size()); }

void Screen::resize(int columns, int lines)
{
    vterm_set_size(vt_, lines, columns);
    columns_ = columns;
    lines_ = lines;
}

ScreenCell Screen::cell(int x, int y) const
{
    if (x < 0 || y < 0 || x >= columns_ || y >= lines_) {
        throw std::out_of_range("cell outside the screen");
    }
    VTermScreenCell c{};
    vterm_screen_get_cell(vterm_obtain_screen(vt_), VTermPos{y, x}, &c);
    const auto colour = [](VTermColor value, bool isDefault) -> Colour {
        if (isDefault) {
            return {};
        }
        return VTERM_COLOR_IS_INDEXED(&value) ? xtermColour(value.indexed.idx)
                                              : Rgb{value.rgb.red, value.rgb.green, value.rgb.blue};
    };
    ScreenCell out{c.chars[0] == 0 ? U' ' : static_cast<char32_t>(c.chars[0]),
                   colour(c.fg, VTERM_COLOR_IS_DEFAULT_FG(&c.fg)), colour(c.bg, VTERM_COLOR_IS_DEFAULT_BG(&c.bg))};
    if (c.attrs.reverse != 0) {
        std::swap(out.fg, out.bg);
    }
    return out;
}

std::string Screen::line(int y) const
{
    std::string out;
    for (int x = 0; x < columns_; ++x) {
        // The right half of a wide character holds none.
        if (const char32_t ch = cell(x, y).ch; ch != static_cast<char32_t>(-1)) {
            text::appendCodePoint(out, ch);
        }
    }
    return out.erase(out.find_last_not_of(' ') + 1);
}

std::string Screen::text() const
{
    std::string out;
    for (int y = 0; y < lines_; ++y) {
        out += line(y) + '\n';
    }
    return out.erase(out.find_last_not_of('\n') + 1);
}

int Screen::findLine(std::string_view start) const
{
    int y = 0;
    while (y < lines_ && !line(y).starts_with(start)) {
        ++y;
    }
    return y < lines_ ? y : -1;
}

CursorPosition Screen::cursor() const
{
    VTermPos pos{};
    vterm_state_get_cursorpos(vterm_obtain_state(vt_), &pos);
    return {pos.col, pos.row};
}

bool Screen::blank() const
{
    int i = 0;
    while (i < columns_ * lines_ && cell(i % columns_, i / columns_) == ScreenCell{}) {
        ++i;
    }
    return i == columns_ * lines_;
}
