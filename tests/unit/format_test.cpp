// The formatting engine: every directive against its expected text, the
// number writers called directly, the bounded form against the unbounded one
// on every buffer size, string ids passed pointer-sized, time stamps, and the
// thread's formatting settings.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>

#include "runtime/runtime.h"
#include "vars/format_internal.h"
#include "vars/vars.h"

namespace {

const CalendarRecord kClock = {2021, 3, 4, 4, 9, 5, 7, 42};
const CalendarRecord* const kNoRecord = nullptr;

// Runs one format through the unbounded form and through the bounded form
// with every buffer size up to one past the text: each bounded result must be
// the text cut to size, and nothing may be written past the size given.
template <class... A>
void Expect(const std::string& expected, const char* format, A... args) {
  SCOPED_TRACE(std::string("format \"") + format + "\"");
  char out[4096];
  std::memset(out, '#', sizeof out);
  int n = FormatText(out, format, args...);
  ASSERT_EQ(std::string(out, static_cast<std::size_t>(n)), expected);
  ASSERT_EQ(out[n], '\0');
  for (std::size_t size = 0; size <= expected.size() + 1; ++size) {
    char bounded[4096];
    std::memset(bounded, '#', sizeof bounded);
    int m = FormatTextN(bounded, size, format, args...);
    std::size_t want = size == 0 ? 0 : std::min(size - 1, expected.size());
    ASSERT_EQ(static_cast<std::size_t>(m), want) << "size " << size;
    ASSERT_EQ(std::string(bounded, want), expected.substr(0, want)) << "size " << size;
    if (size > 0) {
      ASSERT_EQ(bounded[want], '\0') << "size " << size;
    }
    for (std::size_t k = size; k < size + 8; ++k) ASSERT_EQ(bounded[k], '#') << "wrote past size " << size;
  }
}

TEST(FormatText, Integers) {
  Expect("-2147483648", "%d", INT32_MIN);
  Expect("4294967295", "%u", -1);
  Expect("ffffffd6", "%x", -42);
  Expect("FF", "%X", 255);
  Expect("101", "%b", 5);
  Expect("17", "%o", 15);
  Expect("42", "%i", 42);
  Expect("1 234 567", "%#d", 1234567);
  Expect("-1 234 567", "%#d", -1234567);
  Expect("123", "%#d", 123);
  Expect("1234 5678", "%#x", 0x12345678);
  Expect("1 11111111", "%#b", 0x1FF);
  Expect("0", "%+d", 0);
  Expect("+5", "%+d", 5);
  Expect(" 5", "% d", 5);
  Expect("-5", "% d", -5);
  Expect("    42", "%6d", 42);
  Expect("12345", "%2d", 12345);
  Expect("5d", "%-5d", 42);  // no left-justification: "-" ends the directive
  Expect("00042", "%05d", 42);
  Expect("-00042", "%05d", -42);
  Expect("42", "%0d", 42);             // zero padding without a width is dropped
  Expect("00042", "%05.0d", 42);       // a precision of 0 keeps it
  Expect(" 0.42", "%05.2d", 42);       // a positive precision cancels it
  Expect("0000002a", "%08x", 42);
  Expect("0.007", "%.3d", 7);
  Expect("-1.234", "%.3d", -1234);
  Expect("12.34", "%.2u", 1234);
  Expect("1 234.567", "%#.3d", 1234567);
  Expect("2a", "%.3x", 42);            // the precision does nothing more for hex
  Expect("  0.005", "%7.3d", 5);
}

TEST(FormatText, SixtyFourBitIntegers) {
  Expect("-9223372036854775808", "%lld", INT64_MIN);
  Expect("18446744073709551615", "%llu", -1LL);
  Expect("ffffffffffffffff", "%I64x", -1LL);
  Expect("123456789012", "%I64d", 123456789012LL);
  Expect("1 234 567 890 123", "%#lld", 1234567890123LL);
  // Accepted and ignored: I32, I, h, l.
  Expect("7 7 7 7", "%I32d %Id %hd %ld", 7, 7, 7, 7);
}

TEST(FormatText, Reals) {
  Expect("3.141590", "%f", 3.14159);
  Expect("1", "%.0f", 0.5);
  Expect("3", "%.0f", 2.5);
  Expect("0.01", "%.2f", 0.009);
  Expect("0.000000e+00", "%e", 0.0);
  Expect("1 234 567.89", "%#.2f", 1234567.891);
  Expect("1.234568e+04", "%e", 12345.678);
  Expect("1.500000E-07", "%E", 1.5e-7);
  Expect("-0.000000", "%f", -0.0);
  Expect("0.000000", "%+f", 0.0);
  Expect("+1.500", "%+.3f", 1.5);
  Expect("  1.5", "%5.1f", 1.5);
  Expect("  1.5", "%05.1f", 1.5);  // no zero padding for reals
  Expect("+oo", "%f", HUGE_VAL);
  Expect("-oo", "%.2e", -HUGE_VAL);
  Expect("  ???", "%5f", std::nan(""));
  Expect("1.000000000000000000", "%.30f", 1.0);  // at most 18 decimals
  Expect("1.0e+01", "%.1e", 9.96);                // the carry raises the exponent
  Expect("1.00e+100", "%.2e", 1e100);
  Expect("4.940656e-324", "%e", 4.9406564584124654e-324);  // smallest denormal, exactly
  Expect("179769313486231570814527423731704356798070567525844996598917476803157260780028538760589558632766878171540458953514382464234321326889464182768467546703537516986049910576551282076245490090389328944075868508455133942304583236903222948165808559332123348274797826204144723168738177180919299881250404026184124858368.00",
         "%.2f", DBL_MAX);
  Expect("340282346638528859811704183484516925440", "%.0f", static_cast<double>(FLT_MAX));
  Expect("0.100000000000000006", "%.18f", 0.1);  // 0.1000000000000000055511…
  Expect("3.0000000", "%.7f", 2.99999999);
  Expect("1.234 5", "%#.4f", 1.2345);
  Expect("1.234 500e+03", "%#e", 1234.5);
}

TEST(FormatText, CharactersAndTexts) {
  Expect("xxx", "%*c", 3, 'x');
  Expect("", "%*c", 0, 'x');
  Expect("x", "%c", 'x' + 0x100);  // the low byte
  Expect(std::string("a\0b", 3), "a%cb", 0);
  Expect("abc", "%3s", "abcdef");
  Expect("abcdef", "%s", "abcdef");
  Expect("", "%s", static_cast<const char*>(nullptr));
  Expect("Nem j\xF6tt v\xE1lasz id\xF5" "ben", "%s", TextId(IDS_ERR_TIMEOUT));
  Expect("", "%s", TextId(9));  // an id the table does not hold
  Expect("%", "%%");
  Expect("100%", "%d%%", 100);
  Expect("ab", "a%yb");          // an unknown conversion writes nothing
  Expect("a", "a%");             // a "%" at the end writes nothing
  Expect("a", "a%5.2");          // nor does a directive cut off by the end
}

TEST(FormatText, TextsStopAt32766Characters) {
  std::string longText(40000, 'z');
  char* out = new char[41000];
  EXPECT_EQ(FormatText(out, "%s", longText.c_str()), 32766);
  EXPECT_EQ(FormatText(out, "%39000s", longText.c_str()), 39000);
  delete[] out;
}

TEST(FormatText, StringIdAndPointerBothWork) {
  // The id travels pointer-sized: on 64-bit builds an int read back as a
  // pointer would take garbage from the upper half of the argument slot.
  char out[256];
  FormatText(out, "%s|%s|%s", TextId(IDS_ERR_OK), "plain", TextId(IDS_OP_CONNECT));
  EXPECT_STREQ(out, "OK|plain|S7_Connect");
  static_assert(sizeof(TextId(1)) == sizeof(void*));
  // Every id the log formats use is found.
  for (int e = 0; e <= 29; ++e) {
    ASSERT_GT(FormatText(out, "%s", TextId(IDS_ERR_OK + e)), 0) << e;
  }
  // A real text at a low address is impossible on the supported systems; an
  // address above 65535 is always taken as a pointer.
  EXPECT_GT(reinterpret_cast<std::uintptr_t>("x"), 65535u);
}

TEST(FormatText, AddressesAndDumps) {
  Expect("192.168.1.1", "%a", 0x0101A8C0);
  Expect("192.168.  1.  1", "%3a", 0x0101A8C0);
  const unsigned char bytes[8] = {0x01, 0x02, 0x03, 0x04, 0xAB, 0xCD, 0xEF, 0x10};
  Expect("0201 0403", "%2.2m", bytes);
  Expect("01", "%m", bytes);
  Expect("01 02 03", "%3m", bytes);
  Expect("04030201 10efcdab", "%2.4m", bytes);
  Expect("10efcdab04030201", "%.8m", bytes);
  Expect("01 02", "%2.3m", bytes);  // other item sizes are one byte
  Expect("", "%4m", static_cast<const void*>(nullptr));
}

TEST(FormatText, Sections) {
  Expect("Ok - x", "%[%s - %]%s", "Ok", 1, "x");
  Expect("x", "%[%s - %]%s", "Ok", 0, "x");
  Expect("W10", "%[%c%]%d%[.%d%]", 'W', 'W', 10, 0, 0);
  Expect("4.3", "%[%c%]%d%[.%d%]", 0, 0, 4, 3, 1);
  Expect("ac", "%[a%[b%]c%]", 0, 1);
  Expect("", "%[a%[b%]c%]", 1, 0);
  Expect("ab", "a%]b", 0);           // a "%]" at depth 0 is ignored but takes its argument
  Expect("12345", "%[1%[2%[3%[4%[5%]%]%]%]%]", 0, 1, 1, 1, 1);  // only 4 levels remembered
  Expect("1", "%[1%[2%[3%[4%[5%]%]%]%]%]", 1, 1, 1, 0, 1);
  Expect("x", "x%[%s%]", "yyyy", 0);
  Expect("x", "x%[abc%ll]", 0LL);    // a 64-bit condition
}

TEST(FormatText, LogEntry) {
  const char* entry = LoadText(IDS_LOG_ENTRY);
  ASSERT_NE(entry, nullptr);
  Expect("Press 1 - S7_Connect : OK.\r\n\tPDU m\xE9ret : 240\r\n", entry, "Press 1", 1,
         TextId(IDS_OP_CONNECT), TextId(IDS_ERR_OK), 0, 0, 0, "\tPDU m\xE9ret : 240\r\n");
  Expect("S7_Connect : Socket hiba. Kieg\xE9sz\xEDt\xF5 hibak\xF3" "d : 10061(0x274d).\r\n", entry, "", 0,
         TextId(IDS_OP_CONNECT), TextId(IDS_ERR_SOCKET), 10061, 10061, 10061, "");
}

TEST(FormatText, DatesTimesAndDurations) {
  Expect("2021.03.04", "%D", &kClock);
  Expect("09:05:07", "%T", &kClock);
  Expect("09:05:07.042", "%.3T", &kClock);
  Expect("09:05:07.0", "%.1T", &kClock);
  Expect("09:05:07.04", "%.2T", &kClock);
  Expect("09:05:07.042", "%.9T", &kClock);
  Expect("", "%D%T", kNoRecord, kNoRecord);
  Expect("99.999", "%.3t", 99999);
  Expect("12.345", "%.3t", 12345);
  Expect("12.3", "%.1t", 12345);
  Expect("12", "%t", 12345);
  Expect("  12.3", "%6.1t", 12345);
  Expect("01:40", "%t", 100000);
  Expect("01:02:03.004", "%.3t", 3723004);
  Expect("12:34", "%t", 754000);
  Expect("100:00:00", "%t", 360000000);
  Expect(">999:59:59", "%t", static_cast<int>(4000000000u));
  Expect("01:40.000", "%.3t", 100000);
  Expect(">999:59:59.999", "%.5llt", 1LL << 32);  // a high word counts as too long
  Expect("12:34", "%llt", 754000LL);
}

TEST(FormatText, MissingOutputAndFormat) {
  EXPECT_EQ(FormatText(nullptr, "%d", 5), 0);
  char out[8] = "junk";
  EXPECT_EQ(FormatText(out, nullptr), 0);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(FormatTextN(out, 0, "%d", 5), 0);
  EXPECT_STREQ(out, "") << "size 0 writes nothing, not even the zero";
}

TEST(FormatText, ArgumentsFromAnArrayMatchVarargs) {
  FormatArg args[4];
  args[0].kind = FormatArgKind::Text;
  args[0].text = TextId(IDS_ERR_TIMEOUT);
  args[1].kind = FormatArgKind::Int;
  args[1].i = 10061;
  args[2].kind = FormatArgKind::Real;
  args[2].d = 2.5;
  args[3].kind = FormatArgKind::Int;
  args[3].i = 1;
  FormatArgList list{args, 4, 0, false};
  char a[128], b[128];
  FormatTextArgs(a, sizeof a, "%s %#x %.0f%[!%]", &list);
  FormatText(b, "%s %#x %.0f%[!%]", TextId(IDS_ERR_TIMEOUT), 10061, 2.5, 1);
  EXPECT_STREQ(a, b);
  EXPECT_FALSE(list.mismatch);
  EXPECT_EQ(list.next, 4);
  FormatArgList wrong{args, 4, 0, false};
  FormatTextArgs(a, sizeof a, "%d", &wrong);
  EXPECT_TRUE(wrong.mismatch) << "a text where an integer is asked for";
}

TEST(FormatNumbers, IntegerWriter) {
  static const char kSixtyFourBits[] =
      "0000000000000000000000000000000000000000000000000000000000000001";
  struct Case {
    std::uint64_t value;
    unsigned flags;
    int precision, width;
    const char* expected;
  } cases[] = {
      {0x1234, 0x27, 16, 0, "00010010 00110100"},   // Bin view of a Word
      {0x12345678, 0x25, 8, 0, "1234 5678"},        // Hex view of a DWord
      {10, 0x25, 2, 0, "0a"},                       // Hex view of a Byte
      {static_cast<std::uint64_t>(-1234), 0x20, 0, 0, "-1 234"},   // Dec+/- view
      {65535, 0x30, 0, 0, "65 535"},                // Dec view
      {static_cast<std::uint64_t>(-1), 0x30, 0, 0, "18 446 744 073 709 551 615"},
      {5, kFmtFixedPoint, 3, 0, "0.005"},
      {1234, kFmtFixedPoint, 3, 8, "   1.234"},
      {1200, kFmtFixedPoint | kFmtTrimZeros, 3, 0, "1.2"},
      {1000, kFmtFixedPoint | kFmtTrimZeros, 3, 0, "1"},
      {1000, kFmtFixedPoint | kFmtTrimZeros | kFmtKeepOneDecimal, 3, 0, "1.0"},
      {0xABCDEF, kFmtHex | kFmtUpper, 0, 0, "ABCDEF"},
      {1, kFmtBinary | kFmtZeroPad, 100, 0, kSixtyFourBits},  // at most 64 digits
      {5, kFmtZeroPad, 3, 6, "   005"},
      {7, kFmtBlank, 0, 0, " 7"},
  };
  for (const Case& c : cases) {
    char out[256];
    int n = FormatInteger(out, static_cast<std::uint32_t>(c.value), static_cast<std::uint32_t>(c.value >> 32),
                          c.flags, c.precision, c.width);
    EXPECT_EQ(std::string(out, static_cast<std::size_t>(n)), c.expected) << std::hex << c.value << " flags " << c.flags;
  }
}

TEST(FormatNumbers, RealWriterForTheRealView) {
  // The Real view: fixed with grouping and trimmed fraction keeping ".0"
  // (0xE0), exponent form with a grouped fraction (0x820).
  struct Case {
    double value;
    unsigned flags;
    int precision;
    const char* expected;
  } cases[] = {
      {3.14159274, 0xE0, 6, "3.141 593"},
      {2.5, 0xE0, 7, "2.5"},
      {100.0, 0xE0, 5, "100.0"},
      {0.0, 0xE0, 7, "0.0"},
      {12345.678, 0xE0, 3, "12 345.678"},
      {1234567.0, 0xE0, 1, "1 234 567.0"},
      {-0.1, 0xE0, 7, "-0.1"},
      {12345678.0, 0x820, 6, "1.234 568e+07"},
      {0.0000001234, 0x820, 6, "1.234 000e-07"},
      {1.0e7, 0x820, 6, "1.000 000e+07"},
      {9999999.0, 0xE0, 1, "9 999 999.0"},
      {1.5, 0x840, 6, "1.5e+00"},
      {1.0, 0x840, 6, "1e+00"},
  };
  for (const Case& c : cases) {
    char out[600];
    int n = FormatReal(out, c.value, c.flags, c.precision, 0);
    EXPECT_EQ(std::string(out, static_cast<std::size_t>(n)), c.expected) << c.value;
  }
  char out[600];
  EXPECT_EQ(FormatReal(out, 1.5, 0, 1, 6), 6);
  EXPECT_STREQ(out, "   1.5");
}

TEST(FormatNumbers, FillAndPower) {
  char out[16];
  EXPECT_EQ(FillText(out, '-', 5), 5);
  EXPECT_STREQ(out, "-----");
  EXPECT_EQ(FillText(out, '-', 0), 0);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(PowerOf(10, 0), 1.0);
  EXPECT_EQ(PowerOf(10, 18), 1e18);
  EXPECT_EQ(PowerOf(2, 10), 1024.0);
  EXPECT_EQ(PowerOf(2, -2), 0.25);
}

TEST(FormatTimeStampTest, GivenRecordAndLocalTime) {
  CalendarRecord r = kClock;
  char out[64];
  EXPECT_EQ(FormatTimeStamp({.withDate = true, .leadingTabs = 1}, &r, out), 20);
  EXPECT_STREQ(out, "\t2021.03.04 09:05:07");
  FormatTimeStamp({.precision = 7}, &r, out);
  EXPECT_STREQ(out, "09:05:07.042") << "precision clamped to 3";
  FormatTimeStamp({.withDate = true, .precision = 2, .leadingTabs = 2}, &r, out);
  EXPECT_STREQ(out, "\t\t2021.03.04 09:05:07.04");

  CalendarRecord now = {};
  int n = FormatTimeStamp({.takeLocalTime = true, .withDate = true, .precision = 3}, &now, out);
  EXPECT_EQ(n, 23);
  EXPECT_GE(now.year, 2020);
  EXPECT_GE(now.month, 1);
  char again[64];
  FormatText(again, "%D %.3T", &now, &now);
  EXPECT_STREQ(out, again) << "the local time is stored into the record first";
  EXPECT_EQ(FormatTimeStamp({}, nullptr, out), 8) << "no record: the current time";
}

// The settings come from the calling thread's ThreadContext; a worker with
// other settings formats and reads with them while the main thread keeps its
// own.
struct LocaleRun {
  char real[64], date[64], grouped[64];
  double parsed;
  int consumed;
};

int FormatWithOtherSettings(void* arg) {
  auto* run = static_cast<LocaleRun*>(arg);
  CurrentThreadContext()->localeWord = 0x0002272C;  // ',' point, '\'' groups, day.month.year
  FormatText(run->real, "%#.2f", 1234567.891);
  FormatText(run->date, "%D", &kClock);
  FormatText(run->grouped, "%#d|%.2d", 1234567, 314);
  run->parsed = ParseReal("1'234,5", kReadGroups, &run->consumed);
  return 0;
}

TEST(FormatSettings, ComeFromTheCallingThread) {
  LocaleRun run{};
  PlatThread t = StartThread(FormatWithOtherSettings, &run);
  ASSERT_NE(t, nullptr);
  int code = -1;
  ASSERT_EQ(Plat_WaitThread(t, 10000, &code), 1);
  Rt_CloseThread(t);
  EXPECT_STREQ(run.real, "1'234'567,89");
  EXPECT_STREQ(run.date, "04.03.2021");
  EXPECT_STREQ(run.grouped, "1'234'567|3,14");
  EXPECT_EQ(run.parsed, 1234.5);
  EXPECT_EQ(run.consumed, 7);

  char out[64];
  FormatText(out, "%#.2f %D", 1234567.891, &kClock);
  EXPECT_STREQ(out, "1 234 567.89 2021.03.04") << "the main thread's settings are its own";

  std::uint32_t saved = CurrentThreadContext()->localeWord;
  CurrentThreadContext()->localeWord = 0x0001202E;  // month.day.year
  FormatText(out, "%D", &kClock);
  CurrentThreadContext()->localeWord = saved;
  EXPECT_STREQ(out, "03.04.2021");
}

}  // namespace
