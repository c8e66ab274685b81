// The read window's trend without a window: which elements give a number,
// the ring of ten minutes and more across the tick count's wrap, round
// scales, and a picture whose line keeps a one-sample spike among thousands
// and whose time ticks fall on round minutes of the clock.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/trend.h"
#include "tests/support/var_builder.h"

namespace {

CalendarRecord Clock(int hour, int minute, int second, int ms) {
  return CalendarRecord{2024, 3, 2, 5, static_cast<std::uint16_t>(hour), static_cast<std::uint16_t>(minute),
                        static_cast<std::uint16_t>(second), static_cast<std::uint16_t>(ms)};
}

TEST(Trend, AnElementsNumberIsTheOneItsDisplayModeShows) {
  struct Case {
    const char* definition;
    int view;  // -1: the type's own
    const char* value;
    bool numeric;
    double expected;
  } cases[] = {
      {"MW0:1 (Int)", -1, "-5", true, -5},
      {"MW0:1 (Int)", VAR_VIEW_HEX, "-5", true, 65531},
      {"MD0:1 (Real)", -1, "2.5", true, 2.5},
      {"MD0:1 (Time)", -1, "-1m30s", true, -90000},
      {"M0.0:1 (Bit)", -1, "1", true, 1},
      {"MB0:1 (Char)", -1, "A", true, 65},
      {"MD0:1 (TOD)", -1, "12:00:00.000", false, 0},
      {"MW0:1 (Date)", -1, "2024.03.01", false, 0},
  };
  for (const Case& c : cases) {
    TestVar v(c.definition);
    ASSERT_EQ(Var_EnterValue(0, v.get(), c.value), VAR_VALUE_OK) << c.definition;
    if (c.view >= 0) v.SetView(0, c.view);
    double value = 0;
    EXPECT_EQ(Trend_ValueOf(v.get(), 0, &value), c.numeric) << c.definition;
    EXPECT_EQ(Trend_IsNumeric(v.get(), 0), c.numeric) << c.definition;
    if (c.numeric) {
      EXPECT_DOUBLE_EQ(value, c.expected) << c.definition;
    }
  }
  TestVar real("MD0:1 (Real)");
  real.SetRaw(0, 0x7FC00000);  // a NaN the PLC may well hold
  double value = 0;
  EXPECT_FALSE(Trend_ValueOf(real.get(), 0, &value)) << "no point for what is not a number";
}

TEST(Trend, TheRingKeepsTheNewestAcrossTheTickCountsWrap) {
  TrendSeries t;
  ASSERT_TRUE(Trend_Start(&t, 0, 0));
  const std::uint32_t start = 0xFFFFFFFFu - 50 * 100;  // wraps after 50 samples
  for (int i = 0; i < kTrendCapacity + 10; ++i) Trend_Add(&t, start + static_cast<std::uint32_t>(i) * 100, Clock(1, 0, 0, 0), i);
  ASSERT_EQ(t.count, kTrendCapacity);
  EXPECT_EQ(Trend_At(&t, 0)->value, 10);
  EXPECT_EQ(Trend_At(&t, kTrendCapacity - 1)->value, kTrendCapacity + 9);
  for (int i = 1; i < t.count; ++i) ASSERT_EQ(Trend_At(&t, i)->timeMs - Trend_At(&t, i - 1)->timeMs, 100) << i;
  EXPECT_GE((kTrendCapacity - 1) * 100, static_cast<int>(kTrendSpanMs)) << "ten minutes at 100 ms fit";
  EXPECT_EQ(Trend_At(&t, kTrendCapacity), nullptr);
  Trend_Stop(&t);
  EXPECT_EQ(t.count, 0);
}

TEST(Trend, ScalesAreRoundAndHoldTheRange) {
  struct Case {
    double low, high;
    int ticks;
  } cases[] = {{0, 1, 6}, {3, 97, 6}, {-0.3, 0.7, 5}, {5, 5, 6}, {0, 0, 4}, {-32768, 32767, 8}, {1e-6, 3e-6, 10},
               {123456, 123457, 3}};
  for (const Case& c : cases) {
    double low = 0, high = 0, step = 0;
    Trend_Scale(c.low, c.high, c.ticks, &low, &high, &step);
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step)));
    EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 || std::fabs(mantissa - 5) < 1e-9)
        << c.low << ".." << c.high << " step " << step;
    EXPECT_LE(low, c.low) << c.low;
    EXPECT_GE(high, c.high) << c.high;
    EXPECT_LT(low, high);
    EXPECT_LE((high - low) / step + 1, c.ticks + 1e-9) << c.low << ".." << c.high;
    EXPECT_NEAR(low / step, std::round(low / step), 1e-6);
  }
  double low, high, step;
  Trend_Scale(3, 97, 6, &low, &high, &step);
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 100);
  EXPECT_EQ(step, 20);
}

TEST(Trend, APictureOfTwentyMinutesShowsTheLastTenAndKeepsASpike) {
  TrendSeries t;
  ASSERT_TRUE(Trend_Start(&t, 0, 0));
  // Twenty minutes at 100 ms from 09:40:00.250; one read of 500 among zeros.
  const int reads = 20 * 60 * 10;
  for (int i = 0; i < reads; ++i) {
    const int ms = 250 + i * 100;
    Trend_Add(&t, 5000 + static_cast<std::uint32_t>(i) * 100,
              Clock(9, 40 + ms / 60000, ms / 1000 % 60, ms % 1000), i == reads - 3000 ? 500 : 0);
  }
  TrendPicture p;
  Trend_Draw(&t, 600, 200, &p);
  ASSERT_FALSE(p.empty);
  EXPECT_EQ(p.timeTo - p.timeFrom, static_cast<std::int64_t>(kTrendSpanMs));
  EXPECT_EQ(p.low, 0);
  EXPECT_GE(p.high, 500);
  bool spike = false;
  for (int i = 0; i < p.points; ++i) {
    ASSERT_TRUE(p.point[i].x >= 0 && p.point[i].x < 600 && p.point[i].y >= 0 && p.point[i].y < 200);
    if (i > 0) {
      ASSERT_GE(p.point[i].x, p.point[i - 1].x) << "left to right";
    }
    spike = spike || p.point[i].y <= 200 - 1 - (500 - p.low) / (p.high - p.low) * 199 + 1;
  }
  EXPECT_TRUE(spike) << "a single sample among 6000 on 600 columns";
  EXPECT_LE(p.points, 4 * 600);
  ASSERT_GE(p.timeTicks, 2);
  for (int i = 0; i < p.timeTicks; ++i) {
    char text[9];
    Trend_TimeText(&t, p.timeTick[i], text);
    EXPECT_EQ(std::string(text).substr(5), ":00") << text << ": round minutes of the clock";
    EXPECT_TRUE(p.timeTickX[i] >= 0 && p.timeTickX[i] < 600);
  }
  char text[9];
  Trend_TimeText(&t, p.timeTo, text);
  EXPECT_EQ(std::string(text), "10:00:00") << "the newest read, at 10:00:00.150";
  Trend_Stop(&t);
}

TEST(Trend, AFreshTrendSpansTenSecondsAndFlatValuesGetAScale) {
  TrendSeries t;
  ASSERT_TRUE(Trend_Start(&t, 0, 0));
  TrendPicture p;
  Trend_Draw(&t, 300, 100, &p);
  EXPECT_TRUE(p.empty);
  Trend_Add(&t, 1000, Clock(23, 59, 59, 900), 7);
  Trend_Add(&t, 1200, Clock(0, 0, 0, 100), 7);  // past midnight
  Trend_Draw(&t, 300, 100, &p);
  ASSERT_FALSE(p.empty);
  EXPECT_EQ(p.timeTo - p.timeFrom, static_cast<std::int64_t>(kTrendMinSpanMs));
  EXPECT_LT(p.low, 7);
  EXPECT_GT(p.high, 7);
  char text[9];
  Trend_TimeText(&t, p.timeFrom, text);
  EXPECT_EQ(std::string(text), "23:59:50");
  char value[kTrendValueTextMax];
  Trend_ValueText(0.30000000000000004, 0.1, value);
  EXPECT_EQ(std::string(value), "0.3");
  Trend_ValueText(-1e-17, 0.1, value);
  EXPECT_EQ(std::string(value), "0.0");
  Trend_Stop(&t);
}

}  // namespace
