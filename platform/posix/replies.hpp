// What a terminal sends that is no key: its mouse reports, where another
// program left mouse tracking on, and the strings it answers other programs'
// questions with. Each is measured here so that the key decoder drops it whole.
// Every function takes the bytes from the sequence's Esc on, and returns how
// many bytes the sequence takes, or 0 when it is not complete yet.
#pragma once

#include <cstddef>
#include <string_view>

namespace keys {

inline constexpr std::string_view MouseReportStart = "\x1b[M";

// ESC [ M and three places, each a byte or a UTF-8 character.
std::size_t mouseReportLength(std::string_view pending);
// Whether ESC and this byte start a string: DCS (ESC P), OSC (ESC ]), SOS
// (ESC X), PM (ESC ^) or APC (ESC _).
bool startsString(char kind);
// A string up to its end.
std::size_t stringLength(std::string_view pending);
// SS2 (ESC N) and the one character it shifts.
std::size_t singleShiftLength(std::string_view pending);

}  // namespace keys
