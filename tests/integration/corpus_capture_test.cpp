// Captures real replies of the simulated CPU to the service fuzz target's
// requests and writes them, framed as they arrive on the wire, as corpus
// files: run with TOLVANE_CORPUS_DIR=tests/fuzz/corpus/service_fuzz to
// refresh the checked-in corpus. Without it the test only checks that every
// recipe still runs cleanly against the simulator.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/fuzz/service_recipes.h"
#include "tests/integration/rw_fixture.h"

namespace {

using plcsim::Bytes;
using CorpusCapture = RwTest;

void Save(const char* name, std::uint8_t selector, const Bytes& pdu) {
  const char* dir = std::getenv("TOLVANE_CORPUS_DIR");
  if (!dir) return;
  Bytes file = {selector, 0x03, 0x00, 0x00, 0x00, 0x02, 0xF0, 0x80};
  file.insert(file.end(), pdu.begin(), pdu.end());
  const std::size_t frameLength = pdu.size() + 7;
  file[3] = static_cast<std::uint8_t>(frameLength >> 8);
  file[4] = static_cast<std::uint8_t>(frameLength);
  const std::string path = std::string(dir) + "/" + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  std::fwrite(file.data(), 1, file.size(), f);
  std::fclose(f);
}

TEST_F(CorpusCapture, RecipesAgainstTheSimulator) {
  for (const rwtest::Var& v : rwtest::AllTypes()) SetMemory(v);
  struct Case {
    const char* name;
    std::uint8_t selector;
    int expected;
    const plcsim::Fault* fault;
  };
  const plcsim::Fault length = plcsim::ItemLengthFault(3, 2);
  const plcsim::Fault count = plcsim::ItemCountFault(3);
  const Case cases[] = {
      {"read_mixed", recipes::kRead, S7_ERR_DATA, nullptr},
      {"read_mixed_raw", recipes::kRead | 4, S7_ERR_DATA, nullptr},
      {"read_item_length", recipes::kRead, S7_ERR_DATA_SIZE, &length},
      {"read_item_count", recipes::kRead, S7_ERR_BAD_REPLY, &count},
      {"write_mixed", recipes::kWrite, S7_ERR_DATA, nullptr},
      {"state", recipes::kState, S7_OK, nullptr},
      {"clock", recipes::kClock, S7_OK, nullptr},
  };
  for (const Case& c : cases) {
    recipes::Buffers buffers;
    const std::uint8_t recipe = c.selector & 3;
    ASSERT_EQ(recipes::Begin(conn_, recipe, (c.selector & 4) ? 0 : 1, &buffers), S7_OK) << c.name;
    if (c.fault) sim_.Inject(*c.fault);
    int rc = S7_OK;
    CalendarRecord clock{};
    switch (recipe) {
      case recipes::kRead: rc = S7_MultiRead(conn_); break;
      case recipes::kWrite: rc = S7_MultiWrite(conn_); break;
      case recipes::kState: rc = S7_GetCpuState(conn_, nullptr); break;
      default: rc = S7_GetCpuClock(conn_, &clock); break;
    }
    EXPECT_EQ(rc, c.expected) << c.name;
    Save(c.name, c.selector, sim_.LastReplyPdu());
  }
}

}  // namespace
