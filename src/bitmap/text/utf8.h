#pragma once

#include <cstdint>

// Decodes one character of UTF-8 text and answers the bytes it takes (at least 1):
// two-byte sequences (lead 0xC2-0xDF) and three-byte ones (lead 0xE0-0xEF) give their
// 16-bit code, four-byte ones (lead 0xF0-0xF4) a space, and anything else - ASCII, a stray
// continuation byte, an invalid lead, a broken sequence - the one byte itself as its code.
// Reads continuation bytes only while they are valid, so a zero terminator ends a sequence.
int DecodeUtf8Char(const char* text, std::uint16_t* code);

// The same reading no further than `available` bytes (a sequence cut short there is broken).
int DecodeUtf8Char(const char* text, int available, std::uint16_t* code);
