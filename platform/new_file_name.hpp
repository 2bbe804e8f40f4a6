// The names the save gives its new files: the prefix and a few random letters
// or digits. Both systems make and recognise them alike, so that the clean-up
// at start removes what a save cut short left, and nothing else.
#pragma once

#include <cstddef>
#include <string_view>

namespace newfile {

inline constexpr std::size_t RandomLength = 6;
// What the random part is drawn from: what mkstemp draws from as well.
inline constexpr std::string_view RandomLetters = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// `name` is `prefix` and then RandomLength of RandomLetters.
inline bool isOwnName(std::string_view name, std::string_view prefix)
{
    return name.size() == prefix.size() + RandomLength && name.starts_with(prefix) &&
           name.substr(prefix.size()).find_first_not_of(RandomLetters) == std::string_view::npos;
}

}  // namespace newfile
