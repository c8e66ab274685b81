// The small text helpers that the readers, the INI scanner, the definition
// parser and the dialogs share: trimming (blanks and tabs only), case folding
// of code page 1250 letters, comparison, searching and joining.
#include <cstring>

#include "vars/texthelp.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int Sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

unsigned char Fold(char c, bool ignoreCase) {
  auto u = static_cast<unsigned char>(c);
  return ignoreCase ? UpperCaseChar(u) : u;
}

}  // namespace

int TrimCopyN(char* destination, const char* source, std::size_t size, unsigned trimFlags) {
  if (!destination || size == 0) return 0;
  if (!source) source = "";
  if (trimFlags & kTrimLeading)
    while (IsBlank(*source)) ++source;
  std::size_t n = 0;
  while (n + 1 < size && source[n]) {
    destination[n] = source[n];
    ++n;
  }
  if (trimFlags & kTrimTrailing)
    while (n > 0 && IsBlank(destination[n - 1])) --n;
  destination[n] = 0;
  return static_cast<int>(n);
}

int TrimCopy(char* destination, const char* source, unsigned trimFlags) {
  return TrimCopyN(destination, source, static_cast<std::size_t>(-1), trimFlags);
}

int TrimInPlace(char* text, unsigned trimFlags) {
  if (!text) return 0;
  std::size_t start = 0, n = std::strlen(text);
  if (trimFlags & kTrimLeading)
    while (start < n && IsBlank(text[start])) ++start;
  if (trimFlags & kTrimTrailing)
    while (n > start && IsBlank(text[n - 1])) --n;
  std::memmove(text, text + start, n - start);
  text[n - start] = 0;
  return static_cast<int>(n - start);
}

int UpperCaseText(char* text) {
  if (!text) return 0;
  int n = 0;
  for (; text[n]; ++n) text[n] = static_cast<char>(UpperCaseChar(static_cast<unsigned char>(text[n])));
  return n;
}

int CompareNoCase(const char* a, const char* b) {
  if (!a || !b) return a ? 1 : b ? -1 : 0;
  for (;; ++a, ++b) {
    int d = Fold(*a, true) - Fold(*b, true);
    if (d || !*a) return Sign(d);
  }
}

int CompareBytes(const void* a, const void* b, std::size_t count) {
  if (!a || !b) return a ? 1 : b ? -1 : 0;
  return count ? Sign(std::memcmp(a, b, count)) : 0;
}

int FindText(const char* text, const char* pattern, int start, int ignoreCase) {
  if (!text || !pattern) return -1;
  if (start < 0) start = 0;
  std::size_t length = std::strlen(text), plen = std::strlen(pattern);
  if (static_cast<std::size_t>(start) > length || plen > length - start) return -1;
  for (std::size_t i = static_cast<std::size_t>(start); i + plen <= length; ++i) {
    std::size_t k = 0;
    while (k < plen && Fold(text[i + k], ignoreCase) == Fold(pattern[k], ignoreCase)) ++k;
    if (k == plen) return static_cast<int>(i);
  }
  return -1;
}

int FindChar(const char* text, int character, int start, int maxLength, int ignoreCase) {
  if (!text || start < 0) return -1;
  const unsigned char wanted = Fold(static_cast<char>(character), ignoreCase);
  for (int i = 0; (maxLength < 0 || i < maxLength) && text[i]; ++i) {
    if (i >= start && Fold(text[i], ignoreCase) == wanted) return i;
  }
  return -1;
}

int ConcatText(char* destination, const char* first, const char* second) {
  if (!destination) return 0;
  std::size_t a = first ? std::strlen(first) : 0, b = second ? std::strlen(second) : 0;
  // The destination may be the first text itself.
  if (first && first != destination) std::memmove(destination, first, a);
  if (second) std::memmove(destination + a, second, b);
  destination[a + b] = 0;
  return static_cast<int>(a + b);
}
