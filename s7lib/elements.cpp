// Runs of elements between the wire bytes of a read or write and the
// caller's 32-bit host slots: one loop per type, so that converting a whole
// PDU costs next to nothing beside the network.
#include <bit>
#include <cstring>

#include "s7lib/s7internal.h"

static_assert(std::endian::native == std::endian::little, "host slots are little-endian integers");

namespace {

inline std::uint32_t GetSlot(const void* values, int i) {
  std::uint32_t v;
  std::memcpy(&v, static_cast<const std::uint8_t*>(values) + 4 * static_cast<std::size_t>(i), 4);
  return v;
}

inline void PutSlot(void* values, int i, std::uint32_t v) {
  std::memcpy(static_cast<std::uint8_t*>(values) + 4 * static_cast<std::size_t>(i), &v, 4);
}

inline std::uint32_t GetBE32(const std::uint8_t* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
         (static_cast<std::uint32_t>(p[2]) << 8) | p[3];
}

inline void PutBE32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 24);
  p[1] = static_cast<std::uint8_t>(v >> 16);
  p[2] = static_cast<std::uint8_t>(v >> 8);
  p[3] = static_cast<std::uint8_t>(v);
}

inline std::uint64_t GetBE64(const std::uint8_t* p) {
  return (static_cast<std::uint64_t>(GetBE32(p)) << 32) | GetBE32(p + 4);
}

inline void PutBE64(std::uint8_t* p, std::uint64_t v) {
  PutBE32(p, static_cast<std::uint32_t>(v >> 32));
  PutBE32(p + 4, static_cast<std::uint32_t>(v));
}

// The byte strings keep their wire layout in the caller's buffer: their
// headers and texts are read where they stand.
bool Converted(unsigned type, int convert) {
  return convert && type != S7_TYPE_CHAR && type != S7_TYPE_DATETIME && type != S7_TYPE_STRING &&
         type != S7_TYPE_WSTRING && type != S7_TYPE_DTL;
}

bool Wide(unsigned type) {
  switch (type) {
    case S7_TYPE_LINT: case S7_TYPE_ULINT: case S7_TYPE_LWORD: case S7_TYPE_LREAL:
    case S7_TYPE_LTIME: case S7_TYPE_LTOD: case S7_TYPE_LDT:
      return true;
    default:
      return false;
  }
}

}  // namespace

int S7_WireBytes(unsigned type, int count) {
  if (type == S7_TYPE_BIT) return count > 1 ? count / 8 : 1;
  return count * kTypeInfo[type].elementSize;
}

std::size_t S7_ValueBytes(unsigned type, int count, int convert) {
  if (Converted(type, convert)) return (Wide(type) ? 8 : 4) * static_cast<std::size_t>(count);
  return static_cast<std::size_t>(S7_WireBytes(type, count));
}

void S7_EncodeElements(unsigned type, int count, int convert, const void* values, std::uint8_t* wire) {
  if (!Converted(type, convert)) {
    std::memcpy(wire, values, static_cast<std::size_t>(S7_WireBytes(type, count)));
    return;
  }
  if (Wide(type)) {
    for (int i = 0; i < count; ++i) {
      std::uint64_t v;
      std::memcpy(&v, static_cast<const std::uint8_t*>(values) + 8 * static_cast<std::size_t>(i), 8);
      PutBE64(wire + 8 * i, v);
    }
    return;
  }
  switch (type) {
    case S7_TYPE_BIT:
      if (count == 1) {
        wire[0] = GetSlot(values, 0) != 0 ? 1 : 0;
        break;
      }
      for (int byte = 0; byte < count / 8; ++byte) {
        std::uint8_t b = 0;
        for (int bit = 0; bit < 8; ++bit)
          if (GetSlot(values, byte * 8 + bit) != 0) b = static_cast<std::uint8_t>(b | (1u << bit));
        wire[byte] = b;
      }
      break;
    case S7_TYPE_BYTE:
    case S7_TYPE_SHORT:
    case S7_TYPE_USINT:
      for (int i = 0; i < count; ++i) wire[i] = static_cast<std::uint8_t>(GetSlot(values, i));
      break;
    case S7_TYPE_WORD:
    case S7_TYPE_INT:
    case S7_TYPE_DATE:
    case S7_TYPE_UINT:
    case S7_TYPE_WCHAR:
      for (int i = 0; i < count; ++i) PutBE16(wire + 2 * i, GetSlot(values, i));
      break;
    case S7_TYPE_S5TIME:
    case S7_TYPE_TIMER:
      // An over-long duration goes out as 0x0000, as the encoder leaves it.
      for (int i = 0; i < count; ++i) S7_EncodeS5Time(GetSlot(values, i), wire + 2 * i);
      break;
    case S7_TYPE_COUNTER:
      for (int i = 0; i < count; ++i) S7_EncodeCounter(GetSlot(values, i), wire + 2 * i);
      break;
    default:  // DWord, DInt, Time, TOD, Real, UDInt: all 32 bits
      for (int i = 0; i < count; ++i) PutBE32(wire + 4 * i, GetSlot(values, i));
      break;
  }
}

void S7_DecodeElements(unsigned type, int count, int convert, const std::uint8_t* wire, void* values) {
  if (!Converted(type, convert)) {
    std::memcpy(values, wire, static_cast<std::size_t>(S7_WireBytes(type, count)));
    return;
  }
  if (Wide(type)) {
    for (int i = 0; i < count; ++i) {
      const std::uint64_t v = GetBE64(wire + 8 * i);
      std::memcpy(static_cast<std::uint8_t*>(values) + 8 * static_cast<std::size_t>(i), &v, 8);
    }
    return;
  }
  switch (type) {
    case S7_TYPE_BIT:
      if (count == 1) {
        PutSlot(values, 0, wire[0] != 0 ? 1u : 0u);
        break;
      }
      for (int i = 0; i < count; ++i) PutSlot(values, i, (wire[i / 8] >> (i % 8)) & 1u);
      break;
    case S7_TYPE_BYTE:
    case S7_TYPE_USINT:
      for (int i = 0; i < count; ++i) PutSlot(values, i, wire[i]);
      break;
    case S7_TYPE_SHORT:
      for (int i = 0; i < count; ++i)
        PutSlot(values, i, static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<std::int8_t>(wire[i]))));
      break;
    case S7_TYPE_WORD:
    case S7_TYPE_DATE:
    case S7_TYPE_UINT:
    case S7_TYPE_WCHAR:
      for (int i = 0; i < count; ++i) PutSlot(values, i, GetBE16(wire + 2 * i));
      break;
    case S7_TYPE_INT:
      for (int i = 0; i < count; ++i)
        PutSlot(values, i, static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<std::int16_t>(GetBE16(wire + 2 * i)))));
      break;
    case S7_TYPE_S5TIME:
    case S7_TYPE_TIMER:
      for (int i = 0; i < count; ++i) PutSlot(values, i, static_cast<std::uint32_t>(S7_DecodeS5Time(wire + 2 * i)));
      break;
    case S7_TYPE_COUNTER:
      for (int i = 0; i < count; ++i) PutSlot(values, i, static_cast<std::uint32_t>(S7_DecodeCounter(wire + 2 * i)));
      break;
    default:
      for (int i = 0; i < count; ++i) PutSlot(values, i, GetBE32(wire + 4 * i));
      break;
  }
}
