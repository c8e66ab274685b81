// The simulated CPU's services.
#include "tools/plcsim/plcmodel.h"

namespace plcsim {

namespace {
constexpr std::uint8_t kFunctionSetup = 0xF0;
}

std::vector<std::uint8_t> AckHeader(const std::vector<std::uint8_t>& request, std::uint8_t type,
                                    std::uint8_t errorClass, std::uint8_t errorCode) {
  std::vector<std::uint8_t> pdu = {0x32, type, 0x00, 0x00, request.size() > 5 ? request[4] : std::uint8_t{0},
                                   request.size() > 5 ? request[5] : std::uint8_t{0},
                                   0, 0, 0, 0};
  if (type == 2 || type == 3) {
    pdu.push_back(errorClass);
    pdu.push_back(errorCode);
  }
  return pdu;
}

void FinishLengths(std::vector<std::uint8_t>* pdu, int headerLength, int paramLength) {
  int dataLength = static_cast<int>(pdu->size()) - headerLength - paramLength;
  (*pdu)[6] = static_cast<std::uint8_t>(paramLength >> 8);
  (*pdu)[7] = static_cast<std::uint8_t>(paramLength);
  (*pdu)[8] = static_cast<std::uint8_t>(dataLength >> 8);
  (*pdu)[9] = static_cast<std::uint8_t>(dataLength);
}

PlcModel::PlcModel(const ModelConfig& config) : config_(config) {}

bool PlcModel::Handle(const std::vector<std::uint8_t>& request, std::vector<std::uint8_t>* reply) {
  std::lock_guard lock(mutex_);
  if (request.size() < 10 || request[0] != 0x32) return false;
  const std::uint8_t type = request[1];
  const int paramLength = (request[6] << 8) | request[7];
  if (type == 1 && request.size() >= 11 && paramLength >= 1) {
    if (request[10] == kFunctionSetup) {
      SetupCommunication(request, reply);
      return true;
    }
  }
  // Anything this CPU does not offer: an acknowledgement carrying the error
  // a CPU gives for a service it does not know.
  *reply = AckHeader(request, 2, 0x84, 0x04);
  FinishLengths(reply, 12, 0);
  return true;
}

void PlcModel::SetupCommunication(const std::vector<std::uint8_t>& request,
                                  std::vector<std::uint8_t>* reply) {
  int asked = request.size() >= 18 ? (request[16] << 8) | request[17] : 0;
  int granted = asked > 0 && asked < config_.pduSize ? asked : config_.pduSize;
  *reply = AckHeader(request, 3, 0, 0);
  const std::uint8_t params[8] = {0xF0, 0x00, 0x00, 0x01, 0x00, 0x01,
                                  static_cast<std::uint8_t>(granted >> 8), static_cast<std::uint8_t>(granted)};
  reply->insert(reply->end(), params, params + 8);
  FinishLengths(reply, 12, 8);
}

}  // namespace plcsim
