// Reading and writing process variables: building a read or write request
// item by item in the transfer buffer, running it, and decoding the reply's
// items into the caller's value buffers. A reply is outside data: every look
// into it is bounded by the bytes that actually arrived, and every write into
// a caller's buffer by the count the caller gave when adding the variable.
#include <cstring>

#include "s7lib/s7internal.h"

namespace {

constexpr int kHeaderLength = 10;
constexpr int kItemLength = 12;
constexpr int kDataItemHeader = 4;
constexpr std::uint8_t kFunctionRead = 0x04;
constexpr std::uint8_t kFunctionWrite = 0x05;
constexpr std::uint8_t kItemOk = 0xFF;

// Data transport size of a write data item, by the item's transport size;
// true when its length counts bits.
struct DataTransport {
  std::uint8_t code;
  bool lengthInBits;
};
DataTransport DataTransportOf(std::uint8_t itemTransport) {
  switch (itemTransport) {
    case 0x01: return {0x03, false};
    case 0x02:
    case 0x04:
    case 0x06: return {0x04, true};
    case 0x05:
    case 0x07: return {0x05, true};
    case 0x08: return {0x07, false};
    default: return {0x09, false};
  }
}

// Whether the request in the transfer buffer is a read or write job.
bool HoldsJob(const S7Connection* conn, std::uint8_t function) {
  const std::uint8_t* pdu = conn->requestPdu;
  return pdu && conn->requestTotal >= kHeaderLength + 2 && pdu[1] == 1 && pdu[kHeaderLength] == function;
}

int RequestItemCount(const S7Connection* conn) { return conn->requestPdu[kHeaderLength + 1]; }

int PduLimit(const S7Connection* conn) { return conn->pduSize < kMaxPduSize ? conn->pduSize : kMaxPduSize; }

// A request that already went out once goes out again under a fresh PDU
// reference, so that a late answer to the earlier run is not taken for the
// answer to this one.
void PrepareRun(S7Connection* conn) {
  if (!conn->jobOpen) {
    conn->requestPdu[4] = static_cast<std::uint8_t>(conn->pduReference);
    conn->requestPdu[5] = static_cast<std::uint8_t>(conn->pduReference >> 8);
    ++conn->pduReference;
  }
  conn->itemCount = 0;
  std::memset(conn->itemResults, 0, sizeof conn->itemResults);
}

// The reply's parameter part must name the request's function and item count.
bool ReplyMatches(const S7Connection* conn, std::uint8_t function, int items) {
  const int at = conn->replyHeader;
  return at > 0 && conn->replyParams >= 2 && at + 2 <= conn->replyReceived &&
         conn->replyPdu[at] == function && conn->replyPdu[at + 1] == items;
}

int RunRead(S7Connection* conn) {
  PrepareRun(conn);
  return S7_DecodeReadReply(conn, S7_Exchange(conn));
}

int RunWrite(S7Connection* conn) {
  PrepareRun(conn);
  return S7_DecodeWriteReply(conn, S7_Exchange(conn));
}

}  // namespace

int S7_DecodeReadReply(S7Connection* conn, int exchanged) {
  if (exchanged != S7_OK && exchanged != S7_ERR_REPLY_SIZE) return exchanged;
  const int requested = RequestItemCount(conn);
  if (!ReplyMatches(conn, kFunctionRead, requested)) return S7_Fail(S7_ERR_BAD_REPLY, 0);

  const std::uint8_t* reply = conn->replyPdu;
  const int dataStart = conn->replyHeader + conn->replyParams;
  const int declaredEnd = dataStart + conn->replyData;
  const int end = declaredEnd < conn->replyReceived ? declaredEnd : conn->replyReceived;
  int pos = dataStart;
  std::uint32_t mask = 0;
  int firstError = S7_OK;
  bool truncated = false;
  for (int i = 0; i < requested; ++i) {
    if (pos + kDataItemHeader > end) {
      truncated = true;
    } else {
      const std::uint8_t code = reply[pos];
      const std::uint8_t transport = reply[pos + 1];
      int length = GetBE16(reply + pos + 2);
      if (transport == 0x04 || transport == 0x05) length /= 8;
      conn->itemResults[i] = code;
      pos += kDataItemHeader;
      const ItemDescriptor& item = conn->items[i];
      int failure = S7_OK;
      if (code != kItemOk) {
        // A failed item is its header alone, whatever length it declares
        // (some servers put the requested length there).
        failure = S7_ERR_DATA;
        length = 0;
      } else if (length != S7_WireBytes(item.type, item.count)) {
        failure = S7_ERR_DATA_SIZE;
      }
      if (pos + length > end) {
        truncated = true;  // the data this item claims did not arrive
        if (failure == S7_OK) failure = S7_ERR_DATA_SIZE;
      } else if (failure == S7_OK && item.values) {
        S7_DecodeElements(item.type, item.count, item.convert, reply + pos, item.values);
      }
      if (failure != S7_OK) {
        mask |= 1u << i;
        if (firstError == S7_OK) firstError = failure;
      }
      pos += length;
      if (((pos - dataStart) & 1) && i + 1 < requested) ++pos;  // fill byte
    }
    if (truncated) {
      for (int j = i; j < requested; ++j) mask |= 1u << j;
      break;
    }
  }
  conn->itemCount = requested;

  // A CPU answers a failed item with its header alone, so a reply with
  // failed items is shorter than the one expected. When the items account
  // for every byte of the reply, the item errors are the news; a length
  // mismatch that the items do not explain stays 29.
  const bool selfConsistent = !truncated && pos == end && declaredEnd <= conn->replyReceived;
  int result;
  if (exchanged == S7_ERR_REPLY_SIZE)
    result = selfConsistent && firstError != S7_OK ? firstError : S7_ERR_REPLY_SIZE;
  else if (firstError != S7_OK)
    result = firstError;
  else
    result = truncated ? S7_ERR_BAD_REPLY : S7_OK;
  return S7_Fail(result, static_cast<std::int32_t>(mask));
}

int S7_DecodeWriteReply(S7Connection* conn, int exchanged) {
  if (exchanged != S7_OK) return exchanged;
  const int requested = RequestItemCount(conn);
  const int dataStart = conn->replyHeader + conn->replyParams;
  if (!ReplyMatches(conn, kFunctionWrite, requested) || conn->replyData < requested ||
      dataStart + requested > conn->replyReceived)
    return S7_Fail(S7_ERR_BAD_REPLY, 0);
  std::uint32_t mask = 0;
  for (int i = 0; i < requested; ++i) {
    const std::uint8_t code = conn->replyPdu[dataStart + i];
    conn->itemResults[i] = code;
    if (code != kItemOk) mask |= 1u << i;
  }
  conn->itemCount = requested;
  return S7_Fail(mask ? S7_ERR_DATA : S7_OK, static_cast<std::int32_t>(mask));
}

namespace {

// The checks that open a run of S7_MultiRead / S7_MultiWrite.
int CheckRun(S7Connection* conn, std::uint8_t function) {
  int rc = S7_CheckConnection(conn, 0, 0);
  if (rc != S7_OK) return rc;
  if (!conn->connected || !conn->requestPdu) return S7_Fail(S7_ERR_NOT_CONNECTED, 0);
  if (!HoldsJob(conn, function) || RequestItemCount(conn) == 0) return S7_Fail(S7_ERR_NO_VARS, 0);
  return S7_OK;
}

int Begin(S7Connection* conn, std::uint8_t function) {
  int rc = S7_BeginPdu(conn, 1, function, 0, 1);
  return S7_Fail(rc, 0);
}

}  // namespace

int S7_MultiRead_Begin(S7Connection* conn) { return Begin(conn, kFunctionRead); }

int S7_MultiWrite_Begin(S7Connection* conn) { return Begin(conn, kFunctionWrite); }

namespace {

// What S7_AddVar refuses before it looks at the room left: S7_OK or the code.
int CheckItem(unsigned type, unsigned area, int bit, int count, const void* values) {
  if (type > kS7TypeLast) return S7_ERR_BAD_TYPE;
  if (area > S7_AREA_COUNTERS) return S7_ERR_BAD_AREA;
  if (bit != 0 && kTypeInfo[type].ownTransport != 0x01) return S7_ERR_BAD_ADDRESS;
  if (count < 1) return S7_ERR_BAD_COUNT;
  if (type == S7_TYPE_BIT) {
    if (bit < 0 || bit > 7) return S7_ERR_BAD_ADDRESS;
    if (count > 1 && (count % 8 != 0 || bit != 0)) return S7_ERR_BAD_COUNT;
  }
  // Nowhere to take values from or put them: nothing sensible can be sent.
  if (!values) return S7_ERR_BAD_REQUEST;
  return S7_OK;
}

}  // namespace

int S7_CheckVar(unsigned type, unsigned area, int bit, int count) {
  // Any non-null pointer: the values are not what is asked about here.
  static const std::uint8_t kSomewhere = 0;
  return CheckItem(type, area, bit, count, &kSomewhere);
}

int S7_DecodeValues(unsigned type, int count, int convert, const std::uint8_t* wire, int wireLength, void* values) {
  const int rc = CheckItem(type, S7_AREA_INPUTS, 0, count, values);
  if (rc != S7_OK) return rc;
  // Beyond this the byte length would not fit an int; no request holds it.
  if (count > (1 << 27)) return S7_ERR_BAD_COUNT;
  if (!wire || wireLength != S7_WireBytes(type, count)) return S7_ERR_DATA_SIZE;
  S7_DecodeElements(type, count, convert, wire, values);
  return S7_OK;
}

namespace {

// How an item travels: its transport size, its data bytes, and the length
// its request item declares (elements in its own transport, else bytes). A
// run of bits goes as bytes.
struct ItemShape {
  std::uint8_t transport;
  std::int64_t byteLength;
  std::uint32_t itemLength;
};
ItemShape ShapeOf(unsigned type, int count) {
  const S7TypeInfo& info = kTypeInfo[type];
  if (type == S7_TYPE_BIT && count > 1) return {0x03, count / 8, static_cast<std::uint32_t>(count / 8)};
  const std::int64_t bytes = static_cast<std::int64_t>(count) * info.elementSize;
  const std::uint32_t length = info.sentTransport == info.ownTransport ? static_cast<std::uint32_t>(count)
                                                                       : static_cast<std::uint32_t>(bytes);
  return {info.sentTransport, bytes, length};
}

// Request and expected reply sizes with one more item; false when either
// passes the PDU.
bool RoomFor(const S7Connection* conn, bool write, int fill, std::int64_t byteLength, std::int64_t* total,
             std::int64_t* reply) {
  *total = conn->requestTotal;
  *reply = conn->expectedReply;
  if (write) {
    *total += fill + kItemLength + kDataItemHeader + byteLength;
    *reply += 1;
  } else {
    *total += kItemLength;
    *reply = ((*reply + 1) & ~std::int64_t{1}) + kDataItemHeader + byteLength;
  }
  return *total <= PduLimit(conn) && *reply <= PduLimit(conn);
}

// The 12-byte request item behind the parameters; data already there moves
// on.
void InsertItem(S7Connection* conn, const ItemShape& shape, unsigned type, unsigned area, int dbNumber,
                int start, int bit) {
  std::uint8_t* pdu = conn->requestPdu;
  std::uint8_t* item = pdu + kHeaderLength + conn->requestParams;
  std::memmove(item + kItemLength, item, static_cast<std::size_t>(conn->requestData));
  const std::uint32_t address = (type == S7_TYPE_TIMER || type == S7_TYPE_COUNTER)
                                    ? static_cast<std::uint32_t>(start)
                                    : static_cast<std::uint32_t>(start) * 8u + static_cast<std::uint32_t>(bit);
  item[0] = 0x12;
  item[1] = 0x0A;
  item[2] = 0x10;
  item[3] = shape.transport;
  PutBE16(item + 4, shape.itemLength);
  PutBE16(item + 6, static_cast<std::uint32_t>(dbNumber));
  item[8] = kAreaCodes[area];
  item[9] = static_cast<std::uint8_t>(address >> 16);
  item[10] = static_cast<std::uint8_t>(address >> 8);
  item[11] = static_cast<std::uint8_t>(address);
  conn->requestParams += kItemLength;
  ++pdu[kHeaderLength + 1];
}

// A write item's data at the end of the data part, after a fill byte that
// keeps the previous item's data even.
void AppendWriteData(S7Connection* conn, const ItemShape& shape, int fill, unsigned type, int count, int convert,
                     const void* values) {
  std::uint8_t* data = conn->requestPdu + kHeaderLength + conn->requestParams + conn->requestData;
  if (fill) *data++ = 0x00;
  const DataTransport dt = DataTransportOf(shape.transport);
  data[0] = 0x00;
  data[1] = dt.code;
  PutBE16(data + 2, static_cast<std::uint32_t>(dt.lengthInBits ? shape.byteLength * 8 : shape.byteLength));
  S7_EncodeElements(type, count, convert, values, data + kDataItemHeader);
  conn->requestData += fill + kDataItemHeader + static_cast<int>(shape.byteLength);
}

}  // namespace

int S7_AddVar(S7Connection* conn, unsigned type, unsigned area, int dbNumber, int start, int bit, int count,
              int convert, void* values) {
  int rc = S7_CheckConnection(conn, 0, 0);
  if (rc != S7_OK) return rc;
  if (!conn->jobOpen || !conn->requestPdu) return S7_Fail(S7_ERR_BAD_REQUEST, 0);
  std::uint8_t* pdu = conn->requestPdu;
  const bool write = pdu[kHeaderLength] == kFunctionWrite;
  const int items = RequestItemCount(conn);
  if (items >= kMaxItems) return S7_Fail(S7_ERR_TOO_MANY_VARS, 0);
  rc = CheckItem(type, area, bit, count, values);
  if (rc != S7_OK) return S7_Fail(rc, 0);

  const ItemShape shape = ShapeOf(type, count);
  const int fill = write ? (conn->requestData & 1) : 0;
  std::int64_t total, reply;
  if (!RoomFor(conn, write, fill, shape.byteLength, &total, &reply)) return S7_Fail(S7_ERR_PDU_TOO_LARGE, 0);

  InsertItem(conn, shape, type, area, dbNumber, start, bit);
  if (write) {
    AppendWriteData(conn, shape, fill, type, count, convert, values);
  } else {
    const int elementSize = type == S7_TYPE_BIT && count > 1 ? 0 : kTypeInfo[type].elementSize;
    conn->items[items] = ItemDescriptor{type, count, elementSize, convert, values};
  }
  PutBE16(pdu + 6, static_cast<std::uint32_t>(conn->requestParams));
  PutBE16(pdu + 8, static_cast<std::uint32_t>(conn->requestData));
  conn->requestTotal = static_cast<int>(total);
  conn->expectedReply = static_cast<int>(reply);
  return S7_Fail(S7_OK, 0);
}

int S7_GetVarCapacity(S7Connection* conn, int forNewVar, unsigned type, int* count) {
  if (count) *count = 0;
  int rc = S7_CheckConnection(conn, 0, 0);
  if (rc != S7_OK) return rc;
  if (!conn->jobOpen || !conn->requestPdu) return S7_Fail(S7_ERR_BAD_REQUEST, 0);
  if (RequestItemCount(conn) >= kMaxItems) return S7_Fail(S7_ERR_TOO_MANY_VARS, 0);
  if (type > kS7TypeLast) return S7_Fail(S7_ERR_BAD_TYPE, 0);
  const bool write = conn->requestPdu[kHeaderLength] == kFunctionWrite;
  const int size = kTypeInfo[type].elementSize;
  int r = conn->requestTotal;
  int e = conn->expectedReply;
  if (forNewVar) {
    if (write) {
      r += kItemLength + kDataItemHeader;
    } else {
      r += kItemLength;
      e += kDataItemHeader;
    }
  }
  const int pdu = PduLimit(conn);
  if (count && r < pdu && e < pdu) *count = (pdu - (write ? r : e)) / size;
  return S7_Fail(S7_OK, 0);
}

int S7_MultiRead(S7Connection* conn) {
  int rc = CheckRun(conn, kFunctionRead);
  return rc != S7_OK ? rc : RunRead(conn);
}

int S7_MultiWrite(S7Connection* conn) {
  int rc = CheckRun(conn, kFunctionWrite);
  return rc != S7_OK ? rc : RunWrite(conn);
}

int S7_SimpleRead(S7Connection* conn, unsigned type, unsigned area, int dbNumber, int start, int bit, int count,
                  int convert, void* values) {
  int rc = S7_MultiRead_Begin(conn);
  if (rc == S7_OK) rc = S7_AddVar(conn, type, area, dbNumber, start, bit, count, convert, values);
  return rc != S7_OK ? rc : RunRead(conn);
}

int S7_SimpleWrite(S7Connection* conn, unsigned type, unsigned area, int dbNumber, int start, int bit, int count,
                   int convert, void* values) {
  int rc = S7_MultiWrite_Begin(conn);
  if (rc == S7_OK) rc = S7_AddVar(conn, type, area, dbNumber, start, bit, count, convert, values);
  return rc != S7_OK ? rc : RunWrite(conn);
}
