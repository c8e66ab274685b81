// How single values look on the wire: byte order, BCD bytes, the S5TIME and
// counter words, DATE_AND_TIME with its date check, and the packed-bit
// helpers. Pure functions, apart from the conversion-error flag that the BCD
// codecs leave in the calling thread's runtime error flags.
#include "runtime/threadctx.h"
#include "s7lib/s7internal.h"

namespace {

struct S5TimeBase {
  std::uint32_t limit;    // largest millisecond count the base holds
  std::uint32_t divisor;  // milliseconds per unit
};
constexpr S5TimeBase kS5TimeBases[] = {
    {9'999, 10}, {99'999, 100}, {999'999, 1'000}, {9'999'999, 10'000}};

constexpr std::uint16_t kDaysOfMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool IsLeapYear(unsigned year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// A single decimal digit of a wire word; sets the conversion-error flag
// like a bad BCD byte does.
int DecodeDigit(unsigned nibble) {
  if (nibble <= 9) return static_cast<int>(nibble);
  SetRuntimeErrors(kRtErrConversion);
  return 0;
}

bool ConversionFailed() { return (TakeRuntimeErrors() & kRtErrConversion) != 0; }

// BCD of a value known to be below 100 (leaves the flags alone).
std::uint8_t Bcd2(std::uint32_t v) { return static_cast<std::uint8_t>(((v / 10) << 4) | (v % 10)); }

}  // namespace

std::uint32_t S7_Swap16(std::uint16_t value) {
  return static_cast<std::uint16_t>((value >> 8) | (value << 8));
}

std::int32_t S7_Swap16Signed(std::uint16_t value) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>((value >> 8) | (value << 8)));
}

std::uint32_t S7_Swap32(std::uint32_t value) {
  return (value >> 24) | ((value >> 8) & 0x0000FF00u) | ((value << 8) & 0x00FF0000u) | (value << 24);
}

std::uint8_t S7_EncodeBcd(int value) {
  const unsigned low = static_cast<unsigned>(value) & 0xFFu;
  if (low < 100) return Bcd2(low);
  SetRuntimeErrors(kRtErrConversion);
  return 0;
}

int S7_DecodeBcd(std::uint8_t bcd) {
  if ((bcd >> 4) <= 9 && (bcd & 0x0F) <= 9) return 10 * (bcd >> 4) + (bcd & 0x0F);
  SetRuntimeErrors(kRtErrConversion);
  return 0;
}

std::int32_t S7_DecodeS5Time(const std::uint8_t* wire2) {
  TakeRuntimeErrors();
  const int value = 100 * DecodeDigit(wire2[0] & 0x0Fu) + S7_DecodeBcd(wire2[1]);
  const unsigned base = wire2[0] >> 4;
  if (ConversionFailed() || base > 3) return 0;
  return value * static_cast<std::int32_t>(kS5TimeBases[base].divisor);
}

int S7_EncodeS5Time(std::uint32_t milliseconds, std::uint8_t* wire2) {
  for (unsigned base = 0; base < 4; ++base) {
    if (milliseconds > kS5TimeBases[base].limit) continue;
    const std::uint32_t v = milliseconds / kS5TimeBases[base].divisor;
    wire2[0] = static_cast<std::uint8_t>((base << 4) | (v / 100));
    wire2[1] = Bcd2(v % 100);
    return 0;
  }
  wire2[0] = wire2[1] = 0;
  return 1;
}

std::int32_t S7_DecodeCounter(const std::uint8_t* wire2) {
  TakeRuntimeErrors();
  const int value = 100 * DecodeDigit(wire2[0] & 0x0Fu) + S7_DecodeBcd(wire2[1]);
  return ConversionFailed() ? 0 : value;
}

int S7_EncodeCounter(std::uint32_t value, std::uint8_t* wire2) {
  const std::uint32_t v = value & 0xFFFFu;
  if (v >= 1000) {
    wire2[0] = wire2[1] = 0;
    return 1;
  }
  wire2[0] = static_cast<std::uint8_t>(v / 100);
  wire2[1] = Bcd2(v % 100);
  return 0;
}

int S7_CheckDateTime(const CalendarRecord* r) {
  if (r->weekday >= 7 || r->milliseconds >= 1000 || r->second >= 60 || r->minute >= 60 || r->hour >= 24)
    return 0;
  if (r->month < 1 || r->month > 12 || r->year >= 10000) return 0;
  unsigned days = kDaysOfMonth[r->month - 1];
  if (r->month == 2 && IsLeapYear(r->year)) ++days;
  return r->day >= 1 && r->day <= days ? 1 : 0;
}

int S7_DecodeDateTime(const std::uint8_t* wire8, CalendarRecord* out) {
  TakeRuntimeErrors();
  const int year = S7_DecodeBcd(wire8[0]);
  out->year = static_cast<std::uint16_t>(year + (year < 90 ? 2000 : 1900));
  out->month = static_cast<std::uint16_t>(S7_DecodeBcd(wire8[1]));
  out->day = static_cast<std::uint16_t>(S7_DecodeBcd(wire8[2]));
  out->hour = static_cast<std::uint16_t>(S7_DecodeBcd(wire8[3]));
  out->minute = static_cast<std::uint16_t>(S7_DecodeBcd(wire8[4]));
  out->second = static_cast<std::uint16_t>(S7_DecodeBcd(wire8[5]));
  out->milliseconds = static_cast<std::uint16_t>(10 * S7_DecodeBcd(wire8[6]) + (wire8[7] >> 4));
  out->weekday = static_cast<std::uint16_t>((wire8[7] & 0x0F) - 1);
  if (ConversionFailed()) return 1;
  return S7_CheckDateTime(out) ? 0 : 1;
}

int S7_EncodeDateTime(const CalendarRecord* in, std::uint8_t* wire8) {
  TakeRuntimeErrors();
  if (!S7_CheckDateTime(in)) return 1;
  wire8[0] = S7_EncodeBcd(in->year % 100);
  wire8[1] = S7_EncodeBcd(in->month);
  wire8[2] = S7_EncodeBcd(in->day);
  wire8[3] = S7_EncodeBcd(in->hour);
  wire8[4] = S7_EncodeBcd(in->minute);
  wire8[5] = S7_EncodeBcd(in->second);
  wire8[6] = S7_EncodeBcd(in->milliseconds / 10);
  wire8[7] = static_cast<std::uint8_t>(((in->milliseconds % 10) << 4) | (in->weekday + 1));
  return ConversionFailed() ? 1 : 0;
}

int S7_TestBit(const void* bits, int n) {
  if (!bits || n < 0) return 0;
  return (static_cast<const std::uint8_t*>(bits)[n / 8] >> (n % 8)) & 1;
}

int S7_ChangeBit(void* bits, int n, int mode) {
  if (!bits || n < 0) return 0;
  std::uint8_t& byte = static_cast<std::uint8_t*>(bits)[n / 8];
  const std::uint8_t mask = static_cast<std::uint8_t>(1u << (n % 8));
  const int previous = (byte & mask) ? 1 : 0;
  switch (mode) {
    case 0: byte = static_cast<std::uint8_t>(byte & ~mask); break;
    case 1: byte = static_cast<std::uint8_t>(byte | mask); break;
    case 2:
    case 3: byte = static_cast<std::uint8_t>(byte ^ mask); break;
    default: break;  // no such mode: the bit stays
  }
  return previous;
}
