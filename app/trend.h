// The trend of one element in the read window: its values as they were read,
// kept for at least the last ten minutes at the fastest interval, and what a
// picture of them needs, worked out without a window: the time and value
// ranges with round tick marks, and the line in pixels, thinned to what each
// pixel column can show (its first, lowest, highest and last value), so that
// no spike is lost however many samples fall on one column.
//
// Threads: the read window's thread (which reads the table and draws).
// Ownership: Trend_Start allocates the samples (runtime heap), Trend_Stop
// frees them; a TrendPicture is the caller's record.
#pragma once

#include <cstdint>

#include "vars/vars.h"

// 10 minutes at 100 ms, with room to spare for a read that came early.
inline constexpr int kTrendCapacity = 8192;
inline constexpr std::uint32_t kTrendSpanMs = 10 * 60 * 1000;
// The shortest time axis: a new trend is not stretched over a few samples.
inline constexpr std::uint32_t kTrendMinSpanMs = 10 * 1000;

struct TrendSample {
  std::int64_t timeMs;  // the tick count of the read, made monotonic
  double value;
};

struct TrendSeries {
  int varIndex = -1;  // what is recorded; -1 nothing
  int element = -1;
  TrendSample* samples = nullptr;  // a ring of kTrendCapacity
  int start = 0, count = 0;
  std::uint32_t lastTick = 0;
  std::int64_t lastTime = 0;
  // Local time of day (ms) minus sample time, from the newest sample's
  // clock: where the time axis puts its round minutes and seconds.
  std::int64_t clockOffsetMs = 0;
};

// The number an element shows, when it shows one: the integer of Bin, Hex,
// Dec and Dec+/- (signed as the view reads it), a Time view's milliseconds,
// a Real view's real, a Char view's code. A date or a time of day is none.
bool Trend_ValueOf(const PlcVariable* var, int element, double* value);
// Whether the element can have a trend (its value is a number).
bool Trend_IsNumeric(const PlcVariable* var, int element);

// Records the element from now on, forgetting what was recorded before.
// False when no memory could be had (nothing recorded then).
bool Trend_Start(TrendSeries* trend, int varIndex, int element);
void Trend_Stop(TrendSeries* trend);
// The recorded element's value after a read at tick (ms) and local time
// clock; nothing when it shows no number or the table no longer has it.
void Trend_Sample(TrendSeries* trend, const VariableTable* table, std::uint32_t tick, const CalendarRecord& clock);
// One value at tick: the oldest goes when the ring is full.
void Trend_Add(TrendSeries* trend, std::uint32_t tick, const CalendarRecord& clock, double value);
const TrendSample* Trend_At(const TrendSeries* trend, int index);  // 0 = oldest

struct TrendPoint {
  int x, y;
};

inline constexpr int kTrendTicksMax = 12;
inline constexpr int kTrendPointsMax = 4 * 2048;

// A picture of the trend in a plot area of width × height pixels.
struct TrendPicture {
  bool empty;                   // nothing recorded yet
  std::int64_t timeFrom, timeTo;  // the time axis (ms, as the samples)
  double low, high, step;       // the value axis and its tick distance
  int valueTicks;
  double valueTick[kTrendTicksMax];
  int valueTickY[kTrendTicksMax];
  int timeTicks;
  std::int64_t timeTick[kTrendTicksMax];
  int timeTickX[kTrendTicksMax];
  std::uint32_t timeStep;       // ms between time ticks
  int points;
  TrendPoint point[kTrendPointsMax];
  double last;                  // the newest value
};
void Trend_Draw(const TrendSeries* trend, int width, int height, TrendPicture* picture);

// A round value axis over low-high with at most maxTicks ticks: a step of
// 1, 2 or 5 times a power of ten, low and high on multiples of it. A flat
// range gets one step around its value.
void Trend_Scale(double low, double high, int maxTicks, double* scaledLow, double* scaledHigh, double* step);

// Tick labels: a time axis tick as the local time "hh:mm:ss" (text needs 9
// bytes), a value with as many decimals as the step needs (text needs
// kTrendValueTextMax bytes; the thread's decimal point). Return the length.
inline constexpr int kTrendValueTextMax = 64;
int Trend_TimeText(const TrendSeries* trend, std::int64_t timeMs, char* text);
int Trend_ValueText(double value, double step, char* text);
