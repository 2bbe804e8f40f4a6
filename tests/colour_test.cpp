// The terminal writer's colours: the depth it picks for the terminal at hand,
// the palette colours the board's glyphs get, and the screen its lean frames
// make beside the game's own texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "board/board.hpp"
#include "board/render.hpp"
#include "maze/maze.hpp"
#include "platform/colours.hpp"
#include "platform/text.hpp"
#include "tests/support/console.hpp"
#include "tests/support/ways.hpp"

namespace tc = testconsole;
using colours::Depth;

namespace {

struct Terminal {
    const char* name;
    colours::TerminalFacts facts;
    Depth depth;
};

TEST(ColourDepth, IsTheBestTheTerminalAtHandShows)
{
    const Terminal terminals[] = {
        {"xterm", {.term = "xterm-256color", .xtermVersion = "XTerm(379)", .terminfoColours = 256}, Depth::Direct},
        {"old xterm", {.term = "xterm-256color", .xtermVersion = "XTerm(330)", .terminfoColours = 256}, Depth::Palette},
        {"screen in xterm",
         {.term = "screen", .colorTerm = "truecolor", .sty = "9.pts-1", .xtermVersion = "XTerm(379)", .terminfoColours = 8},
         Depth::Basic},
        {"screen in VTE", {.term = "screen-256color", .sty = "9", .vteVersion = "7006", .terminfoColours = 256},
         Depth::Palette},
        {"tmux", {.term = "tmux-256color", .tmux = "/tmp/tmux-0/default,9,0", .terminfoColours = 256}, Depth::Direct},
        {"tmux in screen", {.term = "tmux-256color", .sty = "9", .tmux = "/t", .terminfoColours = 256}, Depth::Direct},
        {"screen in tmux", {.term = "screen", .sty = "9", .tmux = "/t", .terminfoColours = 8}, Depth::Basic},
        {"Linux console", {.term = "linux", .terminfoColours = 8}, Depth::Basic},
        {"COLORTERM", {.term = "linux", .colorTerm = "truecolor", .terminfoColours = 8}, Depth::Direct},
        {"terminfo RGB", {.term = "mlterm", .terminfoDirect = true, .terminfoColours = 256}, Depth::Direct},
        {"VTE 0.36", {.term = "xterm-256color", .vteVersion = "3600", .terminfoColours = 256}, Depth::Direct},
        {"VTE 0.34", {.term = "xterm-256color", .vteVersion = "3405", .terminfoColours = 256}, Depth::Palette},
        {"kitty", {.term = "xterm-kitty", .terminfoColours = 256}, Depth::Direct},
        {"Apple's", {.term = "xterm-256color", .termProgram = "Apple_Terminal", .terminfoColours = 256}, Depth::Palette},
        {"urxvt from xterm", {.term = "rxvt-unicode-256color", .xtermVersion = "XTerm(379)", .terminfoColours = 256},
         Depth::Palette},
        {"unknown type", {.term = "unknown"}, Depth::Basic},
    };
    for (const auto& [name, facts, depth] : terminals) {
        EXPECT_EQ(colours::chooseDepth(facts), depth) << name;
    }
}

const Depth Depths[] = {Depth::Basic, Depth::Palette, Depth::Direct};

// Hue in degrees (0 is red, 120 green) and brightness, as a player tells colours apart.
int hue(Rgb c)
{
    const int high = std::max({c.r, c.g, c.b});
    const int chroma = high - std::min({c.r, c.g, c.b});
    if (chroma == 0) {
        return 0;
    }
    const int h = high == c.r ? 60 * (c.g - c.b) / chroma
                  : high == c.g ? 120 + 60 * (c.b - c.r) / chroma
                                : 240 + 60 * (c.r - c.g) / chroma;
    return (h + 360) % 360;
}
int brightness(Rgb c) { return (299 * c.r + 587 * c.g + 114 * c.b) / 1000; }

TEST(BoardColours, StayApartInEveryDepth)
{
    std::string glyphs;
    for (const std::int32_t tile : {TileFloor, TileWall, TileGoal, TilePlayer}) {
        text::appendUtf8(glyphs, glyphFor(tile));
    }
    for (const Depth depth : Depths) {
        SCOPED_TRACE(static_cast<int>(depth));
        colours::Writer writer{depth};
        std::string bytes;
        colours::writeLean(writer, glyphs, bytes);
        Screen s(10, 1);
        s.feed(bytes);
        const ScreenCell floor = s.cell(0, 0), wall = s.cell(2, 0), goal = s.cell(4, 0);
        EXPECT_EQ(s.cell(7, 0), (ScreenCell{U'\u2588', {}, {}}));  // the player
        ASSERT_TRUE(floor.fg && wall.fg && goal.fg && goal.bg);
        EXPECT_LT(std::abs(hue(*floor.fg) - 120), 45);
        EXPECT_TRUE(hue(*wall.fg) < 15 || hue(*wall.fg) > 345);
        EXPECT_TRUE(hue(*goal.bg) > 25 && hue(*goal.bg) < 335) << "a red goal";
        EXPECT_GE(std::abs(brightness(*goal.fg) - brightness(*goal.bg)), 80) << "bars lost in their background";
    }
}

// How often the colours change along the characters a frame prints; a space
// and a line break need only the background.
int colourRuns(std::string_view plain)
{
    std::string_view fg, bg, shownFg = "?", shownBg;
    int runs = 0;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const auto c = static_cast<unsigned char>(plain[i]);
        if (c == 0x1B) {
            const std::size_t end = plain.find_first_of("Hm", i);
            const std::string_view sequence = plain.substr(i, end + 1 - i);
            if (sequence.starts_with("\x1b[38")) {
                fg = sequence;
            } else if (sequence.starts_with("\x1b[48")) {
                bg = sequence;
            } else if (plain[end] == 'm') {
                fg = bg = {};
            }
            i = end;
        } else if ((c == ' ' || c == '\n') && bg != shownBg) {
            ++runs;
            shownFg = "?";  // kept or reset, as is shorter
            shownBg = bg;
        } else if (c > ' ' && (c < 0x80 || c >= 0xC0) && (fg != shownFg || bg != shownBg)) {
            ++runs;
            shownFg = fg;
            shownBg = bg;
        }
    }
    return runs;
}

int colourChanges(std::string_view bytes)
{
    int count = 0;
    for (std::size_t at = bytes.find("\x1b["); at != std::string_view::npos; at = bytes.find("\x1b[", at + 1)) {
        count += bytes[bytes.find_first_of("Hm", at)] == 'm' ? 1 : 0;
    }
    return count;
}

// The same characters and cursor; the same colours in 24 bits, and in a
// palette one for one: each of the texts' colour pairs shows as one pair of
// the palette, no two as the same, and the terminal's own as its own. A blank
// shows only its background.
void expectSameScreen(const Screen& plain, const Screen& lean, Depth depth)
{
    EXPECT_EQ(lean.cursor(), plain.cursor());
    std::vector<std::pair<ScreenCell, ScreenCell>> pairs{{ScreenCell{}, ScreenCell{}}};
    for (int y = 0; y < plain.lines(); ++y) {
        for (int x = 0; x < plain.columns(); ++x) {
            ScreenCell p = plain.cell(x, y);
            ScreenCell l = lean.cell(x, y);
            ASSERT_EQ(l.ch, p.ch) << x << "," << y;
            if (p.ch == U' ') {
                p.fg = l.fg = {};
            }
            p.ch = l.ch = U' ';
            if (depth == Depth::Direct) {
                ASSERT_EQ(l, p) << x << "," << y;
            }
            for (const auto& [seenPlain, seenLean] : pairs) {
                ASSERT_EQ(seenPlain == p, seenLean == l) << x << "," << y;
            }
            if (std::find(pairs.begin(), pairs.end(), std::pair(p, l)) == pairs.end()) {
                pairs.emplace_back(p, l);
            }
        }
    }
}

// A level's frames, the game's texts and the writer's bytes each on a screen
// of their own: the fresh draw of the level before, this level drawn over it
// by difference, and a move.
TEST(LeanFrames, ShowTheGamesScreenWithOneColourChangePerRun)
{
    for (const Depth depth : Depths) {
        for (const std::int32_t level : {1, 10, 100}) {
            startFresh(210, 110);
            colours::Writer writer{depth};
            Screen lean(210, 110);
            const auto frame = [&](const char* name, const std::function<void()>& draw) {
                SCOPED_TRACE(std::string(name) + " at level " + std::to_string(level) + " in depth " +
                             std::to_string(static_cast<int>(depth)));
                const std::size_t from = tc::output().size();
                draw();
                const std::string_view plain = std::string_view(tc::output()).substr(from);
                std::string bytes;
                colours::writeLean(writer, plain, bytes);
                colours::resetColours(writer, bytes);
                lean.feed(bytes);
                expectSameScreen(tc::screen(), lean, depth);
                EXPECT_LE(colourChanges(bytes), colourRuns(plain));
                EXPECT_LT(bytes.size(), plain.size());
            };
            const std::int32_t last = sideLengthFor(level) - 1;
            frame("fresh", [&] {
                generateMazeFromSeed(level - 1, 1'700'000'000, mazeDrawBudget(level - 1));
                drawBoard(level - 1, true, 0, 0, 0, 0);
                shownBoard = board;
            });
            frame("difference", [&] {
                generateMazeFromSeed(level, 1'700'000'030, mazeDrawBudget(level));
                drawBoard(level, true, 0, 0, 0, 0);
            });
            frame("move", [&] { drawBoard(level, false, last - 1, last, last, last); });
        }
    }
}

}  // namespace
