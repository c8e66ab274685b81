// Fuzzes the number readers and the trims with arbitrary bytes under every
// reading flag and any decimal point and group separator: the consumed count
// must never point past the text, the single-precision reading must agree with
// the double one, and nothing may be read or written outside the buffers.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "runtime/runtime.h"
#include "vars/vars.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = Rt_Init() == 0;
  if (!ready) __builtin_trap();
  if (size < 4) return 0;
  const unsigned flags = data[0] | (data[1] << 8);
  const int decimals = data[2] % 24;
  static const char kPoints[] = ".,' ";
  const char point = kPoints[data[3] & 3], separator = kPoints[(data[3] >> 2) & 3];
  CurrentThreadContext()->localeWord = static_cast<unsigned char>(point) |
                                       (static_cast<unsigned char>(separator) << 8);

  // The text in a block of its own size, so ASan sees any read past its end.
  std::vector<char> text(data + 4, data + size);
  text.push_back(0);
  const int length = static_cast<int>(std::strlen(text.data()));

  int consumed = 0;
  ParseInteger(text.data(), flags, decimals, &consumed);
  if (std::abs(consumed) > length) __builtin_trap();
  consumed = 0;
  const double real = ParseReal(text.data(), flags, &consumed);
  if (std::abs(consumed) > length) __builtin_trap();

  // Rounded once to single precision the value stays within a step of a
  // single from the double reading, and overflows exactly where the double
  // lies beyond the midpoint between the largest single and 2^128.
  constexpr double kMidpoint = 340282356779733661637539395458142568448.0;
  int singleConsumed = 0;
  bool overflow = false;
  const float single = ParseRealSingle(text.data(), flags, &singleConsumed, &overflow);
  if (singleConsumed != consumed || (overflow && single != 0)) __builtin_trap();
  if (consumed > 0 && real != 0) {
    const double magnitude = std::fabs(real);
    if ((magnitude > kMidpoint && !overflow) || (magnitude < kMidpoint && overflow)) __builtin_trap();
    const float size = std::fabs(single);
    if (!overflow && std::fabs(static_cast<double>(single) - real) > std::nextafter(size, INFINITY) - size)
      __builtin_trap();
  }

  std::size_t bound = data[2] % 9;
  char* out = new char[bound ? bound : 1];
  int copied = TrimCopyN(out, text.data(), bound, flags & 3);
  if (bound && (copied >= static_cast<int>(bound) || out[copied] != 0)) __builtin_trap();
  delete[] out;
  return 0;
}
