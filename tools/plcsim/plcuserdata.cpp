// The simulated CPU's userdata services: the system status lists (served in
// plcszl.cpp), reading and setting the clock, and login and logout with the
// scrambled password. Also the calendar arithmetic of its clock.
#include <cstring>

#include "tools/plcsim/plcmodel.h"

namespace plcsim {

namespace {

constexpr std::uint8_t kGroupCpu = 0x04;
constexpr std::uint8_t kGroupSecurity = 0x05;
constexpr std::uint8_t kGroupClock = 0x07;

// Userdata error codes this CPU answers with.
constexpr std::uint16_t kErrNotAvailable = 0x8104;   // no such function
constexpr std::uint16_t kErrBadPassword = 0xD602;
constexpr std::uint16_t kErrBadData = 0xD40A;        // a request whose data part makes no sense

std::uint8_t ToBcd(int v) { return static_cast<std::uint8_t>(((v / 10) << 4) | (v % 10)); }

bool FromBcd(std::uint8_t b, int* v) {
  if ((b >> 4) > 9 || (b & 15) > 9) return false;
  *v = (b >> 4) * 10 + (b & 15);
  return true;
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = static_cast<int>(y - era * 400);
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, int* y, int* m, int* d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int doe = static_cast<int>(z - era * 146097);
  const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = static_cast<int>(yoe + era * 400 + (*m <= 2));
}

int DaysInMonth(int y, int m) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return kDays[m - 1] + (m == 2 && leap ? 1 : 0);
}

// The same scrambling a client applies to the 8-byte password block.
void Scramble(const std::string& password, std::uint8_t* out8) {
  std::memset(out8, ' ', 8);
  std::memcpy(out8, password.data(), password.size() < 8 ? password.size() : 8);
  out8[0] ^= 0x55;
  out8[1] ^= 0x55;
  for (int i = 2; i < 8; ++i) out8[i] = static_cast<std::uint8_t>(out8[i] ^ 0x55 ^ out8[i - 2]);
}

}  // namespace

std::int64_t SimDateTimeToMs(const SimDateTime& t) {
  const std::int64_t days = DaysFromCivil(t.year, t.month, t.day);
  return ((days * 24 + t.hour) * 60 + t.minute) * 60000 + t.second * 1000 + t.millisecond;
}

SimDateTime SimDateTimeFromMs(std::int64_t ms) {
  std::int64_t days = ms / 86400000;
  std::int64_t rest = ms % 86400000;
  if (rest < 0) {
    rest += 86400000;
    --days;
  }
  SimDateTime t{};
  CivilFromDays(days, &t.year, &t.month, &t.day);
  t.hour = static_cast<int>(rest / 3600000);
  t.minute = static_cast<int>(rest / 60000 % 60);
  t.second = static_cast<int>(rest / 1000 % 60);
  t.millisecond = static_cast<int>(rest % 1000);
  t.weekday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  return t;
}

void EncodeSimDateTime(const SimDateTime& t, std::uint8_t* w) {
  w[0] = ToBcd(t.year % 100);
  w[1] = ToBcd(t.month);
  w[2] = ToBcd(t.day);
  w[3] = ToBcd(t.hour);
  w[4] = ToBcd(t.minute);
  w[5] = ToBcd(t.second);
  w[6] = ToBcd(t.millisecond / 10);
  w[7] = static_cast<std::uint8_t>(((t.millisecond % 10) << 4) | (t.weekday + 1));
}

bool DecodeSimDateTime(const std::uint8_t* w, SimDateTime* t) {
  int year, ms10;
  if (!FromBcd(w[0], &year) || !FromBcd(w[1], &t->month) || !FromBcd(w[2], &t->day) ||
      !FromBcd(w[3], &t->hour) || !FromBcd(w[4], &t->minute) || !FromBcd(w[5], &t->second) ||
      !FromBcd(w[6], &ms10))
    return false;
  t->year = year + (year < 90 ? 2000 : 1900);
  t->millisecond = ms10 * 10 + (w[7] >> 4);
  t->weekday = (w[7] & 15) - 1;
  return t->month >= 1 && t->month <= 12 && t->day >= 1 && t->day <= DaysInMonth(t->year, t->month) &&
         t->hour < 24 && t->minute < 60 && t->second < 60 && t->millisecond < 1000 && t->weekday >= 0 &&
         t->weekday < 7;
}

bool PlcModel::Userdata(const Bytes& request, int paramLength, SessionState* session, Bytes* reply) {
  std::uint8_t group = 0, subfunction = 0;
  if (paramLength >= 8 && request[12] == 0x12) {
    group = request[15] & 0x0F;
    subfunction = request[16];
  }
  const std::size_t dataAt = 10 + static_cast<std::size_t>(paramLength);
  const int dataLength = (request[8] << 8) | request[9];
  const std::uint8_t* data = request.data() + dataAt;

  std::uint16_t error = 0;
  std::uint8_t sequence = 0, unit = 0, more = 0;
  Bytes answer;  // the data part of the reply
  if (group == kGroupCpu && subfunction == 0x01) {
    SzlAnswer szl;
    if (!ReadSzl(request.data() + 10, paramLength, data, dataLength, session, &szl)) return false;
    error = szl.error;
    sequence = szl.sequence;
    unit = szl.unit;
    more = szl.more;
    answer = std::move(szl.data);
  } else if (group == kGroupClock && subfunction == 0x01) {
    answer = {0xFF, 0x09, 0x00, 0x0A, 0x00, 0x19, 0, 0, 0, 0, 0, 0, 0, 0};
    EncodeSimDateTime(SimDateTimeFromMs(NowMs()), answer.data() + 6);
  } else if (group == kGroupClock && subfunction == 0x02) {
    SimDateTime t{};
    if (dataLength >= 14 && data[0] == 0xFF && DecodeSimDateTime(data + 6, &t)) {
      clockAnchor_ = std::chrono::steady_clock::now();
      clockBaseMs_ = SimDateTimeToMs(t);
      answer = {0x0A, 0x00, 0x00, 0x00};
    } else {
      error = kErrBadData;
    }
  } else if (group == kGroupSecurity && subfunction == 0x01) {
    std::uint8_t expected[8];
    Scramble(config_.password, expected);
    // Without a password this CPU is not protected and takes any login.
    if (dataLength >= 12 && data[0] == 0xFF && data[3] == 8 &&
        (config_.password.empty() || std::memcmp(data + 4, expected, 8) == 0)) {
      session->loggedIn = true;
      answer = {0x0A, 0x00, 0x00, 0x00};
    } else {
      error = kErrBadPassword;
    }
  } else if (group == kGroupSecurity && subfunction == 0x02) {
    session->loggedIn = false;
    answer = {0x0A, 0x00, 0x00, 0x00};
  } else {
    error = kErrNotAvailable;
  }
  if (error != 0) answer = {0x0A, 0x00, 0x00, 0x00};

  *reply = {0x32, 0x07, 0x00, 0x00, request[4], request[5], 0, 0, 0, 0};
  const std::uint8_t params[12] = {0x00, 0x01, 0x12, 0x08, 0x12, static_cast<std::uint8_t>(0x80 | group),
                                   subfunction, sequence, unit, more, static_cast<std::uint8_t>(error >> 8),
                                   static_cast<std::uint8_t>(error)};
  reply->insert(reply->end(), params, params + 12);
  reply->insert(reply->end(), answer.begin(), answer.end());
  FinishLengths(reply, 10, 12);
  return true;
}

}  // namespace plcsim
