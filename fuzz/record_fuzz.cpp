// Any file at all may lie under the record's name. The check must get through
// each one without a crash or a hang, let through exactly the records the game
// itself writes, and every record it lets through must load as a playable
// board that the writer turns back into the very same bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "board/board.hpp"
#include "save/record.hpp"

namespace {

void require(bool holds)
{
    if (!holds) {
        __builtin_trap();
    }
}

// What a save at level 1 or above leaves behind, worked out here on its own:
// s x s digits (3 <= s <= the widest board kept), "8" first, "0" last, "7" or
// "9" between.
bool writtenByTheGame(std::string_view line)
{
    std::size_t side = 0;
    while (side * side < line.size()) {
        ++side;
    }
    if (side < 3 || side * side != line.size() || side > static_cast<std::size_t>(MaxRecordSide)) {
        return false;
    }
    if (line.front() != '8' || line.back() != '0') {
        return false;
    }
    return line.substr(1, line.size() - 2).find_first_not_of("79") == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string file(reinterpret_cast<const char*>(data), size);
    // The reader stops at the first line feed; nothing after it counts, nor
    // a carriage return right before it (a line end from Windows).
    const std::size_t lineFeed = file.find('\n');
    std::string_view line = std::string_view(file).substr(0, lineFeed);
    if (lineFeed != std::string::npos && !line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }

    board.clear();
    const bool usable = saveRecordUsable(file);
    require(usable == writtenByTheGame(line));

    if (!usable) {
        // Even a record the check turns away must not take the reader out of
        // bounds: one cell per byte of the line, each a small remainder.
        readSaveRecord(file);
        require(board.size() == line.size());
        for (const std::int32_t cell : board) {
            require(cell >= -9 && cell <= 9);
        }
        board.clear();
        return 0;
    }

    const std::int32_t level = readSaveRecord(file);
    require(level >= 1 && level <= MaxRecordSide - 2);
    const auto side = static_cast<std::size_t>(sideLengthFor(level));
    require(board.size() == side * side);
    require(board.front() == TilePlayer && board.back() == TileGoal);
    for (std::size_t i = 1; i + 1 < board.size(); ++i) {
        require(board[i] == TileFloor || board[i] == TileWall);
    }
    require(recordText(board) == line);
    board.clear();
    return 0;
}
