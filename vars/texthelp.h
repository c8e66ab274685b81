// Small text helpers for code page 1250 byte strings: trimming, case folding,
// comparing, finding and joining. No locks and no allocation; texts stay in
// the caller's buffers.
#pragma once

#include <cstddef>

// Trim flags.
inline constexpr unsigned kTrimLeading = 1;
inline constexpr unsigned kTrimTrailing = 2;
inline constexpr unsigned kTrimBoth = 3;

// Only blanks and tabs are white space. A null source copies as empty.
int TrimCopy(char* destination, const char* source, unsigned trimFlags);
int TrimCopyN(char* destination, const char* source, std::size_t size, unsigned trimFlags);
int TrimInPlace(char* text, unsigned trimFlags);

// Case folding: a-z and the accented small letters 0xE0-0xFE lose 0x20.
inline unsigned char UpperCaseChar(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE) ? static_cast<unsigned char>(c - 0x20) : c;
}
int UpperCaseText(char* text);
int CompareNoCase(const char* a, const char* b);
int CompareBytes(const void* a, const void* b, std::size_t count);

// Positions, or −1 when not found. FindChar looks at most maxLength characters
// of the text (a negative maxLength: up to its end).
int FindText(const char* text, const char* pattern, int start, int ignoreCase);
int FindChar(const char* text, int character, int start, int maxLength, int ignoreCase);

// first then second into destination, zero-terminated; returns the length.
int ConcatText(char* destination, const char* first, const char* second);
