// The trend's samples and the arithmetic of its picture: round scales, the
// ticks of both axes, and a line thinned per pixel column.
#include "app/trend.h"

#include <cmath>
#include <cstring>
#include <iterator>

#include "runtime/runtime.h"

namespace {

constexpr std::int64_t kDayMs = 24LL * 60 * 60 * 1000;
// Time tick distances a reader counts in easily.
constexpr std::uint32_t kTimeSteps[] = {1000,  2000,   5000,   10000,  15000,  30000,
                                        60000, 120000, 300000, 600000, 1800000};

double NiceStep(double raw) {
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double f : {1.0, 2.0, 5.0})
    if (f * power >= raw * (1 - 1e-12)) return f * power;
  return 10 * power;
}

int Clamp(int v, int low, int high) { return v < low ? low : v > high ? high : v; }

int YOf(double v, const TrendPicture& p, int height) {
  const double r = (p.high - v) / (p.high - p.low);
  return Clamp(static_cast<int>(std::lround(r * (height - 1))), 0, height - 1);
}

void AddPoint(TrendPicture* p, int x, int y) {
  if (p->points > 0 && p->point[p->points - 1].x == x && p->point[p->points - 1].y == y) return;
  if (p->points < kTrendPointsMax) p->point[p->points++] = {x, y};
}

// Per pixel column the first, lowest, highest and last value: the line
// through them covers every sample of the column.
struct Column {
  int x = -1;
  double first, low, high, last;
};

void FlushColumn(const Column& c, TrendPicture* p, int height) {
  if (c.x < 0) return;
  AddPoint(p, c.x, YOf(c.first, *p, height));
  AddPoint(p, c.x, YOf(c.low, *p, height));
  AddPoint(p, c.x, YOf(c.high, *p, height));
  AddPoint(p, c.x, YOf(c.last, *p, height));
}

void TimeTicks(const TrendSeries* t, int width, TrendPicture* p) {
  const std::int64_t span = p->timeTo - p->timeFrom;
  const int most = Clamp(width / 90, 2, kTrendTicksMax);
  std::uint32_t step = kTimeSteps[std::size(kTimeSteps) - 1];
  for (std::uint32_t s : kTimeSteps)
    if (span / s < most) {
      step = s;
      break;
    }
  p->timeStep = step;
  // Ticks on round times of the local clock, not of the tick count.
  const std::int64_t clockFrom = p->timeFrom + t->clockOffsetMs;
  std::int64_t tick = (clockFrom / step + (clockFrom % step > 0 ? 1 : 0)) * step - t->clockOffsetMs;
  for (p->timeTicks = 0; tick <= p->timeTo && p->timeTicks < kTrendTicksMax; tick += step) {
    p->timeTick[p->timeTicks] = tick;
    p->timeTickX[p->timeTicks++] = static_cast<int>((tick - p->timeFrom) * (width - 1) / (span > 0 ? span : 1));
  }
}

}  // namespace

bool Trend_ValueOf(const PlcVariable* var, int element, double* value) {
  const int view = Var_EffectiveView(element, var);
  std::int64_t raw = 0;
  if (view == VAR_VIEW_DATE_TIME || !Var_GetElement(element, var, &raw, nullptr)) return false;
  if (view != VAR_VIEW_REAL) {
    *value = static_cast<double>(raw);
    return true;
  }
  const auto bits = static_cast<std::uint32_t>(raw);
  float real;
  std::memcpy(&real, &bits, sizeof real);
  if (!std::isfinite(real)) return false;
  *value = real;
  return true;
}

bool Trend_IsNumeric(const PlcVariable* var, int element) {
  return element >= 0 && element < var->count && var->values && Var_EffectiveView(element, var) != VAR_VIEW_DATE_TIME;
}

bool Trend_Start(TrendSeries* trend, int varIndex, int element) {
  Trend_Stop(trend);
  trend->samples = static_cast<TrendSample*>(Rt_Alloc(0, sizeof(TrendSample) * kTrendCapacity));
  if (!trend->samples) return false;
  trend->varIndex = varIndex;
  trend->element = element;
  return true;
}

void Trend_Stop(TrendSeries* trend) {
  Rt_Free(trend->samples);
  *trend = TrendSeries{};
}

void Trend_Sample(TrendSeries* trend, const VariableTable* table, std::uint32_t tick, const CalendarRecord& clock) {
  if (!trend->samples || trend->varIndex < 0 || trend->varIndex >= VarTable_Count(table)) return;
  const PlcVariable* var = &table->vars[trend->varIndex];
  double value = 0;
  if (trend->element < var->count && Trend_ValueOf(var, trend->element, &value)) Trend_Add(trend, tick, clock, value);
}

void Trend_Add(TrendSeries* trend, std::uint32_t tick, const CalendarRecord& clock, double value) {
  if (!trend->samples) return;
  // The tick count wraps after 49 days; the samples' time does not.
  trend->lastTime = trend->count == 0 && trend->lastTime == 0 ? tick : trend->lastTime + (tick - trend->lastTick);
  trend->lastTick = tick;
  const std::int64_t clockMs =
      ((clock.hour * 60LL + clock.minute) * 60 + clock.second) * 1000 + clock.milliseconds;
  trend->clockOffsetMs = clockMs - trend->lastTime;
  int at = trend->start + trend->count;
  if (trend->count == kTrendCapacity) {
    at = trend->start;
    trend->start = (trend->start + 1) % kTrendCapacity;
  } else {
    ++trend->count;
  }
  trend->samples[at % kTrendCapacity] = {trend->lastTime, value};
}

const TrendSample* Trend_At(const TrendSeries* trend, int index) {
  if (index < 0 || index >= trend->count) return nullptr;
  return &trend->samples[(trend->start + index) % kTrendCapacity];
}

void Trend_Scale(double low, double high, int maxTicks, double* scaledLow, double* scaledHigh, double* step) {
  if (maxTicks < 2) maxTicks = 2;
  if (!(high - low > std::fabs(high) * 1e-12) || high - low <= 0) {
    const double around = std::fabs(low) > 0 ? std::fabs(low) / 10 : 1;
    low -= around;
    high += around;
  }
  double s = NiceStep((high - low) / (maxTicks - 1));
  for (;;) {
    const double from = std::floor(low / s) * s;
    const double to = std::ceil(high / s) * s;
    if ((to - from) / s + 1 <= maxTicks + 1e-9) {
      *scaledLow = from;
      *scaledHigh = to;
      *step = s;
      return;
    }
    s = NiceStep(s * 1.5);
  }
}

void Trend_Draw(const TrendSeries* t, int width, int height, TrendPicture* p) {
  p->empty = t->count == 0 || width < 2 || height < 2;
  p->points = p->valueTicks = p->timeTicks = 0;
  if (p->empty) return;
  if (width > kTrendPointsMax / 4) width = kTrendPointsMax / 4;
  const TrendSample* newest = Trend_At(t, t->count - 1);
  const std::int64_t oldest = Trend_At(t, 0)->timeMs;
  std::int64_t span = newest->timeMs - oldest;
  if (span > kTrendSpanMs) span = kTrendSpanMs;
  if (span < kTrendMinSpanMs) span = kTrendMinSpanMs;
  p->timeTo = newest->timeMs;
  p->timeFrom = newest->timeMs - span;
  p->last = newest->value;

  int first = 0;
  while (Trend_At(t, first)->timeMs < p->timeFrom) ++first;
  double low = newest->value, high = newest->value;
  for (int i = first; i < t->count; ++i) {
    const double v = Trend_At(t, i)->value;
    low = v < low ? v : low;
    high = v > high ? v : high;
  }
  Trend_Scale(low, high, Clamp(height / 30, 2, kTrendTicksMax), &p->low, &p->high, &p->step);
  for (double v = p->low; v <= p->high + p->step / 2 && p->valueTicks < kTrendTicksMax; v += p->step) {
    // Sums of a step drift from the round values: take the multiple itself.
    const double round = std::round(v / p->step) * p->step;
    p->valueTick[p->valueTicks] = round;
    p->valueTickY[p->valueTicks++] = YOf(round, *p, height);
  }
  TimeTicks(t, width, p);

  Column c;
  for (int i = first; i < t->count; ++i) {
    const TrendSample* s = Trend_At(t, i);
    const int x = static_cast<int>((s->timeMs - p->timeFrom) * (width - 1) / span);
    if (x != c.x) {
      FlushColumn(c, p, height);
      c = Column{x, s->value, s->value, s->value, s->value};
      continue;
    }
    c.low = s->value < c.low ? s->value : c.low;
    c.high = s->value > c.high ? s->value : c.high;
    c.last = s->value;
  }
  FlushColumn(c, p, height);
}

int Trend_TimeText(const TrendSeries* trend, std::int64_t timeMs, char* text) {
  std::int64_t ms = (timeMs + trend->clockOffsetMs) % kDayMs;
  if (ms < 0) ms += kDayMs;
  const int seconds = static_cast<int>(ms / 1000);
  const int parts[3] = {seconds / 3600, seconds / 60 % 60, seconds % 60};
  for (int i = 0; i < 3; ++i) {
    text[3 * i] = static_cast<char>('0' + parts[i] / 10);
    text[3 * i + 1] = static_cast<char>('0' + parts[i] % 10);
    text[3 * i + 2] = i < 2 ? ':' : '\0';
  }
  return 8;
}

int Trend_ValueText(double value, double step, char* text) {
  int decimals = step > 0 && step < 1 ? static_cast<int>(std::ceil(-std::log10(step) - 1e-9)) : 0;
  if (decimals > 12) decimals = 12;
  if (std::fabs(value) < step * 1e-9) value = 0;  // no "-0"
  return FormatReal(text, value, 0, decimals, 0);
}
