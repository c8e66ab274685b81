// Fuzzes the INI layer with arbitrary text: the scanner's positions must stay
// inside the text and in order, the getters inside their buffers, the index
// must answer as the scanner does, Ini_SetString must keep its length right,
// and the builder must write the same bytes as Ini_SetString.
//
// Input: three bytes of lengths (section, key, value), those names and the
// value, then the text. The text split at 0xFF into operations of section,
// key and value split at 0xFE drives the builder comparison.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/runtime.h"
#include "vars/vars.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

void CheckPosition(const IniPosition& p, std::ptrdiff_t length) {
  Check(p.textEnd == length && p.textLength == length);
  Check(p.sectionEnd >= 0 && p.sectionEnd <= length);
  if (p.sectionHeader != kIniNone) {
    Check(p.sectionHeader < p.sectionBody && p.sectionBody <= p.sectionEnd);
  }
  if (p.keyLineStart != kIniNone) {
    Check(p.sectionHeader != kIniNone && p.keyLineStart > 0);
    Check(p.keyLineStart < p.keyLineEnd && p.keyLineEnd <= length);
    if (p.commentStart != kIniNone) Check(p.commentStart < p.commentEnd && p.commentEnd == p.keyLineStart);
  }
  Check(p.valueLength >= 0 && p.valueLength < static_cast<int>(kIniValueSize));
  Check(std::strlen(p.value) == static_cast<std::size_t>(p.valueLength));
  Check(std::strlen(p.sectionName) == static_cast<std::size_t>(p.sectionNameLength));
  Check(std::strlen(p.keyName) == static_cast<std::size_t>(p.keyNameLength));
}

void Compare(const char* text, IniIndex& index, const char* section, const char* key,
             std::size_t size) {
  IniPosition p;
  Ini_Find(text, section, key, &p);
  CheckPosition(p, static_cast<std::ptrdiff_t>(std::strlen(text)));

  // Buffers of their exact size, so that ASan sees a write past the end.
  std::vector<char> a(size ? size : 1, '?'), b(size ? size : 1, '?');
  std::ptrdiff_t na = Ini_GetString(text, section, key, a.data(), size, "default");
  std::ptrdiff_t nb = Ini_IndexGetString(&index, section, key, b.data(), size, "default");
  Check(na == nb && (size == 0 ? na == 0 : (na < static_cast<std::ptrdiff_t>(size) && a[na] == 0)));
  Check(std::memcmp(a.data(), b.data(), a.size()) == 0);
  Check(Ini_GetInt(text, section, key, -100, 100, 7) == Ini_IndexGetInt(&index, section, key, -100, 100, 7));
  Check(Ini_GetIPv4(text, section, key, 1) == Ini_IndexGetIPv4(&index, section, key, 1));
}

// A name from the text: the first header's, or the text before the first "=".
std::string Between(const std::string& text, char open, char close) {
  std::size_t a = open ? text.find(open) : 0;
  if (a == std::string::npos) return "";
  if (open) ++a;
  std::size_t b = text.find(close, a);
  return b == std::string::npos ? "" : text.substr(a, b - a);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = Rt_Init() == 0;
  if (!ready) __builtin_trap();
  if (size < 3) return 0;
  std::size_t lengths[3] = {data[0] % 40u, data[1] % 40u, data[2] % 64u};
  std::size_t at = 3;
  std::string parts[3];
  for (int i = 0; i < 3; ++i) {
    std::size_t n = lengths[i] < size - at ? lengths[i] : size - at;
    parts[i].assign(reinterpret_cast<const char*>(data + at), n);
    parts[i] = parts[i].c_str();  // the names are C texts
    at += n;
  }
  const std::string raw(reinterpret_cast<const char*>(data + at), size - at);

  // The text in a heap block of its own size.
  char* text = static_cast<char*>(Rt_Alloc(kRtZero, raw.size() + 1));
  std::memcpy(text, raw.data(), raw.size());
  const std::string asText = text;

  IniIndex index;
  Ini_IndexBuild(&index, text);
  const std::string fromText[2] = {Between(asText, '[', ']'), Between(asText, 0, '=')};
  const std::string sections[] = {parts[0], fromText[0]};
  const std::string keys[] = {parts[1], fromText[1]};
  for (const std::string& s : sections)
    for (const std::string& k : keys) Compare(text, index, s.c_str(), k.c_str(), data[2] % 17u);
  Ini_IndexFree(&index);

  // Setting: the length must match the text, and the block must hold it.
  for (const std::string& s : sections) {
    std::ptrdiff_t n = Ini_SetString(&text, s.c_str(), keys[1].c_str(), parts[2].c_str());
    Check(static_cast<std::size_t>(n) == std::strlen(text) && Rt_BlockSize(text) > static_cast<std::size_t>(n));
    n = Ini_SetString(&text, s.c_str(), parts[1].c_str(), parts[2].c_str());
    Check(static_cast<std::size_t>(n) == std::strlen(text) && Rt_BlockSize(text) > static_cast<std::size_t>(n));
  }
  Rt_Free(text);

  // The builder against Ini_SetString, operation by operation.
  IniBuilder builder;
  Ini_BuildBegin(&builder);
  char* slow = nullptr;
  std::size_t start = 0;
  for (int op = 0; op < 64 && start <= asText.size(); ++op) {
    std::size_t end = asText.find('\xFF', start);
    if (end == std::string::npos) end = asText.size();
    std::string fields[3];
    std::size_t f = start;
    for (int i = 0; i < 3; ++i) {
      std::size_t stop = i < 2 ? asText.find('\xFE', f) : end;
      if (stop == std::string::npos || stop > end) stop = end;
      fields[i] = asText.substr(f, stop - f);
      f = stop < end ? stop + 1 : end;
    }
    Ini_BuildString(&builder, fields[0].c_str(), fields[1].c_str(), fields[2].c_str());
    Ini_SetString(&slow, fields[0].c_str(), fields[1].c_str(), fields[2].c_str());
    Check(std::strcmp(builder.text ? builder.text : "", slow ? slow : "") == 0);
    start = end + 1;
  }
  std::ptrdiff_t length = 0;
  char* built = Ini_BuildEnd(&builder, &length);
  Check(built && static_cast<std::size_t>(length) == std::strlen(built));
  Rt_Free(built);
  Rt_Free(slow);
  TakeRuntimeErrors();
  return 0;
}
