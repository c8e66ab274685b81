// What the INI scanner, the index and the builder share: the one reading of a
// line (so that all three see the same sections, keys and values), the line
// walk over CR LF pairs, name folding and the composing of a key line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "vars/ini.h"
#include "vars/texthelp.h"

namespace ini {

inline constexpr std::size_t kLineMax = kIniValueSize - 1;  // a line is cut to this
inline constexpr std::size_t kNameMax = kIniNameSize - 1;

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

struct Span {
  const char* p;
  std::size_t n;
};

enum class LineKind { Ignored, Header, Comment, Key };

struct Line {
  LineKind kind;
  Span name;   // the section of a header, the key of a key line
  Span value;  // of a key line
};

// Leading blanks dropped, at most max characters kept, trailing blanks of
// what is kept dropped (TrimCopyN's rule).
inline Span TrimCut(const char* begin, const char* end, std::size_t max) {
  while (begin < end && IsBlank(*begin)) ++begin;
  if (static_cast<std::size_t>(end - begin) > max) end = begin + max;
  while (end > begin && IsBlank(end[-1])) --end;
  return {begin, static_cast<std::size_t>(end - begin)};
}

// One line without its CR LF.
inline Line ParseLine(const char* begin, const char* end) {
  Line line{LineKind::Ignored, {nullptr, 0}, {nullptr, 0}};
  Span s = TrimCut(begin, end, kLineMax);
  if (s.n == 0) return line;
  const char* b = s.p;
  const char* e = s.p + s.n;
  if (*b == '[') {
    if (s.n >= 2 && e[-1] == ']') {
      line.name = TrimCut(b + 1, e - 1, kNameMax);
      if (line.name.n) line.kind = LineKind::Header;
    }
    return line;
  }
  if (*b == ';') {
    line.kind = LineKind::Comment;
    return line;
  }
  const char* eq = static_cast<const char*>(std::memchr(b, '=', s.n));
  if (!eq) return line;
  line.kind = LineKind::Key;
  line.name = TrimCut(b, eq, kNameMax);
  line.value = TrimCut(eq + 1, e, kLineMax);
  return line;
}

// The next complete line from pos: its end (the CR of the first CR LF pair)
// goes to *lineEnd. False when no CR LF pair is left, so an unterminated last
// line is never seen.
inline bool NextLine(const char* text, std::size_t length, std::size_t pos, std::size_t* lineEnd) {
  std::size_t search = pos;
  while (search < length) {
    const void* lf = std::memchr(text + search, '\n', length - search);
    if (!lf) return false;
    std::size_t at = static_cast<std::size_t>(static_cast<const char*>(lf) - text);
    if (at > pos && text[at - 1] == '\r') {
      *lineEnd = at - 1;
      return true;
    }
    search = at + 1;
  }
  return false;
}

inline bool NameEquals(const char* a, std::size_t an, const char* b, std::size_t bn) {
  if (an != bn) return false;
  for (std::size_t i = 0; i < an; ++i)
    if (UpperCaseChar(static_cast<unsigned char>(a[i])) != UpperCaseChar(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// Names are short: a plain loop beats a library call here.
inline bool HasLineBreak(const char* text, std::size_t n) {
  for (std::size_t i = 0; i + 1 < n; ++i)
    if (text[i] == '\r' && text[i + 1] == '\n') return true;
  return false;
}

// A key whose line "key = value" the scanner reads back as exactly this key:
// not a header or a comment, and no "=" of its own.
inline bool PlainKey(const char* key, std::size_t n) {
  if (n == 0 || key[0] == '[' || key[0] == ';') return false;
  for (std::size_t i = 0; i < n; ++i)
    if (key[i] == '=') return false;
  return true;
}

// Leading blanks skipped, at most max characters, trailing blanks of those
// dropped: the part of a caller's text that counts (TrimCopyN's rule).
inline Span TrimCutText(const char* text, std::size_t max) {
  if (!text) return {"", 0};
  while (IsBlank(*text)) ++text;
  return TrimCut(text, text + strnlen(text, max), max);
}

// A name as the scanner compares it: trimmed and cut to 127 characters.
inline int CopyName(char (&out)[kIniNameSize], const char* name) {
  Span s = TrimCutText(name, kNameMax);
  std::memcpy(out, s.p, s.n);
  out[s.n] = 0;
  return static_cast<int>(s.n);
}

// The line Ini_SetString writes for key (already trimmed) and value: "key =
// value", at most 2047 characters, or empty when the trimmed value is empty.
// The value counts only up to its first CR LF. out holds kIniValueSize bytes.
inline std::size_t ComposeLine(const char* key, std::size_t keyLength, const char* value, char* out) {
  out[0] = 0;
  if (!value) return 0;
  while (IsBlank(*value)) ++value;
  std::size_t n = strnlen(value, kLineMax);
  const char* end = value + n;
  for (const char* cr = value;
       (cr = static_cast<const char*>(std::memchr(cr, '\r', static_cast<std::size_t>(end - cr)))); ++cr) {
    if (cr[1] == '\n') {  // cr[1] is there: the text goes on or ends after it
      n = static_cast<std::size_t>(cr - value);
      break;
    }
  }
  Span trimmed = TrimCut(value, value + n, kLineMax);
  if (trimmed.n == 0) return 0;
  std::size_t pos = 0;
  auto put = [&](const char* s, std::size_t count) {
    if (count > kLineMax - pos) count = kLineMax - pos;
    std::memcpy(out + pos, s, count);
    pos += count;
  };
  put(key, keyLength);
  put(" = ", 3);
  put(trimmed.p, trimmed.n);
  out[pos] = 0;
  return pos;
}

// The getters' reading of a value, shared by the scanning and the indexed
// forms. found: the key line exists (its value may be empty).
std::ptrdiff_t CopyValue(bool found, const char* value, std::size_t valueLength, char* buffer,
                         std::size_t size, const char* defaultText);
int IntFromValue(bool found, const char* value, std::size_t valueLength, int minimum, int maximum,
                 int defaultValue);
std::uint32_t IPv4FromValue(bool found, const char* value, std::size_t valueLength,
                            std::uint32_t defaultValue);

}  // namespace ini
