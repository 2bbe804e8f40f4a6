// The terminal writer's lean frames in each colour depth.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <tuple>

#include "bench/colour_vision.hpp"
#include "board/render.hpp"
#include "maze/maze.hpp"
#include "platform/rewriter.hpp"
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

TEST(LeanFrames, ShowTheGamesScreenWithOneColourChangePerRun)
{
    for (const Depth depth : {Depth::Basic, Depth::Palette, Depth::Direct}) {
        for (const int level : {1, 10, 100}) {
            SCOPED_TRACE("level " + std::to_string(level) + " depth " + std::to_string(static_cast<int>(depth)));
            startFresh(210, 110);
            colours::Writer writer{depth};
            Screen lean(210, 110);
            // A fresh draw of the level before, this one over it by difference, a move.
            for (int frame = 0; frame < 3; ++frame) {
                const std::size_t from = testconsole::output().size();
                const std::int32_t drawn = frame == 0 ? level - 1 : level, last = sideLengthFor(level) - 1;
                if (frame < 2) {
                    generateMazeFromSeed(drawn, 1'700'000'000 + 30 * frame, mazeDrawBudget(drawn));
                }
                drawBoard(drawn, frame < 2, last - 1, last, last, last);
                shownBoard = board;
                const std::string plain = testconsole::output().substr(from);
                std::string bytes;
                colours::writeLean(writer, plain, bytes);
                colours::resetColours(writer, bytes);
                // As the tty passes it on: a line break is CR LF.
                lean.feed(std::regex_replace(bytes, std::regex("\n"), "\r\n"));
                const Screen& game = testconsole::screen();
                EXPECT_EQ(lean.cursor(), game.cursor());
                // Each colour pair shows as one of its own (in 24 bits the same).
                std::vector<std::pair<ScreenCell, ScreenCell>> pairs{{ScreenCell{}, ScreenCell{}}};
                for (int i = 0, w = 2 * level + 8; i < (level + 7) * w; ++i) {
                    ScreenCell p = game.cell(i % w, i / w), l = lean.cell(i % w, i / w);
                    ASSERT_EQ(l.ch, p.ch) << i;
                    p.ch = l.ch = U' ';
                    ASSERT_TRUE(depth != Depth::Direct || l == p) << i;
                    ASSERT_FALSE(std::ranges::any_of(pairs, [&](const auto& s) {
                        return (s.first == p) != (s.second == l);
                    })) << i;
                    if (std::find(pairs.begin(), pairs.end(), std::pair(p, l)) == pairs.end()) {
                        pairs.emplace_back(p, l);
                    }
                }
                // A fresh draw changes colour (the only 'm') once per change from cell to cell, row after
                // row; a draw by difference at most half as often as the plain text.
                int runs = 0;
                for (int i = 1, w = sideLengthFor(drawn) + 1; frame == 0 && i < (w - 1) * w; ++i) {
                    const ScreenCell &a = game.cell((i - 1) % w * 2, (i - 1) / w + 2),
                                     &b = game.cell(i % w * 2, i / w + 2);
                    runs += a.fg != b.fg || a.bg != b.bg ? 1 : 0;
                }
                EXPECT_LE(std::ranges::count(bytes, 'm'), frame == 0 ? runs : std::ranges::count(plain, 'm') / 2 + 1);
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

// Each change of colours: those that differ, or a reset and those that stay, whichever is shorter; nothing
// for colours already in force, or for a foreground nothing shows.
TEST(LeanFrames, ChangeColoursInTheFewestBytes)
{
    const std::string red = "\x1b[38;2;255;0;0m", yellow = "\x1b[38;2;255;255;0m", brown = "\x1b[48;2;150;75;0m";
    const std::tuple<Depth, std::string, std::string> changes[] = {
        {Depth::Direct, red + "A" + yellow + "B" + red + red + "C",
         "\x1b[38;2;255;0;0mA\x1b[38;2;255;255;0mB\x1b[38;2;255;0;0mC"},
        {Depth::Direct, yellow + brown + "A\x1b[0m" + yellow + "B\x1b[0m" + brown + "C\x1b[0mD",
         "\x1b[38;2;255;255;0;48;2;150;75;0mA\x1b[49mB\x1b[0;48;2;150;75;0mC\x1b[mD"},
        {Depth::Direct, red + brown + "A\x1b[0m" + brown + " \x1b[0m" + red + "B",
         "\x1b[38;2;255;0;0;48;2;150;75;0mA \x1b[49mB"},
        {Depth::Palette, red + "A" + brown + "B\x1b[0mC", "\x1b[38;5;196mA\x1b[48;5;184mB\x1b[mC"},
        {Depth::Basic, red + "A" + brown + "B\x1b[0m" + yellow + "C", "\x1b[31mA\x1b[43mB\x1b[0;33mC"},
        // The goal's yellow on brown is yellow on yellow: the bars give way to black.
        {Depth::Basic, yellow + brown + "G", "\x1b[30;43mG"},
    };
    for (const auto& [depth, text, bytes] : changes) {
        colours::Writer writer{depth};
        std::string out;
        colours::writeLean(writer, text, out);
        EXPECT_EQ(out, bytes);
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
        {{48, 0, 255}, 57, 4},      {{47, 0, 255}, 21, 4},      {{114, 194, 0}, 70, 2}};
    for (const auto& [rgb, palette, basic] : nearest) {
        EXPECT_EQ(colours::paletteIndex(rgb), palette) << +rgb.r << "," << +rgb.g << "," << +rgb.b;
        // A mid grey may go either way (-1).
        const int seen = colours::basicIndex(rgb);
        EXPECT_TRUE(seen == basic || (basic == -1 && (seen == 0 || seen == 7)))
            << +rgb.r << "," << +rgb.g << "," << +rgb.b;
    }
}

}  // namespace
