// Turns the bytes a terminal sends for key presses into the key codes a
// Windows console delivers (platform/key_codes.hpp): one code per ordinary
// key, two for an extended key. Every escape sequence is decoded here (named
// by key_names.hpp, or measured by replies.hpp where it is no key) and nowhere
// else, so that no sequence ever reaches the game as letters: what the
// terminal sends that is no key (its replies to other programs' questions,
// mouse reports in any form) is consumed whole and gives no code at all.
#pragma once

#include <deque>
#include <string>

namespace keys {

// Decodes every complete key at the front of `pending`, appends their codes to
// `codes` and removes their bytes. What is left is the start of a key whose
// remaining bytes have not arrived yet (an Esc that may begin a sequence, or
// part of a UTF-8 character), or what decides a reply still coming; it never
// holds more than 32 bytes.
void decodeKeys(std::string& pending, std::deque<int>& codes);

// No more bytes came in time: decodes what is left as it stands. A lone Esc is
// the Esc key; an unfinished sequence is an unknown key, but the start of a
// reply or of a mouse report, and a sequence too long for a key, is none.
void decodeRest(std::string& pending, std::deque<int>& codes);

}  // namespace keys
