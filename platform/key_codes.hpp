// The key codes readKey hands over: a Windows console's own, so that Windows
// passes its codes on as they come and a terminal's keys are given the same.
// An ordinary key is one code; an extended key is two, a prefix and then the
// key's own code, and the game reads each of the two as a key of its own.
#pragma once

inline constexpr int KeyBackspace = 8;
inline constexpr int KeyEnter = 13;
inline constexpr int KeyEsc = 27;

// The prefixes: the function keys F1 to F10 come after 0, the others after 224.
inline constexpr int KeyPrefixFunction = 0;
inline constexpr int KeyPrefixExtended = 224;

// The second codes of the extended keys. Those of the arrows are also the
// codes of the letters H, P, K and M.
inline constexpr int KeyUp = 72;
inline constexpr int KeyDown = 80;
inline constexpr int KeyLeft = 75;
inline constexpr int KeyRight = 77;
inline constexpr int KeyHome = 71;
inline constexpr int KeyEnd = 79;
inline constexpr int KeyPageUp = 73;
inline constexpr int KeyPageDown = 81;
inline constexpr int KeyInsert = 82;
inline constexpr int KeyDelete = 83;
// F1 to F10 follow one another from F1's code.
inline constexpr int KeyF1 = 59;
inline constexpr int KeyF10 = 68;
inline constexpr int KeyF11 = 133;
inline constexpr int KeyF12 = 134;

// A key the terminal names in a way no console code stands for: the prefix 0
// and then 0, two codes like any other extended key.
inline constexpr int KeyUnknown = 0;
