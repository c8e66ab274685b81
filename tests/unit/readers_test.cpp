// The number readers and the text helpers: values, consumed counts and
// failures for each reading mode, the trims, case folding of code page 1250
// letters, comparison, searching and joining.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>

#include "vars/vars.h"

namespace {

struct IntCase {
  const char* text;
  unsigned flags;
  int decimals;
  std::int64_t value;  // checked only on success
  int consumed;        // negative: the reading fails
};

TEST(ParseIntegerTest, Cases) {
  const IntCase cases[] = {
      {"  -42", 0, 0, -42, 5},
      {"42abc", 0, 0, 42, 2},
      {"abc", 0, 0, 0, 0},
      {"", 0, 0, 0, 0},
      {"-", kReadUnsigned, 0, 0, 0},
      {"-5", kReadUnsigned, 0, 0, 0},
      {"+7", 0, 0, 7, 2},
      {"\t 9", 0, 0, 9, 3},
      {"--1", 0, 0, 0, -1},
      // digit groups
      {"1 234 567", kReadGroups, 0, 1234567, 9},
      {"12 34 567", kReadGroups, 0, 0, -5},
      {"12 34", kReadGroups, 0, 1234, 5},
      {"1234 567", kReadGroups, 0, 0, -4},
      {"1234 567", kReadGroups | kReadLenientGroups, 0, 1234567, 8},
      {" 1", kReadGroups, 0, 1, 2},
      {"1  234", kReadGroups, 0, 0, -2},
      {"1 000", kReadGroups | kReadLenientGroups | kReadUnsigned, 0, 1000, 5},
      {"1 0 0 0", kReadGroups | kReadLenientGroups, 0, 1000, 7},
      // radix and prefix
      {"ff", kReadHex, 0, 255, 2},
      {"FF FF", kReadHex | kReadGroups, 0, 65535, 5},
      {"101", kReadBinary, 0, 5, 3},
      {"1012", kReadBinary, 0, 5, 3},
      {"777", kReadOctal, 0, 511, 3},
      {"0x1F", kReadPrefix, 0, 31, 4},
      {"0X1f", kReadPrefix, 0, 31, 4},
      {"0b101", kReadPrefix, 0, 5, 5},
      {"0o17", kReadPrefix, 0, 15, 4},
      {"0", kReadPrefix, 0, 0, 1},
      {"017", kReadPrefix, 0, 17, 3},
      {"0x", kReadPrefix, 0, 0, -2},
      {"-0x10", kReadPrefix, 0, 0, 2},  // after a sign "0x" is not a prefix: 0, then "x" stops
      {"-ff", kReadHex, 0, 0, 0},        // any radix but decimal is unsigned
      {"ffffffffffffffff", kReadHex, 0, -1, 16},
      // fixed decimals
      {"1.235", kReadPoint, 2, 124, 5},
      {"1.225", kReadPoint, 2, 122, 5},
      {"1.2251", kReadPoint, 2, 123, 6},
      {"1.5", kReadPoint, 2, 150, 3},
      {"3", kReadPoint, 2, 300, 1},
      {"1.2.3", kReadPoint, 2, 0, -3},
      {"-1.235", kReadPoint, 2, -124, 6},
      {"0.995", kReadPoint, 2, 100, 5},
      {"2.5", kReadPoint, 0, 2, 3},
      {"3.5", kReadPoint, 0, 4, 3},
      {"1.2x", kReadPoint, 2, 120, 3},
      {"1.23456789", kReadPoint, 3, 1235, 10},
      {"0", kReadPoint, 1000000000, 0, 1},  // zero needs no filling, however many places
      {"2", kReadPoint, 1000000000, 0, -1},
      {"1.2", 0, 2, 1, 1},              // no point without the flag
      {"1 234.567 8", kReadPoint | kReadGroups, 4, 12345678, 11},
      {"1 234.56 7", kReadPoint | kReadGroups, 4, 0, -8},
      // 64-bit limits
      {"18446744073709551615", 0, 0, -1, 20},
      {"18446744073709551616", 0, 0, 0, -19},
      {"-9223372036854775808", 0, 0, 0, -20},
      {"-9223372036854775807", 0, 0, -9223372036854775807LL, 20},
      {"184467440737095516.15", kReadPoint, 2, -1, 21},
      {"184467440737095516.16", kReadPoint, 3, 0, -20},
      // the 32-bit range check
      {"4294967295", kReadRange32, 0, 4294967295LL, 10},
      {"4294967296", kReadRange32, 0, 0, -10},
      {"-5", kReadRange32, 0, -5, 2},
      {"4294967295", kReadRange32 | kReadUnsigned, 0, 4294967295LL, 10},
  };
  for (const IntCase& c : cases) {
    int consumed = 12345;
    std::int64_t v = ParseInteger(c.text, c.flags, c.decimals, &consumed);
    EXPECT_EQ(consumed, c.consumed) << '"' << c.text << "\" flags " << std::hex << c.flags;
    std::int64_t expected = c.consumed > 0 ? c.value : 0;  // a failed reading gives 0
    EXPECT_EQ(v, expected) << '"' << c.text << '"';
  }
  EXPECT_EQ(ParseInteger("12", 0, 0, nullptr), 12) << "the count is optional";
  int consumed = 1;
  EXPECT_EQ(ParseInteger(nullptr, 0, 0, &consumed), 0);
  EXPECT_EQ(consumed, 0);
}

struct RealCase {
  const char* text;
  unsigned flags;
  double value;
  int consumed;
};

TEST(ParseRealTest, Cases) {
  const RealCase cases[] = {
      {"3.25", 0, 3.25, 4},
      {"1,5", 0, 1, 1},
      {"1.5E+3", 0, 1500, 6},
      {"1.5e-3", 0, 0.0015, 6},
      {"1.5E3", 0, 0, -4},
      {"1.5E+", 0, 0, -5},
      {"1 234.5", kReadGroups, 1234.5, 7},
      {"1 234.5", 0, 1, 1},
      {"1234 567.5", kReadGroups, 0, -4},
      {"1 234.567 8", kReadGroups, 1234.5678, 11},
      {".5", 0, 0.5, 2},
      {".", 0, 0, -1},
      {"", 0, 0, 0},
      {"  -2.5x", 0, -2.5, 6},
      {"-2.5", kReadUnsigned, 0, 0},
      {"+0", 0, 0, 2},
      {"1.2.3", 0, 0, -3},
      {"0.1", 0, 0.1, 3},
      {"3.4028234663852886e+38", 0, 3.4028234663852886e38, 22},
      {"1e+4999", 0, 0, 7},   // beyond a double: 0, still a reading
      {"1e+5000", 0, 0, -7},  // beyond the exponent limit
      {"1e-400", 0, 0, 6},
      {"4.9406564584124654e-324", 0, 4.9406564584124654e-324, 23},
      {"1E+0000000000000000003", 0, 1000, 22},
      {"2.2250738585072011e-308", 0, 2.2250738585072011e-308, 23},
      {"9007199254740993", 0, 9007199254740992.0, 16},  // a tie rounds to even
      {"0.000000000000000000000000000000000000000000001", 0, 1e-45, 47},
  };
  for (const RealCase& c : cases) {
    int consumed = 12345;
    double v = ParseReal(c.text, c.flags, &consumed);
    EXPECT_EQ(consumed, c.consumed) << '"' << c.text << '"';
    EXPECT_EQ(v, c.value) << '"' << c.text << '"';
  }
  EXPECT_TRUE(std::signbit(ParseReal("-0.0", 0, nullptr)));

  // A thousand digits: the tail beyond what a double can hold still rounds.
  std::string many = "1." + std::string(1000, '0') + "1";
  int consumed = 0;
  EXPECT_EQ(ParseReal(many.c_str(), 0, &consumed), 1.0);
  EXPECT_EQ(consumed, static_cast<int>(many.size()));
  std::string half = "9007199254740993" + std::string(900, '0') + "1e-901";
  EXPECT_EQ(ParseReal(half.c_str(), 0, nullptr), 9007199254740994.0)
      << "just above a tie rounds up even 900 digits later";
}

// The single-precision reading rounds the digits once; what rounds past the
// largest single overflows, what falls below the smallest reads as 0.
TEST(ParseRealTest, Single) {
  struct Case {
    const char* text;
    float value;
    int consumed;
    bool overflow;
  } cases[] = {
      {"3.4028235e+38", FLT_MAX, 13, false},
      {"-3.40282356e+38", -FLT_MAX, 15, false},
      {"3.4028236e+38", 0, 13, true},
      {"-1e+39", 0, 6, true},
      {"1e+4999", 0, 7, true},
      {"340282356779733661637539395458142568447.9", FLT_MAX, 41, false},  // via a double: infinity
      {"340282356779733661637539395458142568448", 0, 39, true},          // the tie goes to even: infinity
      {"1.4e-45", 1.4e-45f, 7, false},
      {"1e-46", 0, 5, false},
      {"16777217", 16777216.0f, 8, false},  // a tie rounds to even
      {"0.1", 0.1f, 3, false},
      {"1.5E3", 0, -4, false},
  };
  for (const Case& c : cases) {
    int consumed = 12345;
    bool overflow = !c.overflow;
    const float v = ParseRealSingle(c.text, 0, &consumed, &overflow);
    EXPECT_EQ(consumed, c.consumed) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
    EXPECT_EQ(overflow, c.overflow) << c.text;
  }
  EXPECT_TRUE(std::signbit(ParseRealSingle("-1e-50", 0, nullptr, nullptr)));
}

TEST(TextHelpers, Trimming) {
  char out[32];
  EXPECT_EQ(TrimCopyN(out, "  abc  ", 5, kTrimBoth), 3);
  EXPECT_STREQ(out, "abc");
  EXPECT_EQ(TrimCopyN(out, "  abc  ", 3, kTrimBoth), 2);
  EXPECT_STREQ(out, "ab");
  EXPECT_EQ(TrimCopyN(out, "ab  cd", 5, kTrimTrailing), 2) << "trailing blanks judged on the copied part";
  EXPECT_STREQ(out, "ab");
  EXPECT_EQ(TrimCopyN(out, "abc", 0, kTrimBoth), 0);
  EXPECT_EQ(TrimCopy(out, " \t x y \t ", kTrimBoth), 3);
  EXPECT_STREQ(out, "x y");
  EXPECT_EQ(TrimCopy(out, "  x  ", kTrimLeading), 3);
  EXPECT_STREQ(out, "x  ");
  EXPECT_EQ(TrimCopy(out, "  x  ", kTrimTrailing), 3);
  EXPECT_STREQ(out, "  x");
  EXPECT_EQ(TrimCopy(out, nullptr, kTrimBoth), 0);
  EXPECT_STREQ(out, "");
  char text[] = " \tname \t";
  EXPECT_EQ(TrimInPlace(text, kTrimBoth), 4);
  EXPECT_STREQ(text, "name");
  char spaces[] = "   ";
  EXPECT_EQ(TrimInPlace(spaces, kTrimBoth), 0);
  EXPECT_STREQ(spaces, "");
  char keepNewline[] = " a\r\n";
  EXPECT_EQ(TrimInPlace(keepNewline, kTrimBoth), 3) << "only blanks and tabs are white space";
}

TEST(TextHelpers, CaseFolding) {
  char text[] = "int \xE1rv\xEDz \xF5\xFB \xFF\xF7";
  EXPECT_EQ(UpperCaseText(text), 15);
  EXPECT_STREQ(text, "INT \xC1RV\xCDZ \xD5\xDB \xFF\xD7");
  EXPECT_EQ(CompareNoCase("int", "Int"), 0);
  EXPECT_EQ(CompareNoCase("\xE1rv\xEDz", "\xC1RV\xCDZ"), 0);  // árvíz, ÁRVÍZ
  EXPECT_EQ(CompareNoCase("abc", "abd"), -1);
  EXPECT_EQ(CompareNoCase("abd", "ABC"), 1);
  EXPECT_EQ(CompareNoCase("ab", "abc"), -1);
  EXPECT_EQ(CompareNoCase("\xE9", "z"), 1) << "bytes compare unsigned";
  EXPECT_EQ(CompareNoCase(nullptr, "a"), -1);
  EXPECT_EQ(CompareNoCase("a", nullptr), 1);
  EXPECT_EQ(CompareNoCase(nullptr, nullptr), 0);
}

TEST(TextHelpers, CompareBytes) {
  EXPECT_EQ(CompareBytes("abc", "abd", 2), 0);
  EXPECT_EQ(CompareBytes("abc", "abd", 3), -1);
  EXPECT_EQ(CompareBytes("\xFF", "\x01", 1), 1);
  EXPECT_EQ(CompareBytes("a", "b", 0), 0);
  EXPECT_EQ(CompareBytes(nullptr, nullptr, 5), 0);
  EXPECT_EQ(CompareBytes("a", nullptr, 1), 1);
  EXPECT_EQ(CompareBytes(nullptr, "a", 1), -1);
  EXPECT_EQ(CompareBytes("a", nullptr, 0), 1);
}

TEST(TextHelpers, Searching) {
  EXPECT_EQ(FindText("Var = x", "=", 0, 0), 4);
  EXPECT_EQ(FindText("abcabc", "bc", 2, 0), 4);
  EXPECT_EQ(FindText("abcabc", "BC", 0, 0), -1);
  EXPECT_EQ(FindText("abcabc", "BC", 0, 1), 1);
  EXPECT_EQ(FindText("abc", "", 2, 0), 2);
  EXPECT_EQ(FindText("abc", "", 3, 0), 3);
  EXPECT_EQ(FindText("abc", "", 4, 0), -1);
  EXPECT_EQ(FindText("abc", "abcd", 0, 0), -1);
  EXPECT_EQ(FindText(nullptr, "a", 0, 0), -1);
  EXPECT_EQ(FindText("\xE1rv\xEDz", "\xCDZ", 0, 1), 3);
  EXPECT_EQ(FindChar("a=b=c", '=', 0, -1, 0), 1);
  EXPECT_EQ(FindChar("a=b=c", '=', 2, -1, 0), 3);
  EXPECT_EQ(FindChar("a=b=c", '=', 2, 3, 0), -1) << "looks at most maxLength characters";
  EXPECT_EQ(FindChar("abC", 'c', 0, -1, 1), 2);
  EXPECT_EQ(FindChar("abC", 'c', 0, -1, 0), -1);
  EXPECT_EQ(FindChar("abc", 'c', 0, 10, 0), 2) << "the end of the text comes first";
}

TEST(TextHelpers, Concat) {
  char out[32];
  EXPECT_EQ(ConcatText(out, "Var", "12"), 5);
  EXPECT_STREQ(out, "Var12");
  EXPECT_EQ(ConcatText(out, nullptr, "x"), 1);
  EXPECT_STREQ(out, "x");
  EXPECT_EQ(ConcatText(out, out, "yz"), 3) << "appending to itself";
  EXPECT_STREQ(out, "xyz");
}

}  // namespace
