// For tools/board_pictures.sh: lays the boards of the given levels with the
// game's own generator and writes them side by side, one pixel a cell, into
// one PNG: wall black, floor white, the player and the goal red.
// Usage: board_pictures OUTPUT.png SEED LEVEL...
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "board/board.hpp"
#include "maze/maze.hpp"
#include "platform/platform.hpp"
#include "tools/parse_number.hpp"

// The generator asks the calendar for a seed only when it chooses one itself;
// here the seed comes from the command line.
std::int64_t platform::calendarSeconds() { return 0; }

namespace {

// Pixels between two boards.
constexpr std::size_t Gap = 8;
// Palette entries: the gap, wall, floor, player and goal.
constexpr std::uint8_t Palette[] = {128, 128, 128, 0, 0, 0, 255, 255, 255, 230, 0, 0};

void putNumber(std::string& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xff);
    }
}

void putChunk(std::string& out, const char* type, const std::string& data)
{
    putNumber(out, static_cast<std::uint32_t>(data.size()));
    const std::string typed = type + data;
    out += typed;
    putNumber(out, static_cast<std::uint32_t>(
                       crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()))));
}

// An 8-bit palette PNG of `rows`, each a filter byte and one palette index a pixel.
std::string png(std::size_t width, std::size_t height, const std::string& rows)
{
    std::string header;
    putNumber(header, static_cast<std::uint32_t>(width));
    putNumber(header, static_cast<std::uint32_t>(height));
    header += std::string{8, 3, 0, 0, 0};
    std::string packed(compressBound(static_cast<uLong>(rows.size())), '\0');
    uLongf packedSize = static_cast<uLongf>(packed.size());
    compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(rows.data()),
              static_cast<uLong>(rows.size()), 9);
    packed.resize(packedSize);
    std::string out = "\x89PNG\r\n\x1a\n";
    putChunk(out, "IHDR", header);
    putChunk(out, "PLTE", std::string(reinterpret_cast<const char*>(Palette), sizeof Palette));
    putChunk(out, "IDAT", packed);
    putChunk(out, "IEND", "");
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    std::uint32_t seed = 0;
    std::vector<std::int32_t> levels(argc > 3 ? static_cast<std::size_t>(argc - 3) : 0);
    bool good = argc > 3 && parseNumber(argv[2], seed);
    for (std::size_t i = 0; good && i < levels.size(); ++i) {
        good = parseNumber(argv[i + 3], levels[i]) && levels[i] >= 0 && levels[i] <= 5000;
    }
    if (!good) {
        std::fprintf(stderr, "usage: board_pictures OUTPUT.png SEED LEVEL... (LEVEL from 0 to 5000)\n");
        return 2;
    }
    std::size_t width = 0;
    std::size_t height = 0;
    for (const std::int32_t level : levels) {
        width += static_cast<std::size_t>(sideLengthFor(level)) + (width > 0 ? Gap : 0);
        height = std::max(height, static_cast<std::size_t>(sideLengthFor(level)));
    }
    std::vector<std::string> picture(height, std::string(width, '\0'));
    std::size_t left = 0;
    for (const std::int32_t level : levels) {
        generateMazeFromSeed(level, seed, mazeDrawBudget(level));
        const auto side = static_cast<std::size_t>(sideLengthFor(level));
        for (std::size_t cell = 0; cell < board.size(); ++cell) {
            const std::int32_t code = board[cell];
            picture[cell / side][left + cell % side] = static_cast<char>(code == TileWall    ? 1
                                                                         : code == TileFloor ? 2
                                                                                             : 3);
        }
        left += side + Gap;
    }
    std::string rows;
    for (const std::string& row : picture) {
        rows += '\0' + row;
    }
    const std::string out = png(width, height, rows);
    std::FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr || std::fwrite(out.data(), 1, out.size(), file) != out.size() || std::fclose(file) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
