// Variables of every type that the read and write tests share, against the
// simulator and against the Snap7 server: the host slots written, the wire
// bytes they become in the PLC's memory, and what reading those bytes gives.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "s7lib/s7lib.h"

namespace rwtest {

using Bytes = std::vector<std::uint8_t>;
using Slots = std::vector<std::uint32_t>;

// Memory area codes on the wire, by the library's area number.
inline constexpr std::uint8_t kWireArea[6] = {0x81, 0x82, 0x83, 0x84, 0x1D, 0x1C};

struct Var {
  const char* what;
  unsigned type;
  unsigned area;
  int db, start, bit, count;
  Slots slots;  // host slots written (empty for Char and Date&Time: the wire bytes are the values)
  Bytes wire;   // the CPU's memory afterwards
  Slots back;   // host slots read back from those bytes

  bool raw() const { return type == S7_TYPE_CHAR || type == S7_TYPE_DATETIME; }
  // The value buffer the library takes and fills.
  Bytes Values() const {
    if (raw()) return wire;
    Bytes b(slots.size() * 4);
    std::memcpy(b.data(), slots.data(), b.size());
    return b;
  }
  Bytes Expected() const {
    if (raw()) return wire;
    Bytes b(back.size() * 4);
    std::memcpy(b.data(), back.data(), b.size());
    return b;
  }
  int Offset() const { return area >= S7_AREA_TIMERS ? start * 2 : start; }
};

// One variable of every type, at distinct addresses of flags, DB1, timers
// and counters, so that they can also go in one request together.
inline std::vector<Var> AllTypes() {
  return {
      {"Bit", S7_TYPE_BIT, S7_AREA_DB, 1, 2, 3, 1, {7}, {0x08}, {1}},
      {"packed Bit", S7_TYPE_BIT, S7_AREA_FLAGS, 0, 4, 0, 16,
       {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1}, {0x01, 0xC0},
       {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1}},
      {"Byte", S7_TYPE_BYTE, S7_AREA_DB, 1, 10, 0, 3, {0x180, 0x7F, 0}, {0x80, 0x7F, 0x00}, {128, 127, 0}},
      {"Short", S7_TYPE_SHORT, S7_AREA_DB, 1, 13, 0, 2, {0xFFFFFF80u, 5}, {0x80, 0x05}, {0xFFFFFF80u, 5}},
      {"Char", S7_TYPE_CHAR, S7_AREA_DB, 1, 15, 0, 5, {}, {'H', 'e', 'l', 'l', 'o'}, {}},
      {"Word", S7_TYPE_WORD, S7_AREA_DB, 1, 20, 0, 2, {0x1FFFE, 0x1234}, {0xFF, 0xFE, 0x12, 0x34}, {65534, 0x1234}},
      {"Int", S7_TYPE_INT, S7_AREA_DB, 1, 24, 0, 1, {0xFFFFFFFEu}, {0xFF, 0xFE}, {0xFFFFFFFEu}},
      {"DWord", S7_TYPE_DWORD, S7_AREA_DB, 1, 26, 0, 1, {0xDEADBEEF}, {0xDE, 0xAD, 0xBE, 0xEF}, {0xDEADBEEF}},
      {"DInt", S7_TYPE_DINT, S7_AREA_DB, 1, 30, 0, 1, {0xFFFFFFFFu}, {0xFF, 0xFF, 0xFF, 0xFF}, {0xFFFFFFFFu}},
      {"Time", S7_TYPE_TIME, S7_AREA_DB, 1, 34, 0, 1, {0xFFFFFC18u}, {0xFF, 0xFF, 0xFC, 0x18}, {0xFFFFFC18u}},
      {"TOD", S7_TYPE_TOD, S7_AREA_DB, 1, 38, 0, 1, {86399999}, {0x05, 0x26, 0x5B, 0xFF}, {86399999}},
      {"S5Time", S7_TYPE_S5TIME, S7_AREA_DB, 1, 42, 0, 2, {12345, 127000}, {0x11, 0x23, 0x21, 0x27},
       {12300, 127000}},
      {"Real", S7_TYPE_REAL, S7_AREA_DB, 1, 46, 0, 1, {0x3FC00000}, {0x3F, 0xC0, 0x00, 0x00}, {0x3FC00000}},
      {"Date&Time", S7_TYPE_DATETIME, S7_AREA_DB, 1, 50, 0, 1, {},
       {0x21, 0x06, 0x15, 0x10, 0x20, 0x30, 0x45, 0x63}, {}},
      {"Date", S7_TYPE_DATE, S7_AREA_DB, 1, 58, 0, 1, {0x2345}, {0x23, 0x45}, {0x2345}},
      {"Timer", S7_TYPE_TIMER, S7_AREA_TIMERS, 0, 3, 0, 2, {9990, 20000000}, {0x09, 0x99, 0x00, 0x00},
       {9990, 0}},
      {"Counter", S7_TYPE_COUNTER, S7_AREA_COUNTERS, 0, 5, 0, 2, {42, 999}, {0x00, 0x42, 0x09, 0x99},
       {42, 999}},
  };
}

}  // namespace rwtest
