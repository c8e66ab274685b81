// An access point library for the fuzzer: it hands out scripted answers, so
// that whatever the answer blocks claim (lengths, response codes, data) goes
// through the library's SCP parsing. Built under the real library name.
#include <cstdint>
#include <cstring>
#include <deque>
#include <vector>

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {
struct Scripted {
  std::uint16_t claimed;  // the length SCP_receive reports
  std::vector<std::uint8_t> bytes;
};
std::deque<Scripted> g_answers;
}  // namespace

// The script: a sequence of [claimed length, 2 bytes LE][n, 2 bytes LE][n bytes].
EXPORT void fakescp_script(const std::uint8_t* data, std::size_t size) {
  g_answers.clear();
  while (size >= 4) {
    Scripted s;
    s.claimed = static_cast<std::uint16_t>(data[0] | (data[1] << 8));
    std::size_t n = static_cast<std::size_t>(data[2] | (data[3] << 8));
    data += 4;
    size -= 4;
    if (n > size) n = size;
    s.bytes.assign(data, data + n);
    // "Nothing yet" only makes the library sleep and ask again: not worth
    // the fuzzer's time.
    if (s.claimed == 0) s.claimed = static_cast<std::uint16_t>(n ? n : 1);
    data += n;
    size -= n;
    g_answers.push_back(std::move(s));
  }
}

EXPORT int SCP_open(const char*) { return 1; }
EXPORT int SCP_close(int) { return 0; }
EXPORT int SCP_send(int, unsigned short, char*) { return 0; }
EXPORT int SCP_get_errno() { return 1; }

// Out of script: fail at once rather than let the library poll until its
// time-out.
EXPORT int SCP_receive(int, unsigned short, unsigned short* received, unsigned short bufferLength,
                       char* buffer) {
  if (g_answers.empty()) return -1;
  Scripted s = std::move(g_answers.front());
  g_answers.pop_front();
  std::size_t n = s.bytes.size() < bufferLength ? s.bytes.size() : bufferLength;
  if (n > 0) std::memcpy(buffer, s.bytes.data(), n);
  *received = s.claimed;
  return 0;
}
