// Texts of diagnostic events, CPU modes, switch positions and LEDs, and the
// diagnostic buffer's lines. The tables hold string ids, so every text stays
// in the string table.
#include "app/szltext.h"

#include <cstring>

#include "vars/format.h"

namespace {

struct EventText {
  std::uint16_t id;
  int text;
};

// The events a CPU writes most: mode transitions, restart requests, STOP
// causes, run-time and I/O errors, hardware and a few others.
constexpr EventText kEvents[] = {
    {0x4300, IDS_EVENT_4300}, {0x4301, IDS_EVENT_4301}, {0x4302, IDS_EVENT_4302}, {0x4303, IDS_EVENT_4303},
    {0x4304, IDS_EVENT_4304}, {0x4305, IDS_EVENT_4305}, {0x4306, IDS_EVENT_4306}, {0x4307, IDS_EVENT_4307},
    {0x4308, IDS_EVENT_4308}, {0x4309, IDS_EVENT_4309}, {0x430A, IDS_EVENT_430A}, {0x430D, IDS_EVENT_430D},
    {0x430E, IDS_EVENT_430E}, {0x43B0, IDS_EVENT_43B0},
    {0x1381, IDS_EVENT_1381}, {0x1382, IDS_EVENT_1382}, {0x1383, IDS_EVENT_1383}, {0x1384, IDS_EVENT_1384},
    {0x1385, IDS_EVENT_1385}, {0x1386, IDS_EVENT_1386},
    {0x4510, IDS_EVENT_4510}, {0x4520, IDS_EVENT_4520}, {0x4555, IDS_EVENT_4555}, {0x4556, IDS_EVENT_4556},
    {0x4562, IDS_EVENT_4562}, {0x4563, IDS_EVENT_4563}, {0x4568, IDS_EVENT_4568}, {0x456A, IDS_EVENT_456A},
    {0x456B, IDS_EVENT_456B}, {0x456C, IDS_EVENT_456C}, {0x456E, IDS_EVENT_456E}, {0x456F, IDS_EVENT_456F},
    {0x4570, IDS_EVENT_4570}, {0x4571, IDS_EVENT_4571}, {0x4576, IDS_EVENT_4576}, {0x4578, IDS_EVENT_4578},
    {0x457A, IDS_EVENT_457A}, {0x457F, IDS_EVENT_457F}, {0x4580, IDS_EVENT_4580}, {0x494D, IDS_EVENT_494D},
    {0x494E, IDS_EVENT_494E}, {0x494F, IDS_EVENT_494F}, {0x49A0, IDS_EVENT_49A0}, {0x49A1, IDS_EVENT_49A0},
    {0x49A2, IDS_EVENT_49A0}, {0x49A3, IDS_EVENT_49A0}, {0x49A4, IDS_EVENT_49A0},
    {0x3501, IDS_EVENT_3501}, {0x3502, IDS_EVENT_3502}, {0x3505, IDS_EVENT_3505}, {0x35A1, IDS_EVENT_35A1},
    {0x35A2, IDS_EVENT_35A2}, {0x2521, IDS_EVENT_2521}, {0x2522, IDS_EVENT_2522}, {0x2523, IDS_EVENT_2523},
    {0x2524, IDS_EVENT_2524}, {0x2525, IDS_EVENT_2525}, {0x253A, IDS_EVENT_253A}, {0x253C, IDS_EVENT_253C},
    {0x253D, IDS_EVENT_253D}, {0x253E, IDS_EVENT_253E}, {0x253F, IDS_EVENT_253F}, {0x2942, IDS_EVENT_2942},
    {0x2943, IDS_EVENT_2943},
    {0x3921, IDS_EVENT_3921}, {0x3922, IDS_EVENT_3922}, {0x3923, IDS_EVENT_3923}, {0x3821, IDS_EVENT_3821},
    {0x3822, IDS_EVENT_3822}, {0x3823, IDS_EVENT_3823}, {0x3942, IDS_EVENT_3942}, {0x3842, IDS_EVENT_3842},
    {0x3961, IDS_EVENT_3961}, {0x3861, IDS_EVENT_3861}, {0x39C3, IDS_EVENT_39C3}, {0x39C4, IDS_EVENT_39C4},
    {0x38C4, IDS_EVENT_38C4}, {0x39CB, IDS_EVENT_39CB}, {0x38CB, IDS_EVENT_38CB},
    {0x530D, IDS_EVENT_530D}, {0x53FF, IDS_EVENT_53FF}, {0x6390, IDS_EVENT_6390},
};

// Event classes, bits 12-15 of the id.
constexpr int kClasses[16] = {
    IDS_EVENT_CLASS_OTHER,        IDS_EVENT_CLASS_OB,     IDS_EVENT_CLASS_SYNC,   IDS_EVENT_CLASS_ASYNC,
    IDS_EVENT_CLASS_MODE,         IDS_EVENT_CLASS_RUNTIME, IDS_EVENT_CLASS_COMM,  IDS_EVENT_CLASS_SAFETY,
    IDS_EVENT_CLASS_MODULE,       IDS_EVENT_CLASS_USER,   IDS_EVENT_CLASS_USER_DEFINED,
    IDS_EVENT_CLASS_USER_DEFINED, IDS_EVENT_CLASS_OTHER,  IDS_EVENT_CLASS_OTHER,  IDS_EVENT_CLASS_OTHER,
    IDS_EVENT_CLASS_OTHER_MODULE,
};

// CPU modes by the nibble of the mode byte; the state texts serve Stop and Run.
constexpr int kModes[16] = {
    IDS_CPU_UNKNOWN,           IDS_CPU_STOP, IDS_CPU_STOP, IDS_CPU_STOP, IDS_CPU_STOP, IDS_SZL_MODE_STARTUP_WARM,
    IDS_SZL_MODE_STARTUP_COLD, IDS_SZL_MODE_STARTUP_HOT,  IDS_CPU_RUN,  IDS_CPU_RUN,  IDS_SZL_MODE_HOLD,
    IDS_CPU_UNKNOWN,           IDS_CPU_UNKNOWN, IDS_SZL_MODE_DEFECTIVE, IDS_CPU_UNKNOWN, IDS_CPU_UNKNOWN,
};

constexpr int kSwitches[5] = {IDS_SZL_SWITCH_UNDEFINED, IDS_SZL_SWITCH_RUN, IDS_SZL_SWITCH_RUN_P,
                              IDS_SZL_SWITCH_STOP, IDS_SZL_SWITCH_MRES};

// LED names by the low byte of the LED id, 1-0x16.
constexpr int kLeds[] = {
    IDS_LED_SF,    IDS_LED_INTF,  IDS_LED_EXTF,  IDS_LED_RUN,   IDS_LED_STOP,  IDS_LED_FRCE,  IDS_LED_CRST,
    IDS_LED_BAF,   IDS_LED_USR,   IDS_LED_USR1,  IDS_LED_BUS1F, IDS_LED_BUS2F, IDS_LED_REDF,  IDS_LED_MSTR,
    IDS_LED_RACK0, IDS_LED_RACK1, IDS_LED_RACK2, IDS_LED_IFM1F, IDS_LED_IFM2F, IDS_LED_BUS3F, IDS_LED_MAINT,
    IDS_LED_DC24V,
};

}  // namespace

const char* Diag_KnownEventText(std::uint16_t id) {
  for (const EventText& e : kEvents)
    if (e.id == id) return LoadText(e.text);
  return nullptr;
}

int Diag_EventText(std::uint16_t id, char* out, std::size_t size) {
  if (const char* known = Diag_KnownEventText(id)) return FormatTextN(out, size, "%s", known);
  const bool coming = (id & 0x0100) != 0;
  return FormatTextN(out, size, LoadText(IDS_DIAG_UNKNOWN_EVENT), TextId(kClasses[id >> 12]),
                     TextId(coming ? IDS_EVENT_COMING : IDS_EVENT_GOING), (id & 0x0800) != 0, (id & 0x0400) != 0);
}

int Diag_FormatLine(const S7DiagEntry* entry, char* out, std::size_t size) {
  char stamp[40];
  if (entry->timeValid) {
    CalendarRecord time = entry->time;
    FormatTimeStamp({.withDate = true, .precision = 3}, &time, stamp);
  } else {
    FormatTextN(stamp, sizeof stamp, "%s", TextId(IDS_DIAG_NO_TIME));
  }
  char text[kDiagLineMax];
  Diag_EventText(entry->eventId, text, sizeof text);
  return FormatTextN(out, size, LoadText(IDS_DIAG_LINE), stamp, entry->eventId, text);
}

const char* Szl_ModeText(int mode) { return LoadText(kModes[mode & 0x0F]); }

const char* Szl_SwitchText(int position) {
  return LoadText(position >= 0 && position < 5 ? kSwitches[position] : IDS_SZL_SWITCH_UNDEFINED);
}

int Szl_LedName(std::uint16_t id, char* out, std::size_t size) {
  const int n = id & 0xFF;
  constexpr int kCount = static_cast<int>(sizeof kLeds / sizeof kLeds[0]);
  if (n >= 1 && n <= kCount) return FormatTextN(out, size, "%s", TextId(kLeds[n - 1]));
  return FormatTextN(out, size, LoadText(IDS_LED_UNKNOWN), static_cast<int>(id));
}
