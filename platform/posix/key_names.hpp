// Which key a terminal's escape sequence names: the two codes a Windows
// console gives for the same key (platform/key_codes.hpp), an unknown key, or
// none at all.
#pragma once

#include <optional>
#include <string_view>

#include "platform/key_codes.hpp"

namespace keys {

struct Code {
    int prefix;
    int code;
};
// A key the game has no code for.
inline constexpr Code Unknown{KeyPrefixFunction, KeyUnknown};
// Nothing: a sequence that is no key at all, but a reply or a report.
using Key = std::optional<Code>;

// A control sequence ESC [ params final; final is 0 where the sequence was
// broken off or cut short.
Key controlSequenceKey(std::string_view params, char final);
// ESC O, perhaps a modifier, and a letter (final 0 as above).
Key letterSequenceKey(std::string_view params, char final);
// The Linux console sends F1 to F5 as ESC [ [ A to E.
Code linuxFunctionKey(char final);

}  // namespace keys
