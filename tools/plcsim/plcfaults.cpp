// Reply faults for tests, as rewrites of the reply PDU the model built.
#include "tools/plcsim/plcfaults.h"

namespace plcsim {

namespace {
constexpr std::size_t kAckHeader = 12;
bool LengthInBits(std::uint8_t transport) { return transport == 0x04 || transport == 0x05; }
}  // namespace

bool ParseReadReply(const Bytes& pdu, std::vector<ReplyItem>* items) {
  items->clear();
  if (pdu.size() < kAckHeader + 2 || pdu[1] != 3) return false;
  const std::size_t params = static_cast<std::size_t>((pdu[6] << 8) | pdu[7]);
  const int count = pdu[kAckHeader + 1];
  std::size_t pos = kAckHeader + params;
  const std::size_t start = pos;
  for (int i = 0; i < count; ++i) {
    if (pos + 4 > pdu.size()) return false;
    ReplyItem item{pdu[pos], pdu[pos + 1], {}};
    std::size_t length = static_cast<std::size_t>((pdu[pos + 2] << 8) | pdu[pos + 3]);
    if (LengthInBits(item.transport)) length /= 8;
    pos += 4;
    if (pos + length > pdu.size()) return false;
    item.data.assign(pdu.begin() + static_cast<std::ptrdiff_t>(pos),
                     pdu.begin() + static_cast<std::ptrdiff_t>(pos + length));
    pos += length;
    if (((pos - start) & 1) && i + 1 < count) ++pos;
    items->push_back(std::move(item));
  }
  return true;
}

void RebuildReadReply(Bytes* pdu, const std::vector<ReplyItem>& items) {
  const std::size_t params = static_cast<std::size_t>(((*pdu)[6] << 8) | (*pdu)[7]);
  pdu->resize(kAckHeader + params);
  const std::size_t start = pdu->size();
  for (std::size_t i = 0; i < items.size(); ++i) {
    const ReplyItem& item = items[i];
    const std::size_t length = LengthInBits(item.transport) ? item.data.size() * 8 : item.data.size();
    pdu->insert(pdu->end(), {item.code, item.transport, static_cast<std::uint8_t>(length >> 8),
                             static_cast<std::uint8_t>(length)});
    pdu->insert(pdu->end(), item.data.begin(), item.data.end());
    if (((pdu->size() - start) & 1) && i + 1 < items.size()) pdu->push_back(0x00);
  }
  FinishLengths(pdu, static_cast<int>(kAckHeader), static_cast<int>(params));
}

Fault ItemLengthFault(int item, int length) {
  return {FaultKind::RewriteReply, 0, 0, 0, [item, length](Bytes& pdu) {
            std::vector<ReplyItem> items;
            if (!ParseReadReply(pdu, &items) || item >= static_cast<int>(items.size())) return;
            items[static_cast<std::size_t>(item)].data.resize(static_cast<std::size_t>(length), 0);
            RebuildReadReply(&pdu, items);
          }};
}

Fault ItemCountFault(int count) {
  return {FaultKind::RewriteReply, 0, 0, 0, [count](Bytes& pdu) {
            if (pdu.size() > kAckHeader + 1) pdu[kAckHeader + 1] = static_cast<std::uint8_t>(count);
          }};
}

Fault ErrorClassFault(std::uint8_t errorClass, std::uint8_t errorCode) {
  return {FaultKind::RewriteReply, 0, 0, 0, [errorClass, errorCode](Bytes& pdu) {
            Bytes request = pdu;  // only its PDU reference is used
            pdu = AckHeader(request, 2, errorClass, errorCode);
            FinishLengths(&pdu, 12, 0);
          }};
}

}  // namespace plcsim
