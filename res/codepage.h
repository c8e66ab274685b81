// Code page 1250, the program's own text encoding, to and from Unicode: the
// window code converts at the Win32 boundary (UTF-16), the command line at
// the terminal (UTF-8). Files and the log stay in code page 1250.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The Unicode code point of one code page 1250 byte.
char32_t Cp1250ToUnicode(std::uint8_t byte);

// The code page 1250 byte for a code point, or 0 when the code page has none.
std::uint8_t Cp1250FromUnicode(char32_t code);

std::string Utf8FromCp1250(const char* text, std::size_t length);
std::string Utf8FromCp1250(const std::string& text);

// Characters that code page 1250 cannot hold become '?', as the system's
// own conversion does; bytes that are not valid UTF-8 are taken as they are.
std::string Cp1250FromUtf8(const std::string& text);
// The same, but a text with a character that code page 1250 cannot hold is
// refused (false, *out untouched): for paths and texts that must not change.
bool Cp1250FromUtf8Exact(const std::string& text, std::string* out);

// UTF-16, the Win32 W functions' encoding (std::u16string so that it builds
// and is tested natively too; on Windows its data is the wchar_t text).
std::u16string Utf16FromCp1250(const char* text, std::size_t length);
std::u16string Utf16FromCp1250(const char* text);
// Refuses (false, *out untouched) a text with a character that code page
// 1250 cannot hold: a path or a name is never silently turned into '?'.
bool Cp1250FromUtf16(const char16_t* text, std::size_t length, std::string* out);
