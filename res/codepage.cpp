// Code page 1250 conversions. The five bytes the code page leaves undefined
// map to the C1 control of the same value, as Windows maps them.
#include "res/codepage.h"

#include <cstring>

namespace {

constexpr char16_t kHigh[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

void PutUtf8(std::string* out, char32_t c) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace

char32_t Cp1250ToUnicode(std::uint8_t byte) { return byte < 0x80 ? byte : kHigh[byte - 0x80]; }

std::uint8_t Cp1250FromUnicode(char32_t code) {
  if (code < 0x80) return static_cast<std::uint8_t>(code);
  for (int i = 0; i < 128; ++i)
    if (kHigh[i] == code) return static_cast<std::uint8_t>(0x80 + i);
  return 0;
}

std::string Utf8FromCp1250(const char* text, std::size_t length) {
  std::string out;
  out.reserve(length + length / 4);
  for (std::size_t i = 0; i < length; ++i) PutUtf8(&out, Cp1250ToUnicode(static_cast<std::uint8_t>(text[i])));
  return out;
}

std::string Utf8FromCp1250(const std::string& text) { return Utf8FromCp1250(text.data(), text.size()); }

namespace {

// One UTF-8 sequence at text[i]: its code point and length, or false for
// bytes that are not valid UTF-8.
bool DecodeUtf8(const std::string& text, std::size_t i, char32_t* code, std::size_t* length) {
  const auto lead = static_cast<std::uint8_t>(text[i]);
  const int extra = lead >= 0xF0 && lead < 0xF8 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  if (lead >= 0x80 && extra == 0) return false;
  char32_t c = extra == 3 ? lead & 0x07 : extra == 2 ? lead & 0x0F : extra == 1 ? lead & 0x1F : lead;
  for (int k = 1; k <= extra; ++k) {
    if (i + static_cast<std::size_t>(k) >= text.size()) return false;
    const auto next = static_cast<std::uint8_t>(text[i + static_cast<std::size_t>(k)]);
    if ((next & 0xC0) != 0x80) return false;
    c = (c << 6) | (next & 0x3F);
  }
  *code = c;
  *length = static_cast<std::size_t>(extra) + 1;
  return true;
}

// exact: a character without a code page 1250 byte fails the conversion
// instead of becoming '?'.
bool FromUtf8(const std::string& text, bool exact, std::string* out) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    char32_t code = 0;
    std::size_t length = 0;
    if (!DecodeUtf8(text, i, &code, &length)) {
      result.push_back(text[i]);
      ++i;
      continue;
    }
    const std::uint8_t byte = Cp1250FromUnicode(code);
    if (!byte && code != 0) {
      if (exact) return false;
      result.push_back('?');
    } else {
      result.push_back(static_cast<char>(byte));
    }
    i += length;
  }
  *out = std::move(result);
  return true;
}

}  // namespace

std::string Cp1250FromUtf8(const std::string& text) {
  std::string out;
  FromUtf8(text, false, &out);
  return out;
}

bool Cp1250FromUtf8Exact(const std::string& text, std::string* out) { return FromUtf8(text, true, out); }

std::u16string Utf16FromCp1250(const char* text, std::size_t length) {
  std::u16string out;
  out.reserve(length);
  for (std::size_t i = 0; i < length; ++i)
    out.push_back(static_cast<char16_t>(Cp1250ToUnicode(static_cast<std::uint8_t>(text[i]))));
  return out;
}

std::u16string Utf16FromCp1250(const char* text) {
  return text ? Utf16FromCp1250(text, std::strlen(text)) : std::u16string();
}

bool Cp1250FromUtf16(const char16_t* text, std::size_t length, std::string* out) {
  std::string result;
  result.reserve(length);
  for (std::size_t i = 0; i < length; ++i) {
    const char16_t unit = text[i];
    // Every character of code page 1250 lies in the basic plane: a surrogate
    // (half of anything beyond) has no byte.
    const std::uint8_t byte = unit >= 0xD800 && unit < 0xE000 ? 0 : Cp1250FromUnicode(unit);
    if (!byte && unit != 0) return false;
    result.push_back(static_cast<char>(byte));
  }
  *out = std::move(result);
  return true;
}
