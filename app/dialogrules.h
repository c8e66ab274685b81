// The rules behind the parameter dialogs, kept apart from any window so that
// they are tested natively: when a number field's text counts, how its
// spinner steps, what an interface switch does to the PLC address, how the
// IPv4 field's value is stored, when the connection may be confirmed, when
// the clock dialog asks the CPU again after a read that failed, and how a
// date picker and a time picker make one moment.
//
// Threads: any; nothing here keeps state of its own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "s7lib/s7lib.h"

// How a dialog was left: "&Mégsem" (or Esc, the close box) or OK.
enum class DialogEnd { Cancel, Ok };

// ---------------------------------------------------------------- number fields

// From `seconds` of holding a spinner arrow on, each move is `step`.
struct SpinnerStep {
  int seconds;
  int step;
};

// A number field's range and its spinner's steps (stepCount of them, the
// first from the start).
struct NumberSpec {
  std::int64_t min;
  std::int64_t max;
  int stepCount;
  SpinnerStep steps[3];
};

// The connection dialog's fields.
inline constexpr NumberSpec kStationSpec{0, 127, 2, {{0, 1}, {2, 10}}};
inline constexpr NumberSpec kTimeoutSpec{100, 30000, 2, {{0, 50}, {2, 200}}};
inline constexpr NumberSpec kRackSpec{0, 31, 1, {{0, 1}}};
inline constexpr NumberSpec kSlotSpec{0, 18, 1, {{0, 1}}};

// No number field holds a longer text; one that long is not a number of it.
inline constexpr std::size_t kNumberTextMax = 255;

// Whether the whole text (length bytes, code page 1250) is one decimal
// integer, with leading blanks and a sign allowed and nothing after it, that
// lies in [min, max]; then *value is the number. An empty text, a text longer
// than kNumberTextMax or one with a zero byte inside is not.
bool Number_Read(const char* text, std::size_t length, std::int64_t min, std::int64_t max, std::int64_t* value);

// The value an arrow moves a spinner to from position by delta, held to
// [min, max] (no wrapping; no overflow for any 64-bit inputs).
std::int64_t Number_Step(std::int64_t position, std::int64_t delta, std::int64_t min, std::int64_t max);

// ---------------------------------------------------------------- interface and address

// The start-up TCP address, 192.168.1.1, in network byte order.
std::uint32_t Plc_DefaultIpAddress();
// The station address an interface other than TCP starts with.
inline constexpr std::uint32_t kDefaultStationAddress = 2;

// The address the PLC settings hold after the interface kind changes from
// oldKind to newKind: leaving TCP gives station 2, coming to TCP gives
// 192.168.1.1, a change between two bus kinds (or none) keeps the address.
std::uint32_t Plc_AddressAfterSwitch(int oldKind, int newKind, std::uint32_t address);

// The IPv4 address control speaks host order (first part in the high byte);
// the PLC settings hold network byte order (first part in the first byte).
std::uint32_t Ipv4_FromHostOrder(std::uint32_t hostOrder);
std::uint32_t Ipv4_ToHostOrder(std::uint32_t networkOrder);

// Whether the connection dialog's OK applies: no numeric field is invalid,
// the name is one the settings can hold, and for TCP all four parts of the
// address are filled and the address is not 0.0.0.0, and a family named by
// its TSAPs has two valid ones (the TSAP fields count for no other).
struct ConnectionFields {
  bool numberInvalid;
  bool nameInvalid;
  bool tcp;
  int ipPartsFilled;       // 0-4, as the address control counts them
  std::uint32_t ip;        // network byte order
  bool typedTsaps;         // the family is named by the TSAP fields
  bool tsapInvalid;        // a TSAP field holds no 1-4 hex digits
};
bool Connection_CanConfirm(const ConnectionFields& fields);

// ---------------------------------------------------------------- login

// The CPU takes a password of up to 8 characters.
inline constexpr std::size_t kPasswordMax = 8;
// Whether the login field's whole text (code page 1250; null when it holds a
// letter the code page lacks) can be sent as the password.
bool Password_Valid(const char* text, std::size_t length);

// ---------------------------------------------------------------- clock dialog

// When the clock dialog reads the CPU clock on its timer. A read that failed
// (a silent PLC waits the whole time-out on the user-interface thread) is not
// repeated until as long again has passed, so the dialog answers its buttons
// at least half of the time whatever the PLC does.
struct ClockPoll {
  bool holding;              // the last read failed
  std::uint32_t failedAt;    // tick count when it returned
  std::uint32_t pauseMs;     // how long the next read waits after it
};

// Whether a tick at now (tick count, wrapping) reads the clock.
bool ClockPoll_Due(const ClockPoll* poll, std::uint32_t now);
// After a read that started and returned at these ticks: a failure pauses
// for the connection's time-out, or for as long as the read took if that was
// longer; a success ends any pause.
void ClockPoll_Done(ClockPoll* poll, bool succeeded, std::uint32_t started, std::uint32_t returned,
                    int timeoutMs);

// ---------------------------------------------------------------- date and time pickers

// A date picker and a time picker each answer for their half of a moment:
// base with the date of date (its weekday worked out) and the time of time
// to the second; either may be null. Pickers show no milliseconds, so a new
// time of day has none, while a new date alone keeps base's.
CalendarRecord Picked_Moment(const CalendarRecord& base, const CalendarRecord* date, const CalendarRecord* time);
