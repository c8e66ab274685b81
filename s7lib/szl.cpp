// Reading a system status list: the userdata request of the CPU function
// group, the follow-up requests that fetch a long list fragment by fragment,
// and the checks that the joined list's record length and count agree with
// the bytes that arrived. Every look into a reply is bounded by its own
// lengths, which the reply check has bounded by the bytes received.
#include <cstring>

#include "s7lib/s7internal.h"

namespace {

constexpr int kHeaderLength = 10;
constexpr int kParamLength = 12;
constexpr int kItemHeader = 4;   // return code, transport size, length
constexpr int kListHeader = 8;   // id, index, record length, record count
constexpr std::uint8_t kGroupCpuRequest = 0x44;
constexpr std::uint8_t kGroupCpuResponse = 0x84;
constexpr std::uint8_t kReadSzl = 0x01;
constexpr std::uint8_t kItemOk = 0xFF;
constexpr std::uint16_t kCountUnknown = 0xFFFF;  // some CPUs send this when the list is fragmented

constexpr std::uint8_t kEmptyItem[] = {0x0A, 0x00, 0x00, 0x00};

// The joined list while its fragments arrive.
struct Join {
  std::uint8_t* buffer;
  int capacity;
  int total;  // record bytes of the list so far, kept or not
  bool headerSeen;
  std::uint16_t declaredCount;
  S7SzlList* list;
};

// Where the previous reply left the sequence: what a follow-up repeats.
struct Sequence {
  std::uint8_t number;
  std::uint8_t unit;
};

int BeginFirst(S7Connection* conn, unsigned id, unsigned index) {
  const int rc = S7_BeginPdu(conn, 7, kReadSzl, kGroupCpuRequest, 1);
  if (rc != S7_OK) return rc;
  const std::uint8_t item[] = {kItemOk, 0x09, 0x00, 0x04, static_cast<std::uint8_t>(id >> 8),
                               static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(index >> 8),
                               static_cast<std::uint8_t>(index)};
  S7_AppendData(conn, item, sizeof item);
  conn->expectedReply = kReplyLengthVaries;
  return S7_OK;
}

// A follow-up carries the extended parameter head with the sequence number
// and data unit reference of the reply before it, and an empty item.
int BeginFollowUp(S7Connection* conn, const Sequence& seq) {
  const int rc = S7_BeginPdu(conn, 7, kReadSzl, kGroupCpuRequest, 1);
  if (rc != S7_OK) return rc;
  const std::uint8_t params[kParamLength] = {0x00, 0x01, 0x12, 0x08, 0x12, kGroupCpuRequest,
                                             kReadSzl, seq.number, seq.unit, 0x00, 0x00, 0x00};
  std::memcpy(conn->requestPdu + kHeaderLength, params, sizeof params);
  PutBE16(conn->requestPdu + 6, kParamLength);
  conn->requestParams = kParamLength;
  conn->requestTotal = kHeaderLength + kParamLength;
  S7_AppendData(conn, kEmptyItem, sizeof kEmptyItem);
  conn->expectedReply = kReplyLengthVaries;
  return S7_OK;
}

void Keep(Join* join, const std::uint8_t* bytes, int length) {
  const int room = join->capacity - join->total;
  const int kept = length < room ? length : (room > 0 ? room : 0);
  if (kept > 0) std::memcpy(join->buffer + join->total, bytes, static_cast<std::size_t>(kept));
  join->total += length;
}

// Takes one checked reply into the join: *more tells whether the CPU has
// further fragments, *seq what the follow-up must repeat.
int TakeFragment(const S7Connection* conn, Join* join, bool* more, Sequence* seq, std::int32_t* ext) {
  const std::uint8_t* reply = conn->replyPdu;
  const std::uint8_t* params = reply + kHeaderLength;
  // Any well-formed reply passes the length check; this one must answer an
  // SZL read, as a userdata response of the CPU functions.
  if (reply[1] != 7 || conn->replyParams != kParamLength || params[5] != kGroupCpuResponse || params[6] != kReadSzl)
    return S7_ERR_BAD_REPLY;
  const int dataLength = conn->replyData;
  if (dataLength < kItemHeader) return S7_ERR_BAD_REPLY;
  const std::uint8_t* item = params + kParamLength;
  if (item[0] != kItemOk) {
    *ext = item[0];
    return S7_ERR_DATA;
  }
  int length = GetBE16(item + 2);
  if (kItemHeader + length > dataLength) return S7_ERR_BAD_REPLY;
  const std::uint8_t* payload = item + kItemHeader;
  if (!join->headerSeen) {
    if (length < kListHeader) return S7_ERR_BAD_REPLY;
    join->list->id = GetBE16(payload);
    join->list->index = GetBE16(payload + 2);
    join->list->recordLength = GetBE16(payload + 4);
    join->declaredCount = GetBE16(payload + 6);
    join->headerSeen = true;
    payload += kListHeader;
    length -= kListHeader;
  }
  Keep(join, payload, length);
  seq->number = params[7];
  seq->unit = params[8];
  *more = params[9] != 0x00;
  return S7_OK;
}

// The list's own record length and count against the bytes it brought.
int Settle(Join* join, std::int32_t* ext) {
  S7SzlList* list = join->list;
  const int length = list->recordLength;
  const bool headerOnly = (list->id & 0x0F00) == 0x0F00;
  int count;
  if (headerOnly) {
    if (join->total != 0) return S7_ERR_DATA_SIZE;
    count = join->declaredCount;
  } else if (join->declaredCount == kCountUnknown) {
    if (length == 0 || join->total % length != 0) return S7_ERR_DATA_SIZE;
    count = join->total / length;
  } else {
    count = join->declaredCount;
    if (static_cast<long>(length) * count != join->total || (length == 0 && count != 0)) return S7_ERR_DATA_SIZE;
  }
  if (count > 0xFFFF) return S7_ERR_DATA_SIZE;
  list->recordCount = static_cast<std::uint16_t>(count);
  if (join->total > join->capacity) {
    *ext = join->total;
    list->bytes = join->capacity;
    return S7_ERR_DATA_SIZE;
  }
  list->bytes = join->total;
  return S7_OK;
}

}  // namespace

int S7_ReadSzlVia(S7Connection* conn, unsigned id, unsigned index, std::uint8_t* records, int capacity,
                  S7SzlList* list, S7ExchangeFn exchange) {
  if (!list || capacity < 0 || (capacity > 0 && !records)) return S7_Fail(S7_ERR_BAD_REQUEST, 0);
  *list = S7SzlList{};
  list->records = records;
  Join join{records, capacity, 0, false, 0, list};
  int rc = BeginFirst(conn, id, index);
  std::int32_t ext = 0;
  bool more = true;
  while (rc == S7_OK && more) {
    rc = exchange(conn);
    if (rc != S7_OK) return rc;  // the exchange has set the error state
    ++list->fragments;
    Sequence seq{};
    rc = TakeFragment(conn, &join, &more, &seq, &ext);
    if (rc == S7_OK && more) {
      // A CPU that never says "last" must not keep us asking.
      rc = list->fragments < S7_SZL_MAX_FRAGMENTS ? BeginFollowUp(conn, seq) : S7_ERR_BAD_REPLY;
    }
  }
  if (rc == S7_OK) rc = Settle(&join, &ext);
  if (rc != S7_OK && rc != S7_ERR_DATA_SIZE) list->bytes = 0;
  return S7_Fail(rc, ext);
}

int S7_ReadSzl(S7Connection* conn, unsigned id, unsigned index, std::uint8_t* records, int capacity,
               S7SzlList* list) {
  return S7_ReadSzlVia(conn, id, index, records, capacity, list, S7_Exchange);
}
