#include "bench/colour_vision.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <regex>
#include <string_view>

#include "platform/encoder.hpp"

namespace vision {

namespace {

using Matrix = std::array<std::array<double, 3>, 3>;

// Machado, Oliveira and Fernandes (2009), severity 1.0, on linear sRGB.
constexpr std::array<Matrix, 4> Simulations{{
    {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}},
    {{{0.367322, 0.860646, -0.227968}, {0.280085, 0.672501, 0.047413}, {-0.011820, 0.042940, 0.968881}}},
    {{{0.152286, 1.052583, -0.204868}, {0.114503, 0.786281, 0.099216}, {-0.003882, -0.048116, 1.051998}}},
    {{{1.255528, -0.076749, -0.178779}, {-0.078411, 0.930809, 0.147602}, {0.004733, 0.691367, 0.303900}}},
}};

// The basic colour GNU screen 4.09 sends for each palette entry to a terminal
// whose TERM has 8 colours, as recorded from it (docs/performance.md); the
// bright entries also get 90-97, which only 16-colour terminals show.
constexpr std::string_view ScreenFallback = "0123456701234567044444264444226444222644222264222226154444304444"
                                            "2264442226442222642222261154441154443304442226442222642222261115"
                                            "4411154411154433374422226422222611115411115411115411115433337422"
                                            "2226111115111115111115111115111115333337000000000000777777777777";

double linear(std::uint8_t component)
{
    const double c = component / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double labPart(double t)
{
    constexpr double Epsilon = 216.0 / 24389.0;
    constexpr double Kappa = 24389.0 / 27.0;
    return t > Epsilon ? std::cbrt(t) : (Kappa * t + 16) / 116;
}

double degrees(double radians) { return radians * 180 / std::numbers::pi; }
double radians(double degrees) { return degrees * std::numbers::pi / 180; }

}  // namespace

const char* visionName(Vision vision)
{
    constexpr std::array<const char*, 4> Names{"normal", "deuteranopia", "protanopia", "tritanopia"};
    return Names.at(static_cast<std::size_t>(vision));
}

Lab seenLab(Rgb colour, Vision vision)
{
    const std::array<double, 3> in{linear(colour.r), linear(colour.g), linear(colour.b)};
    const Matrix& m = Simulations.at(static_cast<std::size_t>(vision));
    std::array<double, 3> rgb{};
    for (std::size_t i = 0; i < 3; ++i) {
        rgb.at(i) = std::clamp(m.at(i)[0] * in[0] + m.at(i)[1] * in[1] + m.at(i)[2] * in[2], 0.0, 1.0);
    }
    const double x = 0.4124564 * rgb[0] + 0.3575761 * rgb[1] + 0.1804375 * rgb[2];
    const double y = 0.2126729 * rgb[0] + 0.7151522 * rgb[1] + 0.0721750 * rgb[2];
    const double z = 0.0193339 * rgb[0] + 0.1191920 * rgb[1] + 0.9503041 * rgb[2];
    const double fx = labPart(x / 0.95047);
    const double fy = labPart(y);
    const double fz = labPart(z / 1.08883);
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

// Sharma, Wu and Dalal (2005), "The CIEDE2000 colour-difference formula:
// implementation notes", with kL = kC = kH = 1.
double ciede2000(Lab x, Lab y)
{
    const auto pow7 = [](double v) { return std::pow(v, 7); };
    const double meanC = (std::hypot(x.a, x.b) + std::hypot(y.a, y.b)) / 2;
    const double g = 0.5 * (1 - std::sqrt(pow7(meanC) / (pow7(meanC) + pow7(25))));
    const double a1 = (1 + g) * x.a;
    const double a2 = (1 + g) * y.a;
    const double c1 = std::hypot(a1, x.b);
    const double c2 = std::hypot(a2, y.b);
    const auto hue = [](double b, double a) {
        return a == 0 && b == 0 ? 0 : std::fmod(degrees(std::atan2(b, a)) + 360, 360);
    };
    const double h1 = hue(x.b, a1);
    const double h2 = hue(y.b, a2);
    const bool grey = c1 * c2 == 0;
    double dh = grey ? 0 : h2 - h1;
    dh += dh > 180 ? -360 : dh < -180 ? 360 : 0;
    const double dH = 2 * std::sqrt(c1 * c2) * std::sin(radians(dh / 2));
    const double meanL = (x.l + y.l) / 2;
    const double meanCp = (c1 + c2) / 2;
    double meanH = h1 + h2;
    if (!grey) {
        meanH = std::abs(h1 - h2) <= 180 ? meanH / 2 : meanH < 360 ? (meanH + 360) / 2 : (meanH - 360) / 2;
    }
    const double t = 1 - 0.17 * std::cos(radians(meanH - 30)) + 0.24 * std::cos(radians(2 * meanH)) +
                     0.32 * std::cos(radians(3 * meanH + 6)) - 0.20 * std::cos(radians(4 * meanH - 63));
    const double rotation = 30 * std::exp(-std::pow((meanH - 275) / 25, 2));
    const double rc = 2 * std::sqrt(pow7(meanCp) / (pow7(meanCp) + pow7(25)));
    const double sl = 1 + 0.015 * std::pow(meanL - 50, 2) / std::sqrt(20 + std::pow(meanL - 50, 2));
    const double sc = 1 + 0.045 * meanCp;
    const double sh = 1 + 0.015 * meanCp * t;
    const double rt = -std::sin(radians(2 * rotation)) * rc;
    const double l = (y.l - x.l) / sl;
    const double c = (c2 - c1) / sc;
    const double h = dH / sh;
    return std::sqrt(l * l + c * c + h * h + rt * c * h);
}

double difference(Rgb x, Rgb y, Vision vision) { return ciede2000(seenLab(x, vision), seenLab(y, vision)); }

std::string throughScreen(std::string_view bytes)
{
    static const std::regex Selection("\x1b\\[([0-9;]*)m");
    static const std::regex PaletteColour("(^|;)([34])8;5;([0-9]+)");
    using Selections = std::regex_iterator<std::string_view::const_iterator>;
    std::string out;
    auto from = bytes.begin();
    for (Selections it(bytes.begin(), bytes.end(), Selection); it != Selections(); ++it) {
        out.append(from, (*it)[0].first);
        from = (*it)[0].second;
        std::string rest = (*it)[1].str();
        out += "\x1b[";
        for (std::smatch colour; std::regex_search(rest, colour, PaletteColour); rest = colour.suffix().str()) {
            out += colour.prefix().str();
            out += colour[1].str();
            out += colour[2].str();
            out += ScreenFallback.at(static_cast<std::size_t>(std::stoi(colour[3].str())));
        }
        out += rest;
        out += 'm';
    }
    out.append(from, bytes.end());
    return out;
}

BoardCells boardCells(colours::Palette palette, colours::Depth depth, bool viaScreen)
{
    encoder::Output output{depth, palette};
    std::string bytes;
    for (const platform::Cell cell : {platform::Cell::Wall, platform::Cell::Floor, platform::Cell::Goal}) {
        encoder::appendCell(output, cell, bytes);
    }
    // The goal's blank, as the board has it.
    encoder::appendText(output, L" ", bytes);
    encoder::appendCell(output, platform::Cell::Player, bytes);
    encoder::resetColours(output, bytes);
    Screen screen(12, 1);
    screen.feed(viaScreen ? throughScreen(bytes) : bytes);
    return {screen.cell(0, 0), screen.cell(2, 0), screen.cell(4, 0), screen.cell(7, 0)};
}

}  // namespace vision
