#pragma once

// Strict UTF-8 to UTF-16 of `length` bytes: no overlong forms, surrogates or code points
// past U+10FFFF. Writes at most `capacity` units; the unit count, or -1 when the text is
// invalid or does not fit. A zero byte counts as a character like any other. Used for
// file names and for text handed to a platform that draws UTF-16.
int Utf8ToUtf16Units(const char* text, int length, char16_t* out, int capacity);
