// The simulated CPU's memory services: reading and writing variables of the
// input, output, flag, data block, timer and counter areas, with the return
// code per item that a real CPU gives (missing block, beyond the end, a
// transport size the area does not take, access refused while protected).
#include <cstring>

#include "tools/plcsim/plcmodel.h"

namespace plcsim {

namespace {

constexpr std::uint8_t kOk = 0xFF;
constexpr std::uint8_t kNoObject = 0x0A;
constexpr std::uint8_t kInconsistent = 0x07;
constexpr std::uint8_t kUnsupported = 0x06;
constexpr std::uint8_t kOutOfRange = 0x05;
constexpr std::uint8_t kAccessDenied = 0x03;

constexpr std::uint8_t kTransportBit = 0x01;
constexpr std::uint8_t kTransportCounter = 0x1C;
constexpr std::uint8_t kTransportTimer = 0x1D;

// What a CPU answers for each transport size it takes in a request item:
// bytes per element and the data transport size of the reply item.
struct TransportSpec {
  std::uint8_t code;
  int elementBytes;
  std::uint8_t replyTransport;
};
constexpr TransportSpec kTransports[] = {
    {0x01, 1, 0x03}, {0x02, 1, 0x04}, {0x03, 1, 0x04}, {0x04, 2, 0x04}, {0x05, 2, 0x05},
    {0x06, 4, 0x04}, {0x07, 4, 0x05}, {0x08, 4, 0x07}, {0x1C, 2, 0x09}, {0x1D, 2, 0x09},
};

const TransportSpec* FindTransport(std::uint8_t code) {
  for (const TransportSpec& t : kTransports)
    if (t.code == code) return &t;
  return nullptr;
}

bool LengthInBits(std::uint8_t dataTransport) { return dataTransport == 0x04 || dataTransport == 0x05; }

int Get16(const std::uint8_t* p) { return (p[0] << 8) | p[1]; }

void Put16(Bytes* out, int v) {
  out->push_back(static_cast<std::uint8_t>(v >> 8));
  out->push_back(static_cast<std::uint8_t>(v));
}

}  // namespace

std::uint8_t PlcModel::ResolveItem(const std::uint8_t* item, bool writing, Area** area, int* offset, int* length,
                                   std::uint8_t* transport) {
  (void)writing;
  if (item[0] != 0x12 || item[1] != 0x0A || item[2] != 0x10) return kOutOfRange;
  const TransportSpec* spec = FindTransport(item[3]);
  if (!spec) return kUnsupported;
  *transport = item[3];
  const int count = Get16(item + 4);
  const int db = Get16(item + 6);
  const std::uint8_t code = item[8];
  const int address = (item[9] << 16) | (item[10] << 8) | item[11];
  const bool timerLike = code == kAreaTimers || code == kAreaCounters;
  if (timerLike && !((code == kAreaTimers && *transport == kTransportTimer) ||
                     (code == kAreaCounters && *transport == kTransportCounter)))
    return kUnsupported;
  if (!timerLike && (*transport == kTransportTimer || *transport == kTransportCounter)) return kUnsupported;
  *area = FindArea(code, db);
  if (!*area) return kNoObject;
  if ((*area)->access == DbAccess::Optimized) return kOutOfRange;
  if ((*area)->access == DbAccess::Protected) return kAccessDenied;
  if (count == 0) return kOutOfRange;
  if (*transport == kTransportBit) {
    if (count != 1) return kOutOfRange;
    *offset = address >> 3;
    *length = 1;
  } else if (timerLike) {
    *offset = address * 2;
    *length = count * 2;
  } else {
    *offset = address >> 3;
    *length = count * spec->elementBytes;
  }
  if (static_cast<std::size_t>(*offset) + static_cast<std::size_t>(*length) > (*area)->bytes.size())
    return kOutOfRange;
  return kOk;
}

void PlcModel::ReadVariables(const Bytes& request, int paramLength, Bytes* reply) {
  const int count = paramLength >= 2 ? request[11] : 0;
  if (count == 0 || paramLength < 2 + 12 * count) {
    *reply = AckHeader(request, 2, 0x85, 0x00);  // a request this CPU cannot parse
    FinishLengths(reply, 12, 0);
    return;
  }
  *reply = AckHeader(request, 3, 0, 0);
  reply->push_back(0x04);
  reply->push_back(static_cast<std::uint8_t>(count));
  const std::size_t dataStart = reply->size();
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* item = request.data() + 12 + 12 * i;
    Area* area = nullptr;
    int offset = 0, length = 0;
    std::uint8_t transport = 0;
    const std::uint8_t rc = ResolveItem(item, false, &area, &offset, &length, &transport);
    if (rc != kOk) {
      reply->insert(reply->end(), {rc, 0x00, 0x00, 0x00});
      continue;
    }
    const std::uint8_t replyTransport = FindTransport(transport)->replyTransport;
    reply->push_back(kOk);
    reply->push_back(replyTransport);
    Put16(reply, LengthInBits(replyTransport) ? length * 8 : length);
    if (transport == kTransportBit) {
      const int bit = item[11] & 7;
      reply->push_back(static_cast<std::uint8_t>((area->bytes[static_cast<std::size_t>(offset)] >> bit) & 1));
    } else {
      reply->insert(reply->end(), area->bytes.begin() + offset, area->bytes.begin() + offset + length);
    }
    if (((reply->size() - dataStart) & 1) && i + 1 < count) reply->push_back(0x00);
  }
  FinishLengths(reply, 12, 2);
}

void PlcModel::WriteVariables(const Bytes& request, int paramLength, int dataLength, SessionState* session,
                              Bytes* reply) {
  const int count = paramLength >= 2 ? request[11] : 0;
  if (count == 0 || paramLength < 2 + 12 * count) {
    *reply = AckHeader(request, 2, 0x85, 0x00);
    FinishLengths(reply, 12, 0);
    return;
  }
  const bool protectedNow = !config_.password.empty() && !session->loggedIn;
  *reply = AckHeader(request, 3, 0, 0);
  reply->push_back(0x05);
  reply->push_back(static_cast<std::uint8_t>(count));
  const std::size_t dataStart = 10 + static_cast<std::size_t>(paramLength);
  const std::size_t dataEnd = dataStart + static_cast<std::size_t>(dataLength);
  std::size_t pos = dataStart;
  for (int i = 0; i < count; ++i) {
    if (i > 0 && ((pos - dataStart) & 1)) ++pos;  // fill byte
    if (pos + 4 > dataEnd) {
      reply->push_back(kInconsistent);
      continue;
    }
    const std::uint8_t dataTransport = request[pos + 1];
    int length = Get16(request.data() + pos + 2);
    if (LengthInBits(dataTransport)) length /= 8;
    const std::uint8_t* data = request.data() + pos + 4;
    pos += 4 + static_cast<std::size_t>(length);
    if (pos > dataEnd) {
      reply->push_back(kInconsistent);
      continue;
    }
    Area* area = nullptr;
    int offset = 0, wanted = 0;
    std::uint8_t transport = 0;
    std::uint8_t rc = ResolveItem(request.data() + 12 + 12 * i, true, &area, &offset, &wanted, &transport);
    if (rc == kOk && protectedNow) rc = kAccessDenied;
    if (rc == kOk && length != wanted) rc = kInconsistent;
    if (rc == kOk) {
      if (transport == kTransportBit) {
        const int bit = request[12 + 12 * i + 11] & 7;
        std::uint8_t& byte = area->bytes[static_cast<std::size_t>(offset)];
        byte = static_cast<std::uint8_t>((data[0] & 1) ? (byte | (1u << bit)) : (byte & ~(1u << bit)));
      } else {
        std::memcpy(area->bytes.data() + offset, data, static_cast<std::size_t>(length));
      }
    }
    reply->push_back(rc);
  }
  FinishLengths(reply, 12, 2);
}

}  // namespace plcsim
