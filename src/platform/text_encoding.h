#pragma once

#include <string>
#include <string_view>

namespace morvel {

// The Unicode code point of one Windows-1252 byte. The five bytes that code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control characters of the same number.
char32_t Windows1252ToCodePoint(unsigned char byte);

// Single-byte Windows-1252 text converted to UTF-8, the program's own encoding. Every byte
// becomes exactly one character, so the conversion never fails.
std::string Windows1252ToUtf8(std::string_view bytes);

// Appends the UTF-8 form of a code point (at most U+10FFFF, no surrogates).
void AppendUtf8(std::string& text, char32_t codePoint);

// True when text is well-formed UTF-8: no stray or missing continuation bytes, no overlong
// forms, no surrogates and nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text);

// True when text is well-formed UTF-8 and every character lies in U+0000 to U+00FF, the range
// a single-byte text can hold.
bool IsSingleByteUtf8(std::string_view text);

// A value read from a UTF-8 language file: the text as it is when IsSingleByteUtf8 holds,
// otherwise the empty string.
std::string SingleByteUtf8OrEmpty(std::string_view text);

}  // namespace morvel
