// The dialogs' rules without windows: number texts and steps, the address on
// an interface switch, the IPv4 byte order, the connection's OK rule and the
// clock dialog's pause after a failed read.
#include "app/dialogrules.h"

#include <cstring>

#include "s7lib/s7lib.h"
#include "vars/vars.h"

bool Number_Read(const char* text, std::size_t length, std::int64_t min, std::int64_t max, std::int64_t* value) {
  // The reader stops at a zero byte, so a text with one inside never counts
  // as read whole; the length check keeps the count's int from overflowing.
  if (!text || length == 0 || length > kNumberTextMax) return false;
  int consumed = 0;
  const std::int64_t number = ParseInteger(text, 0, 0, &consumed);
  if (consumed <= 0 || static_cast<std::size_t>(consumed) != length) return false;
  if (number < min || number > max) return false;
  *value = number;
  return true;
}

std::int64_t Number_Step(std::int64_t position, std::int64_t delta, std::int64_t min, std::int64_t max) {
  // Clamp the position first, then compare the distance to each end instead
  // of adding: the sum may not fit 64 bits.
  if (position < min) position = min;
  if (position > max) position = max;
  if (delta > 0) return delta > max - position ? max : position + delta;
  if (delta < 0) return delta < min - position ? min : position + delta;
  return position;
}

std::uint32_t Plc_DefaultIpAddress() {
  const std::uint8_t bytes[4] = {192, 168, 1, 1};
  std::uint32_t address = 0;
  std::memcpy(&address, bytes, sizeof address);
  return address;
}

std::uint32_t Plc_AddressAfterSwitch(int oldKind, int newKind, std::uint32_t address) {
  const int tcp = static_cast<int>(S7_KIND_TCP);
  if (oldKind == newKind) return address;
  if (oldKind == tcp) return kDefaultStationAddress;
  if (newKind == tcp) return Plc_DefaultIpAddress();
  return address;
}

std::uint32_t Ipv4_FromHostOrder(std::uint32_t hostOrder) {
  const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(hostOrder >> 24), static_cast<std::uint8_t>(hostOrder >> 16),
                                 static_cast<std::uint8_t>(hostOrder >> 8), static_cast<std::uint8_t>(hostOrder)};
  std::uint32_t address = 0;
  std::memcpy(&address, bytes, sizeof address);
  return address;
}

std::uint32_t Ipv4_ToHostOrder(std::uint32_t networkOrder) {
  std::uint8_t bytes[4];
  std::memcpy(bytes, &networkOrder, sizeof bytes);
  return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
         static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3];
}

bool Connection_CanConfirm(const ConnectionFields& fields) {
  if (fields.numberInvalid || fields.nameInvalid) return false;
  if (!fields.tcp) return true;
  if (fields.typedTsaps && fields.tsapInvalid) return false;
  return fields.ipPartsFilled == 4 && fields.ip != 0;
}

bool ClockPoll_Due(const ClockPoll* poll, std::uint32_t now) {
  return !poll->holding || now - poll->failedAt >= poll->pauseMs;
}

void ClockPoll_Done(ClockPoll* poll, bool succeeded, std::uint32_t started, std::uint32_t returned,
                    int timeoutMs) {
  if (succeeded) {
    poll->holding = false;
    return;
  }
  const std::uint32_t took = returned - started;
  const std::uint32_t timeout = timeoutMs > 0 ? static_cast<std::uint32_t>(timeoutMs) : 0;
  poll->holding = true;
  poll->failedAt = returned;
  poll->pauseMs = took > timeout ? took : timeout;
}

CalendarRecord Picked_Moment(const CalendarRecord& base, const CalendarRecord* date, const CalendarRecord* time) {
  CalendarRecord moment = base;
  if (date) {
    CalendarRecord day{};
    day.year = date->year;
    day.month = date->month;
    day.day = date->day;
    Cal_DateFrom1990(Cal_DaysSince1990(&day), &day);
    moment.year = day.year;
    moment.month = day.month;
    moment.day = day.day;
    moment.weekday = day.weekday;
  }
  if (time) {
    moment.hour = time->hour;
    moment.minute = time->minute;
    moment.second = time->second;
    moment.milliseconds = 0;
  }
  return moment;
}

bool Password_Valid(const char* text, std::size_t length) {
  return text && length <= kPasswordMax && std::memchr(text, '\0', length) == nullptr;
}
