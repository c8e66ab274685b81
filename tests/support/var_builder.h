// Variables for the tests of the variable model, value text and value
// reading: a record with its block that frees itself, built from a
// definition text or from type, area and count, with raw slot access.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "runtime/runtime.h"
#include "vars/vars.h"

struct TestVar {
  PlcVariable v{};

  TestVar() = default;
  explicit TestVar(const char* definition) { EXPECT_EQ(Var_ParseDefinition(definition, &v), 1) << definition; }
  TestVar(int type, int count, int area = S7_AREA_FLAGS) {
    Var_Init(1, type, area, count, &v);
    EXPECT_EQ(Var_AllocBlock(&v), 1);
  }
  ~TestVar() { Var_FreeBlock(&v); }
  TestVar(const TestVar&) = delete;
  TestVar& operator=(const TestVar&) = delete;

  PlcVariable* operator->() { return &v; }
  PlcVariable* get() { return &v; }

  // The slot's bytes exactly as given (little-endian), bypassing
  // Var_PutElement: its first eight at most (a DTL's or a text's first).
  void SetRaw(int index, std::uint64_t bits) {
    std::memcpy(v.values + static_cast<std::size_t>(index) * v.slotSize, &bits, SlotBytes());
  }
  std::uint64_t Raw(int index) const {
    std::uint64_t bits = 0;
    std::memcpy(&bits, v.values + static_cast<std::size_t>(index) * v.slotSize, SlotBytes());
    return bits;
  }
  std::size_t SlotBytes() const { return static_cast<std::size_t>(v.slotSize < 8 ? v.slotSize : 8); }
  void SetView(int index, int view) { v.views[index] = static_cast<std::uint8_t>(view); }

  std::string Text(int index, int bare = 0, int trailingBlank = 0) {
    char out[kVarValueTextMax];
    const int n = Var_FormatValue({.trailingBlank = trailingBlank != 0, .bareCharacter = bare != 0}, index, &v, out);
    EXPECT_EQ(n, static_cast<int>(std::strlen(out)));
    return out;
  }
  std::string Address(int index, int blank = 0, int withCount = 0, int withType = 0) {
    char out[kVarAddressTextMax];
    const VarAddressForm form{.leadingBlank = blank != 0, .withCount = withCount != 0, .withType = withType != 0};
    const int n = Var_FormatAddress(form, index, &v, out, nullptr);
    EXPECT_EQ(n, static_cast<int>(std::strlen(out)));
    return out;
  }
};

// 8 DATE_AND_TIME wire bytes as the little-endian number a slot holds.
inline std::uint64_t DateTimeBits(std::initializer_list<std::uint8_t> bytes) {
  std::uint64_t bits = 0;
  int shift = 0;
  for (std::uint8_t b : bytes) bits |= std::uint64_t{b} << shift, shift += 8;
  return bits;
}
