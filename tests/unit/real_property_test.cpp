// FormatReal against a correctly rounded reference: std::to_chars of the same
// double, in fixed and exponent form at several precisions, over float values
// spread evenly across the whole float range (every exponent, both signs) and
// the edge cases: powers of ten and their neighbours, exact halfway values,
// denormals, the largest float and the extremes of double.
//
// The only difference allowed is ours on purpose: on an exact tie (the value
// lies exactly halfway between the two candidates) the engine rounds half up,
// away from zero, where to_chars rounds half to even. Each such difference is
// checked to be an exact tie against the value's full decimal expansion and
// to be the rounded-up text.
//
// Sample size: one million floats in optimised native builds (about a second).
// Unoptimised and sanitizer builds check every 16th of them, a smaller sample
// that still covers every float exponent; the million runs natively.
#include <gtest/gtest.h>

#include <charconv>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "vars/vars.h"

namespace {

#if defined(__SANITIZE_ADDRESS__) || !defined(__OPTIMIZE__)
constexpr int kSampleStep = 16;
#else
constexpr int kSampleStep = 1;
#endif
constexpr int kFloatSample = 1000000;

constexpr int kFixedPrecisions[] = {0, 1, 3, 6, 9};
constexpr int kExponentPrecisions[] = {0, 2, 6, 8, 17};

std::string Ours(double v, bool exponentForm, int precision) {
  char out[600];
  int n = FormatReal(out, v, exponentForm ? kFmtExponent : 0u, precision, 0);
  return std::string(out, static_cast<std::size_t>(n));
}

std::string Reference(double v, bool exponentForm, int precision) {
  char out[1300];
  auto r = std::to_chars(out, out + sizeof out, v,
                         exponentForm ? std::chars_format::scientific : std::chars_format::fixed, precision);
  return std::string(out, r.ptr);
}

// The text rounded half up from the exact expansion, or "" when the value is
// not an exact tie at this precision.
std::string HalfUpOnTie(double v, bool exponentForm, int precision) {
  // 1100 digits hold every double's expansion exactly (at most 767
  // significant digits, at most 1074 below the point).
  std::string exact = Reference(v, exponentForm, precision + 1100);
  std::string sign;
  if (exact[0] == '-') {
    sign = "-";
    exact.erase(0, 1);
  }
  std::string exponentPart;
  if (exponentForm) {
    std::size_t e = exact.find('e');
    exponentPart = exact.substr(e + 1);
    exact.resize(e);
  }
  std::size_t point = exact.find('.');
  std::string integer = exact.substr(0, point), fraction = exact.substr(point + 1);
  std::string dropped = fraction.substr(static_cast<std::size_t>(precision));
  if (dropped[0] != '5' || dropped.find_first_not_of('0', 1) != std::string::npos) return "";
  std::string kept = integer + fraction.substr(0, static_cast<std::size_t>(precision));
  int i = static_cast<int>(kept.size()) - 1;
  for (; i >= 0 && kept[static_cast<std::size_t>(i)] == '9'; --i) kept[static_cast<std::size_t>(i)] = '0';
  int exponent = exponentForm ? std::stoi(exponentPart) : 0;
  if (i >= 0) {
    ++kept[static_cast<std::size_t>(i)];
  } else if (exponentForm) {
    kept[0] = '1';
    ++exponent;
  } else {
    kept.insert(kept.begin(), '1');
  }
  std::size_t integerDigits = exponentForm ? 1 : kept.size() - static_cast<std::size_t>(precision);
  std::string text = sign + kept.substr(0, integerDigits);
  if (precision > 0) text += "." + kept.substr(integerDigits);
  if (exponentForm) {
    std::string digits = std::to_string(std::abs(exponent));
    text += std::string(exponent < 0 ? "e-" : "e+") + (digits.size() < 2 ? "0" : "") + digits;
  }
  return text;
}

struct Tally {
  long compared = 0;
  long ties = 0;
  int failures = 0;
};

void Check(double v, Tally& tally) {
  for (bool exponentForm : {false, true}) {
    const auto& precisions = exponentForm ? kExponentPrecisions : kFixedPrecisions;
    for (int p : precisions) {
      std::string ours = Ours(v, exponentForm, p);
      std::string reference = Reference(v, exponentForm, p);
      ++tally.compared;
      if (ours == reference) continue;
      std::string halfUp = HalfUpOnTie(v, exponentForm, p);
      if (!halfUp.empty() && ours == halfUp) {
        ++tally.ties;
        continue;
      }
      if (++tally.failures <= 20) {
        ADD_FAILURE() << std::hexfloat << v << std::defaultfloat << " (" << v << ") "
                      << (exponentForm ? "exponent" : "fixed") << " precision " << p << ": ours " << ours
                      << ", correctly rounded " << reference
                      << (halfUp.empty() ? " (not a tie)" : ", half up " + halfUp);
      }
    }
  }
}

std::vector<double> EdgeCases() {
  std::vector<double> v = {0.0, -0.0, 0.5, 1.5, 2.5, -2.5, 0.125, 0.375, 0.25, 1e-7, 1.0 / 3};
  for (int k = -45; k <= 38; ++k) {  // powers of ten as floats, with both neighbours
    float f = std::strtof(("1e" + std::to_string(k)).c_str(), nullptr);
    v.push_back(f);
    v.push_back(std::nextafter(f, 0.0f));
    v.push_back(std::nextafter(f, HUGE_VALF));
  }
  for (int k = -30; k <= 30; ++k) v.push_back(std::strtod(("1e" + std::to_string(k)).c_str(), nullptr));
  for (int k = 0; k <= 22; ++k) v.push_back(std::pow(10.0, k) * 5 + 0.5);  // ties at %.0f
  for (int j = 1; j <= 30; ++j) {  // n / 2^j ends in 5 at its j-th decimal: a tie one place up
    for (int n : {1, 3, 5, 7, 1001}) v.push_back(std::ldexp(n, -j));
  }
  // Float denormals, the smallest normal float, the largest float.
  for (std::uint32_t bits : {0x00000001u, 0x00000002u, 0x00000003u, 0x000FFFFFu, 0x007FFFFFu, 0x00800000u,
                             0x00800001u, 0x7F7FFFFFu, 0x7F7FFFFEu, 0x3F7FFFFFu, 0x3F800001u}) {
    float f;
    std::memcpy(&f, &bits, 4);
    v.push_back(f);
  }
  // The ends of double: the largest and smallest values, denormals.
  for (double d : {DBL_MAX, DBL_MIN, 4.9406564584124654e-324, 2.2250738585072009e-308, 1e308, 1e-308,
                   9007199254740993.0, 0.1, 0.7, 123456789012345678.0}) {
    v.push_back(d);
  }
  std::vector<double> both;
  for (double d : v) {
    both.push_back(d);
    both.push_back(-d);
  }
  return both;
}

TEST(RealProperty, EdgeCasesAreCorrectlyRounded) {
  Tally tally;
  for (double v : EdgeCases()) Check(v, tally);
  EXPECT_EQ(tally.failures, 0);
  EXPECT_GT(tally.ties, 50) << "the halfway values above are exact ties";
}

TEST(RealProperty, FloatsAcrossTheWholeRangeAreCorrectlyRounded) {
  // Evenly spaced float bit patterns from the smallest denormal to the largest
  // float (every binade gets its share), a pseudo-random jitter in the low
  // bits, and alternating signs.
  Tally tally;
  const std::uint32_t top = 0x7F7FFFFFu;
  const std::uint32_t stride = top / kFloatSample;
  std::uint32_t jitter = 12345;
  for (int i = 0; i < kFloatSample; i += kSampleStep) {
    jitter = jitter * 1664525u + 1013904223u;
    std::uint32_t bits = 1 + static_cast<std::uint32_t>(i) * stride + (jitter >> 8) % stride;
    if (bits > top) bits = top;
    float f;
    std::memcpy(&f, &bits, 4);
    Check(i % 2 ? -static_cast<double>(f) : static_cast<double>(f), tally);
  }
  EXPECT_EQ(tally.failures, 0);
  std::printf("[ info     ] %ld comparisons, %ld exact ties rounded half up\n", tally.compared, tally.ties);
}

}  // namespace
