// The directive engine behind FormatText: flags, width, precision, size
// modifier and conversion, optional sections that vanish when their trailing
// condition is zero, dates, times, durations, IPv4 addresses, memory dumps
// and texts given by string id. One engine serves the unbounded and the
// bounded forms; it takes its arguments from a va_list or, for the tests and
// the fuzzer, from an array.
#include <cstdint>
#include <cstring>

#include "platform/platform.h"
#include "res/strings.h"
#include "vars/format.h"
#include "vars/format_internal.h"

namespace {

// ---------------------------------------------------------------- argument sources

struct VaArgs {
  va_list* ap;
  int Int() { return va_arg(*ap, int); }
  long long Int64() { return va_arg(*ap, long long); }
  double Real() { return va_arg(*ap, double); }
  const char* Text() { return va_arg(*ap, const char*); }
  const void* Pointer() { return va_arg(*ap, const void*); }
  const CalendarRecord* Calendar() { return va_arg(*ap, const CalendarRecord*); }
};

struct ArrayArgs {
  FormatArgList* list;
  const FormatArg* Take(FormatArgKind kind) {
    if (list->next >= list->count || list->args[list->next].kind != kind) {
      list->mismatch = true;
      ++list->next;
      return nullptr;
    }
    return &list->args[list->next++];
  }
  int Int() { const FormatArg* a = Take(FormatArgKind::Int); return a ? a->i : 0; }
  long long Int64() { const FormatArg* a = Take(FormatArgKind::Int64); return a ? a->ll : 0; }
  double Real() { const FormatArg* a = Take(FormatArgKind::Real); return a ? a->d : 0.0; }
  const char* Text() { const FormatArg* a = Take(FormatArgKind::Text); return a ? a->text : nullptr; }
  const void* Pointer() { const FormatArg* a = Take(FormatArgKind::Pointer); return a ? a->pointer : nullptr; }
  const CalendarRecord* Calendar() {
    const FormatArg* a = Take(FormatArgKind::Calendar);
    return a ? a->calendar : nullptr;
  }
};

// ---------------------------------------------------------------- pieces

constexpr std::uint32_t kPow10u[4] = {1, 10, 100, 1000};
constexpr std::size_t kMaxTextWithoutWidth = 32766;
constexpr int kMaxSections = 4;

// Width and precision digits stop growing here instead of overflowing.
constexpr int kNumberCap = 100000000;

// value with at least minDigits decimal digits.
void PutPadded(FormatSink& s, std::uint32_t value, int minDigits) {
  char d[20];
  int n = DecimalDigits(value, d);
  if (n < minDigits) SinkRepeat(s, '0', static_cast<std::size_t>(minDigits - n));
  SinkPutN(s, d, static_cast<std::size_t>(n));
}

void PutDate(FormatSink& s, const CalendarRecord& c, int order) {
  std::uint32_t first = c.year, second = c.month, third = c.day;
  int firstDigits = 4, thirdDigits = 2;
  if (order == 1) {
    first = c.month, second = c.day, third = c.year;
    firstDigits = 2, thirdDigits = 4;
  } else if (order == 2) {
    first = c.day, second = c.month, third = c.year;
    firstDigits = 2, thirdDigits = 4;
  }
  PutPadded(s, first, firstDigits);
  SinkPut(s, '.');
  PutPadded(s, second, 2);
  SinkPut(s, '.');
  PutPadded(s, third, thirdDigits);
}

// ".mmm" cut to precision digits (none for precision 0).
void PutMilliseconds(FormatSink& s, std::uint32_t ms, int precision) {
  if (precision <= 0) return;
  if (precision > 3) precision = 3;
  SinkPut(s, '.');
  PutPadded(s, ms / kPow10u[3 - precision], precision);
}

void PutTime(FormatSink& s, const CalendarRecord& c, int precision) {
  PutPadded(s, c.hour, 2);
  SinkPut(s, ':');
  PutPadded(s, c.minute, 2);
  SinkPut(s, ':');
  PutPadded(s, c.second, 2);
  PutMilliseconds(s, c.milliseconds, precision);
}

void PutDuration(FormatSink& s, std::uint64_t ms, bool over, int precision, int width,
                 const NumberSettings& ns) {
  if (precision < 0) precision = 0;
  if (precision > 3) precision = 3;
  if (over || ms >= 3600000000ull) {
    SinkPut(s, '>');
    ms = 3599999999ull;
  }
  if (ms < 100000) {
    char text[kIntegerTextMax];
    int n = ComposeInteger(text, ms / kPow10u[3 - precision], precision ? kFmtFixedPoint : 0u,
                           precision, ns);
    SinkAligned(s, text, n, width);
    return;
  }
  auto hours = static_cast<std::uint32_t>(ms / 3600000);
  if (hours) {
    PutPadded(s, hours, 2);
    SinkPut(s, ':');
  }
  PutPadded(s, static_cast<std::uint32_t>(ms / 60000 % 60), 2);
  SinkPut(s, ':');
  PutPadded(s, static_cast<std::uint32_t>(ms / 1000 % 60), 2);
  PutMilliseconds(s, static_cast<std::uint32_t>(ms % 1000), precision);
}

void PutAddress(FormatSink& s, std::uint32_t address, bool aligned) {
  unsigned char bytes[4];
  std::memcpy(bytes, &address, 4);  // memory order is network order
  for (int i = 0; i < 4; ++i) {
    if (i) SinkPut(s, '.');
    char d[4];
    int n = DecimalDigits(bytes[i], d);
    if (aligned && n < 3) SinkRepeat(s, ' ', static_cast<std::size_t>(3 - n));
    SinkPutN(s, d, static_cast<std::size_t>(n));
  }
}

void PutDump(FormatSink& s, const unsigned char* data, int items, int itemSize) {
  static constexpr char kHex[] = "0123456789abcdef";
  for (int i = 0; i < items && s.pos < s.limit; ++i) {
    if (i) SinkPut(s, ' ');
    const unsigned char* item = data + static_cast<std::size_t>(i) * itemSize;
    for (int b = itemSize - 1; b >= 0; --b) {  // little-endian: last byte first
      SinkPut(s, kHex[item[b] >> 4]);
      SinkPut(s, kHex[item[b] & 15]);
    }
  }
}

void PutText(FormatSink& s, const char* text, std::size_t limit) {
  std::uintptr_t v = reinterpret_cast<std::uintptr_t>(text);
  if (v != 0 && v <= 65535) text = LoadText(static_cast<int>(v));
  if (!text) return;
  // One pass that stops at the zero, the limit or the end of the buffer:
  // cheaper than measuring first for the short texts of log lines.
  std::size_t room = s.limit - s.pos;
  if (limit > room) limit = room;
  char* out = s.out + s.pos;
  std::size_t n = 0;
  while (n < limit && text[n]) {
    out[n] = text[n];
    ++n;
  }
  s.pos += n;
}

// ---------------------------------------------------------------- the engine

// What a directive says before its conversion: flags, width, precision and
// whether the argument is 64 bits wide.
struct Directive {
  unsigned flags = 0;
  bool widthGiven = false;
  int width = 0;
  bool precisionGiven = false;
  int precision = 0;
  bool wide = false;
  char conversion = 0;

  // The width that pads a field: none when absent, zero or negative.
  int FieldWidth() const { return widthGiven && width > 0 ? width : 0; }
};

// Optional sections: the position each open "%[" rolls back to when its
// "%]" finds its condition zero. Sections nested deeper than kMaxSections
// are counted but never rolled back.
struct Sections {
  std::size_t start[kMaxSections];
  int depth = 0;

  void Open(const FormatSink& s) {
    if (depth < kMaxSections) start[depth] = s.pos;
    ++depth;
  }
  void Close(FormatSink& s, bool keep) {
    if (depth == 0) return;
    --depth;
    if (!keep && depth < kMaxSections) s.pos = start[depth];
  }
};

// Literal text up to the next directive: copied while there is room, skipped
// once the buffer is full. Returns the character after the "%", or null at
// the end of the format.
inline const char* CopyLiteral(FormatSink& s, const char* f) {
  char* out = s.out + s.pos;
  char* const stop = s.out + s.limit;
  while (*f && *f != '%' && out != stop) *out++ = *f++;
  s.pos = static_cast<std::size_t>(out - s.out);
  while (*f && *f != '%') ++f;
  return *f ? f + 1 : nullptr;
}

// Width and precision digits; they stop growing at kNumberCap.
inline int ReadCount(const char*& f) {
  int n = 0;
  for (; *f >= '0' && *f <= '9'; ++f)
    if (n < kNumberCap) n = n * 10 + (*f - '0');
  return n;
}

inline unsigned ReadFlags(const char*& f) {
  unsigned flags = 0;
  for (;; ++f) {
    if (*f == ' ') flags |= kFmtBlank;
    else if (*f == '#') flags |= kFmtGroup;
    else if (*f == '+') flags |= kFmtPlus;
    else if (*f == '0') {
      // Only one zero is a flag: the next one is a width digit.
      ++f;
      return flags | kFmtZeroPad;
    } else return flags;
  }
}

// "I64" and "ll" make the argument 64 bits wide; "I32", "I", "l" and "h"
// are read and change nothing.
inline bool ReadSize(const char*& f) {
  if (f[0] == 'I' && f[1] == '6' && f[2] == '4') {
    f += 3;
    return true;
  }
  if (f[0] == 'l' && f[1] == 'l') {
    f += 2;
    return true;
  }
  if (f[0] == 'I' && f[1] == '3' && f[2] == '2') f += 3;
  else if (f[0] == 'I' || f[0] == 'l' || f[0] == 'h') f += 1;
  return false;
}

// Everything of a directive after its "%"; "*" takes the width or precision
// from the arguments, in that order. Returns the character after the
// conversion; a directive cut off by the end has conversion 0.
template <class Args>
const char* ReadDirective(const char* f, Args& args, Directive* d) {
  d->flags = ReadFlags(f);
  if (*f == '*') {
    d->widthGiven = true;
    d->width = args.Int();
    ++f;
  } else if (*f >= '0' && *f <= '9') {
    d->widthGiven = true;
    d->width = ReadCount(f);
  }
  if (*f == '.') {
    d->precisionGiven = true;
    ++f;
    if (*f == '*') {
      d->precision = args.Int();
      ++f;
    } else {
      d->precision = ReadCount(f);
    }
  }
  d->wide = ReadSize(f);
  d->conversion = *f;
  return *f ? f + 1 : f;
}

// "%d %i %u %x %X %o %b": 32-bit arguments are widened by their signedness.
template <class Args>
void PutIntegerDirective(FormatSink& s, const Directive& d, Args& args, const NumberSettings& ns) {
  const bool isSigned = d.conversion == 'd' || d.conversion == 'i';
  std::uint64_t value;
  if (d.wide) value = static_cast<std::uint64_t>(args.Int64());
  else if (isSigned) value = static_cast<std::uint64_t>(static_cast<std::int64_t>(args.Int()));
  else value = static_cast<std::uint32_t>(args.Int());
  unsigned flags = d.flags;
  switch (d.conversion) {
    case 'u': flags |= kFmtUnsigned; break;
    case 'x': flags |= kFmtHex | kFmtUnsigned; break;
    case 'X': flags |= kFmtHex | kFmtUnsigned | kFmtUpper; break;
    case 'o': flags |= kFmtOctal | kFmtUnsigned; break;
    case 'b': flags |= kFmtBinary | kFmtUnsigned; break;
    default: break;
  }
  int digits = 0;
  int w = d.FieldWidth();
  if (d.precisionGiven && d.precision > 0) {
    flags &= ~kFmtZeroPad;
    if ((flags & kFmtRadixMask) == 0) {
      flags |= kFmtFixedPoint;
      digits = d.precision;
    }
  } else if (!d.widthGiven) {
    flags &= ~kFmtZeroPad;
  }
  if (flags & kFmtZeroPad) {  // the width becomes the minimum digit count
    digits = w;
    w = 0;
  }
  if (!(flags & (kFmtRadixMask | kFmtZeroPad | kFmtFixedPoint | kFmtGroup | kFmtPlus | kFmtBlank)) && w == 0) {
    // The common plain decimal: straight from the digits to the output.
    const bool negative = !(flags & kFmtUnsigned) && static_cast<std::int64_t>(value) < 0;
    char text[24];
    char* start = DecimalDigitsBackward(negative ? 0 - value : value, text + sizeof text);
    if (negative) *--start = '-';
    SinkPutN(s, start, static_cast<std::size_t>(text + sizeof text - start));
    return;
  }
  char text[kIntegerTextMax];
  int n = ComposeInteger(text, value, flags, digits, ns);
  SinkAligned(s, text, n, w);
}

// "%f %e %E": six decimals unless a precision is given; no zero padding.
template <class Args>
void PutRealDirective(FormatSink& s, const Directive& d, Args& args, const NumberSettings& ns) {
  double value = args.Real();
  unsigned flags = d.flags & ~kFmtZeroPad;
  if (d.conversion != 'f') flags |= kFmtExponent;
  if (d.conversion == 'E') flags |= kFmtUpper;
  char text[kRealTextMax];
  int n = ComposeReal(text, value, flags, d.precisionGiven ? d.precision : 6, ns);
  SinkAligned(s, text, n, d.FieldWidth());
}

// Every other conversion; an unknown one writes nothing and takes nothing.
template <class Args>
void PutOtherDirective(FormatSink& s, const Directive& d, Args& args, const NumberSettings& ns,
                       Sections& sections) {
  switch (d.conversion) {
    case 'c': {
      int c = d.wide ? static_cast<int>(args.Int64()) : args.Int();
      int count = d.widthGiven ? d.width : 1;
      if (count > 0) SinkRepeat(s, static_cast<char>(c & 0xFF), static_cast<std::size_t>(count));
      break;
    }
    case 's': {
      const char* text = args.Text();
      PutText(s, text, d.widthGiven && d.width >= 0 ? static_cast<std::size_t>(d.width) : kMaxTextWithoutWidth);
      break;
    }
    case 'a':
      PutAddress(s, static_cast<std::uint32_t>(d.wide ? args.Int64() : args.Int()), d.widthGiven);
      break;
    case 'm': {
      const void* data = args.Pointer();
      const int p = d.precision;
      int size = d.precisionGiven && (p == 2 || p == 4 || p == 8) ? p : 1;
      const int w = d.FieldWidth();
      if (data) PutDump(s, static_cast<const unsigned char*>(data), w > 0 ? w : 1, size);
      break;
    }
    case 'D': {
      const CalendarRecord* c = args.Calendar();
      if (c) PutDate(s, *c, ns.dateOrder);
      break;
    }
    case 'T': {
      const CalendarRecord* c = args.Calendar();
      if (c) PutTime(s, *c, d.precisionGiven ? d.precision : 0);
      break;
    }
    case 't': {
      std::uint64_t ms = d.wide ? static_cast<std::uint64_t>(args.Int64()) : static_cast<std::uint32_t>(args.Int());
      PutDuration(s, ms, (ms >> 32) != 0, d.precisionGiven ? d.precision : 0, d.FieldWidth(), ns);
      break;
    }
    case '[':
      sections.Open(s);
      break;
    case ']':
      sections.Close(s, d.wide ? args.Int64() != 0 : args.Int() != 0);
      break;
    case '%':
      SinkPut(s, '%');
      break;
    default:
      break;
  }
}

template <class Args>
void FormatCore(FormatSink& s, const char* f, Args& args, const NumberSettings& ns) {
  Sections sections;
  for (;;) {
    f = CopyLiteral(s, f);
    if (!f) return;
    Directive d;
    f = ReadDirective(f, args, &d);
    switch (d.conversion) {
      case 0:
        return;  // a directive cut off by the end writes nothing
      case 'd': case 'i': case 'u': case 'x': case 'X': case 'o': case 'b':
        PutIntegerDirective(s, d, args, ns);
        break;
      case 'f': case 'e': case 'E':
        PutRealDirective(s, d, args, ns);
        break;
      default:
        PutOtherDirective(s, d, args, ns, sections);
        break;
    }
  }
}

int Finish(char* output, const FormatSink& s) {
  output[s.pos] = 0;
  return s.pos > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(s.pos);
}

}  // namespace

int FormatTextNV(char* output, std::size_t size, const char* format, va_list args) {
  if (!output || size == 0) return 0;
  FormatSink sink{output, 0, size - 1};
  if (format) {
    va_list ap;
    va_copy(ap, args);
    VaArgs source{&ap};
    FormatCore(sink, format, source, CurrentNumberSettings());
    va_end(ap);
  }
  return Finish(output, sink);
}

int FormatTextN(char* output, std::size_t size, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  int n = FormatTextNV(output, size, format, ap);
  va_end(ap);
  return n;
}

int FormatTextV(char* output, const char* format, va_list args) {
  return FormatTextNV(output, static_cast<std::size_t>(-1), format, args);
}

int FormatText(char* output, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  int n = FormatTextNV(output, static_cast<std::size_t>(-1), format, ap);
  va_end(ap);
  return n;
}

int FormatTextArgs(char* output, std::size_t size, const char* format, FormatArgList* list) {
  if (!output || size == 0) return 0;
  FormatSink sink{output, 0, size - 1};
  if (format) {
    ArrayArgs source{list};
    FormatCore(sink, format, source, CurrentNumberSettings());
  }
  return Finish(output, sink);
}

int FormatTimeStamp(TimeStampForm form, CalendarRecord* record, char* output) {
  CalendarRecord now;
  if (!record || form.takeLocalTime) {
    PlatCalendar local;
    Plat_LocalTime(&local);
    CalendarRecord* target = record ? record : &now;
    *target = {local.year, local.month, local.weekday, local.day,
               local.hour, local.minute, local.second, local.milliseconds};
  }
  const CalendarRecord* r = record ? record : &now;
  const int precision = form.precision < 0 ? 0 : form.precision > 3 ? 3 : form.precision;
  return FormatText(output, "%*c%D%*c%.*T", form.leadingTabs, '\t',
                    form.withDate ? r : static_cast<const CalendarRecord*>(nullptr), form.withDate ? 1 : 0,
                    ' ', precision, r);
}
