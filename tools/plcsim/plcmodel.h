// The simulated CPU behind the simulator's sockets: takes one S7 request PDU
// and builds its reply, as a real CPU would, from its own state.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

namespace plcsim {

struct ModelConfig {
  int pduSize = 240;  // the most this CPU grants in the setup communication
};

class PlcModel {
 public:
  explicit PlcModel(const ModelConfig& config);

  // Builds the reply to one request PDU; false when the request gets none.
  bool Handle(const std::vector<std::uint8_t>& request, std::vector<std::uint8_t>* reply);

  int PduSize() const { return config_.pduSize; }

 private:
  void SetupCommunication(const std::vector<std::uint8_t>& request, std::vector<std::uint8_t>* reply);

  ModelConfig config_;
  std::mutex mutex_;
};

// Reply header helpers: an acknowledgement (message type 2 or 3) with the
// request's PDU reference, parameter and data lengths filled in later.
std::vector<std::uint8_t> AckHeader(const std::vector<std::uint8_t>& request, std::uint8_t type,
                                    std::uint8_t errorClass, std::uint8_t errorCode);
void FinishLengths(std::vector<std::uint8_t>* pdu, int headerLength, int paramLength);

}  // namespace plcsim
