// The reconnection state machine over sequences of events at given ticks:
// which failures begin an outage, the growing pauses, a recovery with its
// outage time, and the tick count's wrap.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/reconnect.h"

namespace {

enum class Ev {
  Fail,  // a read failed with arg; expect 1 when an outage began
  Wait,  // expect Reconnect_WaitMs
  Due,   // expect 1 when an attempt is due (and starts)
  End,   // an attempt ended with arg; expect the outage ms, or -1 when it failed
};

struct Step {
  Ev ev;
  std::uint32_t tick;
  int arg;
  long long expect;
};

struct Case {
  const char* what;
  std::uint32_t start;
  std::vector<Step> steps;
};

long long Apply(Reconnect* r, const Step& s) {
  switch (s.ev) {
    case Ev::Fail: return Reconnect_ReadFailed(r, s.arg, s.tick) ? 1 : 0;
    case Ev::Wait: return Reconnect_WaitMs(r, s.tick);
    case Ev::Due: return Reconnect_Due(r, s.tick) ? 1 : 0;
    case Ev::End: {
      std::uint32_t outage = 0;
      return Reconnect_Ended(r, s.arg, s.tick, &outage) ? static_cast<long long>(outage) : -1;
    }
  }
  return -2;
}

TEST(Reconnect, EventSequences) {
  const Case cases[] = {
      {"back at the first attempt",
       0,
       {{Ev::Fail, 1000, S7_ERR_SOCKET, 1},
        {Ev::Wait, 1000, 0, 1000},
        {Ev::Due, 1999, 0, 0},
        {Ev::Due, 2000, 0, 1},
        {Ev::End, 2100, S7_OK, 1100},
        {Ev::Wait, 2100, 0, 0}}},
      {"pauses grow 1, 2, 5, 10, 30 s and stay at 30 s",
       0,
       {{Ev::Fail, 0, S7_ERR_TIMEOUT, 1},
        {Ev::Due, 1000, 0, 1},
        {Ev::End, 1000, S7_ERR_SOCKET, -1},
        {Ev::Wait, 1000, 0, 2000},
        {Ev::Due, 3000, 0, 1},
        {Ev::End, 3000, S7_ERR_SOCKET, -1},
        {Ev::Wait, 3000, 0, 5000},
        {Ev::Due, 8000, 0, 1},
        {Ev::End, 8000, S7_ERR_REFUSED, -1},
        {Ev::Wait, 8000, 0, 10000},
        {Ev::Due, 18000, 0, 1},
        {Ev::End, 18000, S7_ERR_TIMEOUT, -1},
        {Ev::Wait, 18000, 0, 30000},
        {Ev::Due, 48000, 0, 1},
        {Ev::End, 48000, S7_ERR_TIMEOUT, -1},
        {Ev::Wait, 48000, 0, 30000},
        {Ev::Due, 78000, 0, 1},
        {Ev::End, 79500, S7_OK, 79500}}},
      {"a slow attempt: the pause counts from its end",
       0,
       {{Ev::Fail, 0, S7_ERR_SOCKET, 1},
        {Ev::Due, 1000, 0, 1},
        {Ev::End, 4000, S7_ERR_TIMEOUT, -1},
        {Ev::Wait, 4000, 0, 2000}}},
      {"refusals a new connection would meet again are no outage",
       0,
       {{Ev::Fail, 0, S7_ERR_DATA, 0},
        {Ev::Fail, 0, S7_ERR_PDU, 0},
        {Ev::Fail, 0, S7_ERR_NO_VARS, 0},
        {Ev::Due, 5000, 0, 0},
        {Ev::End, 5000, S7_OK, -1}}},
      {"one outage, one loss: later failures change nothing",
       0,
       {{Ev::Fail, 10, S7_ERR_SOCKET, 1},
        {Ev::Fail, 20, S7_ERR_SOCKET, 0},
        {Ev::Due, 1010, 0, 1},
        {Ev::Fail, 1020, S7_ERR_TIMEOUT, 0},
        {Ev::Due, 1030, 0, 0},
        {Ev::End, 1040, S7_OK, 1030},
        {Ev::Fail, 2000, S7_ERR_SOCKET, 1}}},
      {"the next outage starts from the first pause",
       0,
       {{Ev::Fail, 0, S7_ERR_SOCKET, 1},
        {Ev::Due, 1000, 0, 1},
        {Ev::End, 1000, S7_ERR_SOCKET, -1},
        {Ev::Due, 3000, 0, 1},
        {Ev::End, 3000, S7_OK, 3000},
        {Ev::Fail, 9000, S7_ERR_NOT_CONNECTED, 1},
        {Ev::Wait, 9000, 0, 1000}}},
      {"across the tick count's wrap",
       0,
       {{Ev::Fail, 0xFFFFFF00u, S7_ERR_SOCKET, 1},
        {Ev::Wait, 0xFFFFFF00u, 0, 1000},
        {Ev::Due, 0x000002E7u, 0, 0},
        {Ev::Due, 0x000002E8u, 0, 1},
        {Ev::End, 0x000002F0u, S7_OK, 0x3F0}}},
  };
  for (const Case& c : cases) {
    Reconnect r;
    Reconnect_Reset(&r);
    for (std::size_t i = 0; i < c.steps.size(); ++i)
      EXPECT_EQ(Apply(&r, c.steps[i]), c.steps[i].expect) << c.what << ", step " << i;
  }
}

TEST(Reconnect, StatusText) {
  Reconnect r;
  Reconnect_Reset(&r);
  char text[128];
  Reconnect_StatusText(&r, 0, text, sizeof text);
  EXPECT_STREQ(text, "Kapcsolat rendben");
  Reconnect_ReadFailed(&r, S7_ERR_SOCKET, 1000);
  Reconnect_Due(&r, 2000);
  Reconnect_Ended(&r, S7_ERR_SOCKET, 2000, nullptr);
  Reconnect_StatusText(&r, 3500, text, sizeof text);
  EXPECT_STREQ(text, "Kies\xE9s 2 mp, \xFAjra: 1 mp");
  Reconnect_Due(&r, 4000);
  Reconnect_StatusText(&r, 4000, text, sizeof text);
  EXPECT_STREQ(text, "Kies\xE9s 3 mp, kapcsol\xF3" "d\xE1s...");
}

}  // namespace
