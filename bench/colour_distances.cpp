// How far apart wall, floor and the goal's background look in each palette
// and colour depth, with normal colour vision and under the three kinds of
// dichromacy (CIEDE2000), and how far the goal's bars stand out in lightness
// from their background (the difference of CIELAB L*), as xterm shows the
// bytes the encoder sends with its default palette; "screen" is the
// 256-colour depth through GNU screen on a terminal with the 8 basic colours.
//
//   colour_distances      (prints the tables of docs/performance.md)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>
#include <utility>

#include "bench/colour_vision.hpp"

namespace {

using colours::Depth;
using colours::Palette;
using vision::Vision;

std::string colourName(const Colour& c)
{
    return c ? std::to_string(c->r) + "," + std::to_string(c->g) + "," + std::to_string(c->b) : "default";
}

void printTable(Palette palette, const char* name)
{
    std::printf("\n%s palette\n\n| depth | pair | colours |", name);
    for (const Vision v : vision::Visions) {
        std::printf(" %s |", vision::visionName(v));
    }
    std::printf("\n|---|---|---|---:|---:|---:|---:|\n");
    const std::pair<const char*, Depth> depths[] = {
        {"24-bit", Depth::Direct}, {"256", Depth::Palette}, {"8", Depth::Basic}, {"screen", Depth::Palette}};
    for (const auto& [depthName, depth] : depths) {
        const vision::BoardCells cells = vision::boardCells(palette, depth, depthName[0] == 's');
        const Rgb wall = cells.wall.fg.value_or(Rgb{});
        const Rgb floor = cells.floor.fg.value_or(Rgb{});
        const Rgb goal = cells.goal.bg.value_or(Rgb{});
        const Rgb bars = cells.goal.fg.value_or(Rgb{});
        const std::pair<const char*, std::pair<Rgb, Rgb>> pairs[] = {{"wall-floor", {wall, floor}},
                                                                     {"wall-goal", {wall, goal}},
                                                                     {"floor-goal", {floor, goal}},
                                                                     {"bars-goal L*", {bars, goal}}};
        for (const auto& [pairName, colours] : pairs) {
            std::printf("| %s | %s | %s / %s |", depthName, pairName, colourName(colours.first).c_str(),
                        colourName(colours.second).c_str());
            for (const Vision v : vision::Visions) {
                const double value =
                    pairName[0] == 'b'
                        ? std::abs(vision::seenLab(colours.first, v).l - vision::seenLab(colours.second, v).l)
                        : vision::difference(colours.first, colours.second, v);
                std::printf(" %.1f |", value);
            }
            std::printf("\n");
        }
    }
}

// The colour difference against Sharma, Wu and Dalal's published test pairs
// (near blue, a grey, hues across 0, a wide gap, green, a dark pair): the
// tables mean nothing if it strays.
bool differenceMatchesPublishedPairs()
{
    const std::tuple<vision::Lab, vision::Lab, double> pairs[] = {
        {{50, 2.6772, -79.7751}, {50, 0, -82.7485}, 2.0425},
        {{50, 0, 0}, {50, -1, 2}, 2.3669},
        {{50, 2.49, -0.001}, {50, -2.49, 0.0009}, 7.1792},
        {{50, 2.5, 0}, {73, 25, -18}, 27.1492},
        {{60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}, 1.2644},
        {{2.0776, 0.0795, -1.135}, {0.9033, -0.0636, -0.5514}, 0.9082}};
    return std::ranges::all_of(pairs, [](const auto& pair) {
        return std::abs(vision::ciede2000(std::get<0>(pair), std::get<1>(pair)) - std::get<2>(pair)) < 1e-4;
    });
}

}  // namespace

int main()
{
    if (!differenceMatchesPublishedPairs()) {
        std::fputs("colour_distances: CIEDE2000 disagrees with the published test pairs\n", stderr);
        return 1;
    }
    printTable(Palette::Clear, "clear");
    printTable(Palette::Classic, "classic");
}
