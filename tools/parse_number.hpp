// The tools' reading of a number from their command line.
#pragma once

#include <charconv>
#include <cstring>
#include <system_error>

// A whole decimal number, or false.
template <typename Number>
bool parseNumber(const char* text, Number& number)
{
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, number);
    return error == std::errc{} && stop == end;
}
