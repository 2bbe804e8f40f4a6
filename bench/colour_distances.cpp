// How far apart wall, floor and the goal's background look in each palette
// and colour depth, with normal colour vision and under the three kinds of
// dichromacy (CIEDE2000), and how far the goal's bars stand out in lightness
// from their background (the difference of CIELAB L*), as xterm shows the
// bytes the terminal writer sends with its default palette; "screen" is the
// 256-colour depth through GNU screen on a terminal with the 8 basic colours.
//
//   colour_distances      (prints the tables of docs/performance.md)
#include <cmath>
#include <cstdio>
#include <string>
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
        const std::pair<const char*, std::pair<Rgb, Rgb>> pairs[] = {
            {"wall-floor", {wall, floor}},
            {"wall-goal", {wall, goal}},
            {"floor-goal", {floor, goal}},
            {"bars-goal L*", {bars, goal}}};
        for (const auto& [pairName, colours] : pairs) {
            std::printf("| %s | %s | %s / %s |", depthName, pairName, colourName(colours.first).c_str(),
                        colourName(colours.second).c_str());
            for (const Vision v : vision::Visions) {
                const double value = pairName[0] == 'b' ? std::abs(vision::seenLab(colours.first, v).l -
                                                                   vision::seenLab(colours.second, v).l)
                                                        : vision::difference(colours.first, colours.second, v);
                std::printf(" %.1f |", value);
            }
            std::printf("\n");
        }
    }
}

}  // namespace

int main()
{
    printTable(Palette::Clear, "clear");
    printTable(Palette::Classic, "classic");
}
