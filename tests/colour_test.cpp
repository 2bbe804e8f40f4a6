// The encoder's lean frames in each colour depth.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "bench/colour_vision.hpp"
#include "board/render.hpp"
#include "maze/maze.hpp"
#include "platform/encoder.hpp"
#include "platform/platform.hpp"
#include "platform/utf8.hpp"
#include "tests/support/ways.hpp"

namespace {

using colours::Depth;
using colours::Palette;
using vision::Vision;

// The terminals and the player's choice are rows of the end-to-end terminal table; here an entry of direct colour.
TEST(Palette, IsNoneOnlyWhereTheTerminfoEntryShowsNoColour)
{
    EXPECT_EQ(colours::choosePalette({}, {.terminfoDirect = true, .terminfoColours = 0}), Palette::Classic);
}

// A frame as the terminal shows it: the characters and colours of the board's corner, the cursor, and the bytes.
struct Frame {
    std::vector<ScreenCell> cells;
    CursorPosition cursor;
    std::string bytes;
};

// A fresh draw of the level before, this one over it by difference, and a move; in the Windows console's classic
// encoding, or in lean colour changes at a depth.
std::vector<Frame> framesOf(std::int32_t level, std::optional<Depth> lean)
{
    startFresh(210, 110);
    tc::encodeAs(lean);
    std::vector<Frame> frames;
    for (int frame = 0; frame < 3; ++frame) {
        const std::size_t from = tc::recorded().output.size();
        const std::int32_t drawn = frame == 0 ? level - 1 : level, last = sideLengthFor(level) - 1;
        if (frame < 2) {
            generateMazeFromSeed(drawn, 1'700'000'000 + 30 * frame, mazeDrawBudget(drawn));
        }
        drawBoard(drawn, frame < 2, last - 1, last, last, last);
        shownBoard = board;
        Frame seen{{}, tc::screen().cursor(), tc::recorded().output.substr(from)};
        for (int i = 0, w = 2 * level + 8; i < (level + 7) * w; ++i) {
            seen.cells.push_back(tc::screen().cell(i % w, i / w));
        }
        frames.push_back(std::move(seen));
    }
    return frames;
}

TEST(LeanFrames, ShowTheGamesScreenWithOneColourChangePerRun)
{
    for (const Depth depth : {Depth::Basic, Depth::Palette, Depth::Direct}) {
        for (const int level : {1, 10, 100}) {
            SCOPED_TRACE("level " + std::to_string(level) + " depth " + std::to_string(static_cast<int>(depth)));
            const std::vector<Frame> plain = framesOf(level, std::nullopt), lean = framesOf(level, depth);
            for (std::size_t frame = 0; frame < plain.size(); ++frame) {
                EXPECT_EQ(lean[frame].cursor, plain[frame].cursor);
                // Each colour pair shows as one of its own (in 24 bits the same).
                std::vector<std::pair<ScreenCell, ScreenCell>> pairs{{ScreenCell{}, ScreenCell{}}};
                for (std::size_t i = 0; i < plain[frame].cells.size(); ++i) {
                    ScreenCell p = plain[frame].cells[i], l = lean[frame].cells[i];
                    ASSERT_EQ(l.ch, p.ch) << i;
                    p.ch = l.ch = U' ';
                    ASSERT_TRUE(depth != Depth::Direct || l == p) << i;
                    const auto clash = [&](const auto& s) { return (s.first == p) != (s.second == l); };
                    ASSERT_FALSE(std::ranges::any_of(pairs, clash)) << i;
                    if (std::find(pairs.begin(), pairs.end(), std::pair(p, l)) == pairs.end()) {
                        pairs.emplace_back(p, l);
                    }
                }
                // A fresh draw changes colour (the only 'm') once per change from cell to cell, row after row; a
                // draw by difference at most half as often as the cell-by-cell encoding.
                int runs = 0;
                for (int i = 1, w = sideLengthFor(level - 1) + 1; frame == 0 && i < (w - 1) * w; ++i) {
                    const int from = (i - 1) % w * 2 + ((i - 1) / w + 2) * (2 * level + 8);
                    const int to = i % w * 2 + (i / w + 2) * (2 * level + 8);
                    const ScreenCell &a = plain[0].cells[static_cast<std::size_t>(from)],
                                     &b = plain[0].cells[static_cast<std::size_t>(to)];
                    runs += a.fg != b.fg || a.bg != b.bg ? 1 : 0;
                }
                EXPECT_LE(std::ranges::count(lean[frame].bytes, 'm'),
                          frame == 0 ? runs : std::ranges::count(plain[frame].bytes, 'm') / 2 + 1);
            }
        }
    }
}

// Wall, floor and goal as a terminal shows them (the last through GNU screen's fallback to 8 colours), for
// visions that confuse red and green or blue and yellow: far apart, and the bars clear on the goal.
TEST(ClearPalette, KeepsTheBoardApartForEveryColourVisionInEveryDepth)
{
    const std::pair<Depth, bool> depths[] = {
        {Depth::Direct, false}, {Depth::Palette, false}, {Depth::Basic, false}, {Depth::Palette, true}};
    for (const auto& [depth, viaScreen] : depths) {
        const vision::BoardCells cells = vision::boardCells(Palette::Clear, depth, viaScreen);
        SCOPED_TRACE(static_cast<int>(depth) + 4 * static_cast<int>(viaScreen));
        ASSERT_TRUE(cells.wall.fg && cells.floor.fg && cells.goal.fg && cells.goal.bg);
        ASSERT_FALSE(cells.wall.bg || cells.floor.bg);
        EXPECT_EQ(cells.player, (ScreenCell{U'\u2588', {}, {}}));
        for (const Vision v : vision::Visions) {
            EXPECT_GE(vision::difference(*cells.wall.fg, *cells.floor.fg, v), 30) << vision::visionName(v);
            EXPECT_GE(vision::difference(*cells.wall.fg, *cells.goal.bg, v), 30) << vision::visionName(v);
            EXPECT_GE(vision::difference(*cells.floor.fg, *cells.goal.bg, v), 30) << vision::visionName(v);
            EXPECT_GE(std::abs(vision::seenLab(*cells.goal.fg, v).l - vision::seenLab(*cells.goal.bg, v).l), 40);
        }
        // Red still warns of the wall.
        EXPECT_GT(cells.wall.fg->r, 2 * (cells.wall.fg->g + cells.wall.fg->b));
    }
}

// GNU screen with TERM=screen-256color on a terminal of 8 colours shows each palette entry as a basic colour.
TEST(ClassicPalette, KeepsItsMeaningThroughScreensFallbackToEightColours)
{
    const vision::BoardCells cells = vision::boardCells(Palette::Classic, Depth::Palette, true);
    EXPECT_EQ(cells.wall, (ScreenCell{U'\u2588', Rgb{205, 0, 0}, {}}));
    EXPECT_EQ(cells.floor, (ScreenCell{U'\u2588', Rgb{0, 205, 0}, {}}));
    EXPECT_EQ(cells.goal, (ScreenCell{U'\u25ac', Rgb{0, 0, 0}, Rgb{205, 205, 0}}));
    // And in 256 colours outside screen the bars stand out as clearly.
    const ScreenCell goal = vision::boardCells(Palette::Classic, Depth::Palette).goal;
    EXPECT_GE(std::abs(vision::seenLab(*goal.fg, Vision::Normal).l - vision::seenLab(*goal.bg, Vision::Normal).l), 60);
}

// Each change of colours: those that differ, or a reset and those that stay, whichever is shorter; nothing for
// colours already in force, or for a foreground nothing shows. Letters are cells (Wall, Floor, Goal, Player), '*' a
// clear, '@' a placement at (3, 4) and '~' one at (-1, 4); the rest is text.
TEST(LeanFrames, ChangeColoursInTheFewestBytes)
{
    // The palette, the encoding (none: the Windows console's), the steps and the bytes sent.
    const std::tuple<Palette, std::optional<Depth>, std::string, std::string> cases[] = {
        {Palette::Classic, Depth::Direct, "WWFxG P",
         "\x1b[38;2;255;0;0m████\x1b[38;2;20;200;50m██\x1b[mx"
         "\x1b[38;2;255;255;0;48;2;150;75;0m▬▬\x1b[m ██"},
        // The erase takes the background in force: the terminal's own first.
        {Palette::Classic, Depth::Palette, "WG*@~C",
         "\x1b[38;5;196m██\x1b[38;5;16;48;5;184m▬▬"
         "\x1b[H\x1b[m\x1b[2J\x1b[5;4HC"},
        // The goal's yellow on brown is yellow on yellow: the bars give way to black.
        {Palette::Classic, Depth::Basic, "WGF", "\x1b[31m██\x1b[30;43m▬▬\x1b[0;32m██"},
        // The clear palette's wall, floor and goal: red, blue, and black bars on cyan.
        {Palette::Clear, Depth::Direct, "WFG",
         "\x1b[38;2;255;0;0m██\x1b[38;2;0;0;255m██\x1b[38;2;0;0;0;48;2;0;255;255m▬▬"},
        {Palette::Clear, Depth::Palette, "WFG", "\x1b[38;5;196m██\x1b[38;5;21m██\x1b[38;5;16;48;5;51m▬▬"},
        {Palette::Clear, Depth::Basic, "WFG", "\x1b[31m██\x1b[34m██\x1b[30;46m▬▬"},
        // Without colour the cells keep apart by shape.
        {Palette::None, Depth::Direct, "FWGP *", "░░██▬▬[] \x1b[H\x1b[2J"},
        // The Windows console's classic cells: each in its colours, reset after it.
        {Palette::Classic, std::nullopt, "G F*P",
         "\x1b[48;2;150;75;0m\x1b[38;2;255;255;0m▬▬\x1b[0m \x1b[38;2;20;200;50m██\x1b[0m"
         "\x1b[H\x1b[2J██"},
    };
    for (const auto& [palette, lean, shown, bytes] : cases) {
        tc::reset();
        tc::encodeAs(lean);
        platform::chooseColours(palette);
        for (const char step : shown) {
            using enum platform::Cell;
            if (std::string_view("WFGP").find(step) != std::string_view::npos) {
                platform::printCell(step == 'W' ? Wall : step == 'F' ? Floor : step == 'G' ? Goal : Player);
            } else if (step == '*') {
                platform::clearScreen();
            } else if (step == '@' || step == '~') {
                platform::moveCursor(step == '@' ? 3 : -1, 4);
            } else {
                platform::printText(std::wstring(1, static_cast<wchar_t>(step)));
            }
        }
        EXPECT_EQ(tc::recorded().output, bytes) << shown;
    }
}

// The nearest entry of the 256-colour cube or grey ramp, unless GNU screen would show it in another basic
// colour (brown: the yellow entry); and the basic colour of the same hue (greys black or white, brown yellow).
TEST(LeanFrames, ColoursTakeTheNearestPaletteEntryAndTheirHuesBasicColour)
{
    const std::tuple<colours::Rgb, int, int> nearest[] = {
        {{255, 0, 0}, 196, 1},      {{20, 200, 50}, 41, 2},     {{255, 255, 0}, 226, 3},   {{150, 75, 0}, 184, 3},
        {{0, 0, 255}, 21, 4},       {{255, 0, 255}, 201, 5},    {{0, 255, 255}, 51, 6},    {{0, 0, 0}, 16, 0},
        {{255, 255, 255}, 231, 7},  {{250, 250, 250}, 231, 7},  {{8, 8, 8}, 232, 0},       {{45, 45, 45}, 236, 0},
        {{100, 100, 100}, 241, -1}, {{128, 128, 128}, 244, -1}, {{238, 238, 238}, 255, 7}, {{220, 30, 90}, 161, 1},
        {{48, 0, 255}, 57, 4},      {{47, 0, 255}, 21, 4},      {{114, 194, 0}, 70, 2},    {{115, 0, 0}, 88, 1},
        {{155, 0, 0}, 124, 1},      {{40, 0, 0}, 160, 1},       {{255, 84, 0}, 202, 1},    {{255, 0, 200}, 164, 5},
        {{175, 175, 175}, 145, 7},  {{135, 135, 135}, 188, 7},  {{195, 0, 0}, 160, 1}};
    for (const auto& [rgb, palette, basic] : nearest) {
        EXPECT_EQ(colours::paletteIndex(rgb), palette) << +rgb.r << "," << +rgb.g << "," << +rgb.b;
        // A mid grey may go either way (-1).
        const int seen = colours::basicIndex(rgb);
        EXPECT_TRUE(seen == basic || (basic == -1 && (seen == 0 || seen == 7)))
            << +rgb.r << "," << +rgb.g << "," << +rgb.b;
    }
}

// A text leaves as UTF-8, each character in its shortest form; two UTF-16 halves are one character, and half a
// pair or a number past Unicode is U+FFFD.
TEST(LeanFrames, TextsLeaveAsUtf8AndBrokenCharactersAsReplacements)
{
    const std::pair<std::vector<unsigned>, std::string> cases[] = {
        {{0x7F, 0x80, 0x7FF, 0x800}, "\x7f\xc2\x80\xdf\xbf\xe0\xa0\x80"},
        {{0xFFFF, 0x10000, 0x10FFFF, 0x110000}, "\xef\xbf\xbf\xf0\x90\x80\x80\xf4\x8f\xbf\xbf\xef\xbf\xbd"},
        {{0xD83D, 0xDE00, 0xDBFF, 0xDC00}, "\xf0\x9f\x98\x80\xf4\x8f\xb0\x80"},
        {{0xD7FF, 0xD800, 'a', 0xDFFF, 0xE000, 0xDC00, 0xD800},
         "\xed\x9f\xbf\xef\xbf\xbd"
         "a\xef\xbf\xbd\xee\x80\x80"
         "\xef\xbf\xbd\xef\xbf\xbd"},
    };
    for (const auto& [characters, bytes] : cases) {
        std::wstring wide;
        for (const unsigned c : characters) {
            wide += static_cast<wchar_t>(c);
        }
        std::string out;
        text::appendUtf8(out, wide);
        EXPECT_EQ(out, bytes) << std::hex << characters.front();
    }
}

}  // namespace
