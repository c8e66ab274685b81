// Fuzzes the formatting engine with formats built from its directive grammar
// (flags, width and precision given or taken with "*", size modifiers, every
// conversion, unknown ones and directives cut off by the end) and arguments of
// the kinds each directive takes. The engine must take exactly those
// arguments, and its bounded form, given any buffer size, must write the
// unbounded text cut to that size and not one byte more.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/runtime.h"
#include "vars/format_internal.h"

namespace {

struct Builder {
  FuzzedDataProvider& in;
  std::string format;
  std::vector<FormatArg> args;
  std::vector<std::string>& texts;     // owned storage behind the text pointers
  const unsigned char* dump;           // 8 × 300 bytes for "%m"
  const CalendarRecord* calendar;

  void Add(FormatArgKind kind) {
    FormatArg a;
    a.kind = kind;
    switch (kind) {
      case FormatArgKind::Int: a.i = in.ConsumeIntegral<int>(); break;
      case FormatArgKind::Int64: a.ll = in.ConsumeIntegral<long long>(); break;
      case FormatArgKind::Real: {
        std::uint64_t bits = in.ConsumeIntegral<std::uint64_t>();
        std::memcpy(&a.d, &bits, sizeof bits);  // NaNs, infinities and denormals too
        break;
      }
      case FormatArgKind::Text:
        switch (in.ConsumeIntegralInRange(0, 3)) {
          case 0: a.text = nullptr; break;
          case 1: a.text = TextId(in.ConsumeIntegralInRange(1, 65535)); break;
          case 2: a.text = TextId(IDS_LOG_ENTRY + in.ConsumeIntegralInRange(0, 11)); break;
          default:
            texts.push_back(in.ConsumeRandomLengthString(64));
            a.text = texts.back().c_str();
        }
        break;
      case FormatArgKind::Pointer: a.pointer = in.ConsumeBool() ? dump : nullptr; break;
      case FormatArgKind::Calendar: a.calendar = in.ConsumeBool() ? calendar : nullptr; break;
    }
    args.push_back(a);
  }

  // A width or precision taken from the arguments, kept small enough that
  // "%m" stays inside its data.
  void AddCount() {
    FormatArg a;
    a.kind = FormatArgKind::Int;
    a.i = in.ConsumeIntegralInRange(-5, 300);
    args.push_back(a);
  }

  void Literal() {
    static const char kChars[] = "ab Z\t\r\n.:-0123456789\xE9\xF5";
    int n = in.ConsumeIntegralInRange(0, 6);
    for (int i = 0; i < n; ++i) format += kChars[in.ConsumeIntegralInRange<std::size_t>(0, sizeof kChars - 2)];
  }

  // One directive; false when it was cut off, which must end the format.
  bool Directive() {
    format += '%';
    int cut = in.ConsumeIntegralInRange(0, 15);  // 0-4: cut off after that stage
    if (cut == 0) return false;
    static const char kFlags[] = " #+";
    for (int n = in.ConsumeIntegralInRange(0, 2); n > 0; --n)
      format += kFlags[in.ConsumeIntegralInRange(0, 2)];
    if (in.ConsumeIntegralInRange(0, 3) == 0) format += '0';  // ends the flags
    if (cut == 1) return false;
    switch (in.ConsumeIntegralInRange(0, 2)) {
      case 1: format += std::to_string(in.ConsumeIntegralInRange(1, 300)); break;
      case 2: format += '*'; AddCount(); break;
      default: break;
    }
    if (cut == 2) return false;
    switch (in.ConsumeIntegralInRange(0, 3)) {
      case 1: format += '.'; break;
      case 2: format += '.' + std::to_string(in.ConsumeIntegralInRange(0, 40)); break;
      case 3: format += ".*"; AddCount(); break;
      default: break;
    }
    if (cut == 3) return false;
    static const char* const kModifiers[] = {"", "", "", "I64", "ll", "I32", "I", "h", "l"};
    const char* modifier = kModifiers[in.ConsumeIntegralInRange(0, 8)];
    format += modifier;
    if (cut == 4) return false;
    const bool wide = std::strcmp(modifier, "I64") == 0 || std::strcmp(modifier, "ll") == 0;
    static const char kConversions[] = "diuxXobfeEcsamDTt[]%-qy";
    const char c = kConversions[in.ConsumeIntegralInRange<std::size_t>(0, sizeof kConversions - 2)];
    format += c;
    switch (c) {
      case 'd': case 'i': case 'u': case 'x': case 'X': case 'o': case 'b':
      case 'c': case 'a': case 't': case ']':
        Add(wide ? FormatArgKind::Int64 : FormatArgKind::Int);
        break;
      case 'f': case 'e': case 'E': Add(FormatArgKind::Real); break;
      case 's': Add(FormatArgKind::Text); break;
      case 'm': Add(FormatArgKind::Pointer); break;
      case 'D': case 'T': Add(FormatArgKind::Calendar); break;
      default: break;  // "[", "%" and unknown conversions take nothing
    }
    return true;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = Rt_Init() == 0;
  if (!ready) __builtin_trap();
  FuzzedDataProvider in(data, size);

  static unsigned char dump[8 * 300];
  for (std::size_t i = 0; i < sizeof dump; ++i) dump[i] = static_cast<unsigned char>(i * 37);
  CalendarRecord calendar;
  calendar.year = in.ConsumeIntegral<std::uint16_t>();
  calendar.month = in.ConsumeIntegral<std::uint16_t>();
  calendar.weekday = in.ConsumeIntegral<std::uint16_t>();
  calendar.day = in.ConsumeIntegral<std::uint16_t>();
  calendar.hour = in.ConsumeIntegral<std::uint16_t>();
  calendar.minute = in.ConsumeIntegral<std::uint16_t>();
  calendar.second = in.ConsumeIntegral<std::uint16_t>();
  calendar.milliseconds = in.ConsumeIntegral<std::uint16_t>();
  CurrentThreadContext()->localeWord = kDefaultLocaleWord ^ (in.ConsumeIntegralInRange(0, 3) << 16);

  std::vector<std::string> texts;
  texts.reserve(64);  // pointers into it must stay put
  Builder b{in, {}, {}, texts, dump, &calendar};
  for (int pieces = in.ConsumeIntegralInRange(1, 24); pieces > 0 && texts.size() < 60; --pieces) {
    b.Literal();
    if (!b.Directive()) break;
  }

  // The unbounded text, in a buffer far larger than any of these formats need.
  static char full[1 << 20];
  FormatArgList list{b.args.data(), static_cast<int>(b.args.size()), 0, false};
  int length = FormatTextArgs(full, sizeof full, b.format.c_str(), &list);
  if (list.mismatch || list.next != list.count) __builtin_trap();  // took other arguments than it should
  if (length >= static_cast<int>(sizeof full) - 1) __builtin_trap();

  // The bounded form in a heap block of exactly the size given: ASan catches
  // a write past it.
  std::size_t bound = in.ConsumeIntegralInRange<std::size_t>(0, static_cast<std::size_t>(length) + 2);
  char* out = new char[bound ? bound : 1];
  FormatArgList again{b.args.data(), static_cast<int>(b.args.size()), 0, false};
  int n = FormatTextArgs(out, bound, b.format.c_str(), &again);
  std::size_t want = bound == 0 ? 0 : std::min(bound - 1, static_cast<std::size_t>(length));
  if (static_cast<std::size_t>(n) != want || std::memcmp(out, full, want) != 0) __builtin_trap();
  if (bound > 0 && out[want] != 0) __builtin_trap();
  delete[] out;
  return 0;
}
