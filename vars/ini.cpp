// The INI-style text layer: finding a section and key by scanning the text,
// the getters (text, clamped integer, IPv4 address) and the setter that
// splices the text in place, so that comments, blank lines and keys the
// program does not know survive an edit of a variable table file.
#include <cstddef>
#include <cstring>

#include "runtime/runtime.h"
#include "vars/format.h"
#include "vars/ini.h"
#include "vars/ini_internal.h"
#include "vars/readers.h"
#include "vars/texthelp.h"

namespace ini {

std::ptrdiff_t CopyValue(bool found, const char* value, std::size_t valueLength, char* buffer,
                         std::size_t size, const char* defaultText) {
  if (!buffer || size == 0) return 0;
  if (!found) {
    value = defaultText ? defaultText : "";
    valueLength = std::strlen(value);
  }
  std::size_t n = valueLength < size - 1 ? valueLength : size - 1;
  std::memcpy(buffer, value, n);
  buffer[n] = 0;
  return static_cast<std::ptrdiff_t>(n);
}

int IntFromValue(bool found, const char* value, std::size_t valueLength, int minimum, int maximum,
                 int defaultValue) {
  char text[64];
  std::ptrdiff_t n = CopyValue(found, value, valueLength, text, sizeof text, nullptr);
  if (n == 0) return defaultValue;
  int consumed = 0;
  std::int64_t v = ParseInteger(text, 0, 0, &consumed);
  if (consumed != n) return defaultValue;
  if (v == defaultValue) return defaultValue;
  if (v < minimum) return minimum;
  if (v > maximum) return maximum;
  return static_cast<int>(v);
}

std::uint32_t IPv4FromValue(bool found, const char* value, std::size_t valueLength,
                            std::uint32_t defaultValue) {
  char text[64];
  CopyValue(found, value, valueLength, text, sizeof text, nullptr);
  TrimInPlace(text, kTrimBoth);
  std::uint32_t address = 0;
  const char* p = text;
  for (int part = 0; part < 4; ++part) {
    int consumed = 0;
    std::int64_t v = ParseInteger(p, kReadUnsigned, 0, &consumed);
    if (consumed <= 0 || v > 255) return defaultValue;
    address |= static_cast<std::uint32_t>(v) << (8 * part);
    p += consumed;
    if (part < 3) {
      if (*p != '.') return defaultValue;
      ++p;
    }
  }
  return *p ? defaultValue : address;
}

}  // namespace ini

using namespace ini;

void Ini_Find(const char* text, const char* section, const char* key, IniPosition* out) {
  if (!out) return;
  std::memset(out, 0, offsetof(IniPosition, value));
  out->value[0] = 0;
  out->sectionHeader = out->sectionBody = out->sectionEnd = kIniNone;
  out->keyLineStart = out->keyLineEnd = kIniNone;
  out->commentStart = out->commentEnd = kIniNone;
  out->insertionPoint = kIniNone;
  out->sectionNameLength = CopyName(out->sectionName, section);
  out->keyNameLength = CopyName(out->keyName, key);
  if (!text) text = "";
  const std::size_t length = std::strlen(text);
  const auto wantedSection = static_cast<std::size_t>(out->sectionNameLength);
  const auto wantedKey = static_cast<std::size_t>(out->keyNameLength);

  bool inside = false;
  std::ptrdiff_t blockStart = kIniNone, blockEnd = kIniNone;  // the current comment block
  std::size_t pos = 0, lineEnd = 0;
  while (NextLine(text, length, pos, &lineEnd)) {
    const auto start = static_cast<std::ptrdiff_t>(pos);
    const auto next = static_cast<std::ptrdiff_t>(lineEnd + 2);
    Line line = ParseLine(text + pos, text + lineEnd);
    pos = lineEnd + 2;
    switch (line.kind) {
      case LineKind::Ignored:
        break;
      case LineKind::Header:
        if (NameEquals(line.name.p, line.name.n, out->sectionName, wantedSection)) {
          inside = true;
          out->sectionHeader = start;
          out->sectionBody = next;
          out->sectionEnd = kIniNone;  // a later occurrence runs on until its own end
        } else if (inside) {
          out->sectionEnd = start;
          inside = false;
        }
        break;
      case LineKind::Comment:
        if (!inside) break;
        if (blockEnd == start) {
          blockEnd = next;
        } else {
          blockStart = start;
          blockEnd = next;
        }
        break;
      case LineKind::Key:
        if (!inside || !NameEquals(line.name.p, line.name.n, out->keyName, wantedKey)) break;
        out->keyLineStart = start;
        out->keyLineEnd = next;
        // A winning duplicate without a comment of its own must not inherit
        // the comment of an earlier one: removing the key would take
        // everything in between with it.
        if (blockEnd == start) {
          out->commentStart = blockStart;
          out->commentEnd = blockEnd;
        } else {
          out->commentStart = out->commentEnd = kIniNone;
        }
        std::memcpy(out->value, line.value.p, line.value.n);
        out->value[line.value.n] = 0;
        out->valueLength = static_cast<int>(line.value.n);
        break;
    }
  }
  out->textEnd = out->textLength = static_cast<std::ptrdiff_t>(length);
  if (out->sectionEnd == kIniNone) out->sectionEnd = out->textEnd;
}

std::ptrdiff_t Ini_GetString(const char* text, const char* section, const char* key, char* buffer,
                             std::size_t size, const char* defaultText) {
  IniPosition pos;
  Ini_Find(text, section, key, &pos);
  return CopyValue(pos.keyLineStart != kIniNone, pos.value, static_cast<std::size_t>(pos.valueLength),
                   buffer, size, defaultText);
}

int Ini_GetInt(const char* text, const char* section, const char* key, int minimum, int maximum,
               int defaultValue) {
  IniPosition pos;
  Ini_Find(text, section, key, &pos);
  return IntFromValue(pos.keyLineStart != kIniNone, pos.value, static_cast<std::size_t>(pos.valueLength),
                      minimum, maximum, defaultValue);
}

std::uint32_t Ini_GetIPv4(const char* text, const char* section, const char* key,
                          std::uint32_t defaultValue) {
  IniPosition pos;
  Ini_Find(text, section, key, &pos);
  return IPv4FromValue(pos.keyLineStart != kIniNone, pos.value,
                       static_cast<std::size_t>(pos.valueLength), defaultValue);
}

std::ptrdiff_t Ini_SetString(char** textPointer, const char* section, const char* key, const char* value) {
  if (!textPointer) return 0;
  char* text = *textPointer;
  IniPosition pos;
  Ini_Find(text, section, key, &pos);
  const std::ptrdiff_t length = pos.textLength;
  if (pos.sectionNameLength == 0) return length;
  if (HasLineBreak(pos.sectionName, static_cast<std::size_t>(pos.sectionNameLength)) ||
      HasLineBreak(pos.keyName, static_cast<std::size_t>(pos.keyNameLength)))
    return length;

  std::size_t lineLength = 0;
  std::ptrdiff_t removeAt, removeLength;
  if (pos.keyNameLength == 0) {
    if (pos.sectionHeader == kIniNone) return length;
    pos.value[0] = 0;
    removeAt = pos.sectionHeader;
    removeLength = pos.sectionEnd - pos.sectionHeader;
  } else {
    lineLength = ComposeLine(pos.keyName, static_cast<std::size_t>(pos.keyNameLength), value, pos.value);
    pos.valueLength = static_cast<int>(lineLength);
    if (pos.keyLineStart == kIniNone) {
      removeAt = pos.sectionEnd;
      removeLength = 0;
    } else if (lineLength == 0 && pos.commentStart != kIniNone) {
      removeAt = pos.commentStart;
      removeLength = pos.keyLineEnd - pos.commentStart;
    } else {
      removeAt = pos.keyLineStart;
      removeLength = pos.keyLineEnd - pos.keyLineStart;
    }
  }
  const bool newSection = pos.sectionHeader == kIniNone;
  std::ptrdiff_t insertLength = 0;
  if (lineLength > 0) {
    insertLength = static_cast<std::ptrdiff_t>(lineLength) + 2;
    if (newSection) insertLength += pos.sectionNameLength + 4;
  }
  pos.insertionPoint = removeAt;
  pos.removedLength = removeLength;
  if (insertLength == 0 && removeLength == 0) return length;

  const std::ptrdiff_t newLength = length - removeLength + insertLength;
  if (Rt_BlockSize(text) < static_cast<std::size_t>(newLength) + 1) {
    const bool wasNull = text == nullptr;
    char* grown = static_cast<char*>(Rt_Realloc(text, 0, static_cast<std::size_t>(newLength) + 1 + 1024));
    if (!grown) return length;
    text = grown;
    if (wasNull) text[0] = 0;
    *textPointer = text;
  }
  std::memmove(text + removeAt + insertLength, text + removeAt + removeLength,
               static_cast<std::size_t>(length - removeAt - removeLength) + 1);
  char* at = text + removeAt;
  if (lineLength > 0) {
    if (newSection) {
      *at++ = '[';
      std::memcpy(at, pos.sectionName, static_cast<std::size_t>(pos.sectionNameLength));
      at += pos.sectionNameLength;
      std::memcpy(at, "]\r\n", 3);
      at += 3;
    }
    std::memcpy(at, pos.value, lineLength);
    at += lineLength;
    at[0] = '\r';
    at[1] = '\n';
  }
  return newLength;
}

std::ptrdiff_t Ini_SetInt(char** text, const char* section, const char* key, int value) {
  char number[16];
  FormatTextN(number, sizeof number, "%d", value);
  return Ini_SetString(text, section, key, number);
}
