// Captures real replies of the simulated CPU to the service fuzz target's
// requests and writes them, framed as they arrive on the wire, as corpus
// files: run with TOLVANE_CORPUS_DIR=tests/fuzz/corpus/service_fuzz to
// refresh the checked-in corpus (TOLVANE_SZL_CORPUS_DIR for the system
// status list target's). Without it the test only checks that every recipe
// still runs cleanly against the simulator.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/fuzz/service_recipes.h"
#include "tests/integration/rw_fixture.h"

namespace {

using plcsim::Bytes;
using CorpusCapture = RwTest;

void AppendFrame(Bytes* file, const Bytes& pdu) {
  const std::size_t frameLength = pdu.size() + 7;
  file->insert(file->end(), {0x03, 0x00, static_cast<std::uint8_t>(frameLength >> 8),
                             static_cast<std::uint8_t>(frameLength), 0x02, 0xF0, 0x80});
  file->insert(file->end(), pdu.begin(), pdu.end());
}

void SaveFile(const char* variable, const char* name, const Bytes& file) {
  const char* dir = std::getenv(variable);
  if (!dir) return;
  const std::string path = std::string(dir) + "/" + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  std::fwrite(file.data(), 1, file.size(), f);
  std::fclose(f);
}

void Save(const char* name, std::uint8_t selector, const Bytes& pdu) {
  Bytes file = {selector};
  AppendFrame(&file, pdu);
  SaveFile("TOLVANE_CORPUS_DIR", name, file);
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

// The fragments of each list the list target decodes, under the PDU
// references the target's connection uses (0, 1, 2, ...).
TEST_F(CorpusCapture, SzlListsAgainstTheSimulator) {
  struct Case {
    const char* name;
    std::uint8_t selector;
    unsigned id, index;
    int expected;
  } cases[] = {
      {"szl_module", 0, 0x0011, 0, S7_OK},      {"szl_component", 1, 0x001C, 0, S7_OK},
      {"szl_leds", 2, 0x0074, 0, S7_OK},        {"szl_protection", 3, 0x0232, 4, S7_OK},
      {"szl_mode", 4, 0x0424, 0, S7_OK},        {"szl_limits", 5, 0x0131, 1, S7_OK},
      {"szl_diagnostics", 6, 0x00A0, 0, S7_OK}, {"szl_header_only", 7, 0x0F74, 0, S7_OK},
      {"szl_diagnostics_small_buffer", 6 | 8, 0x00A0, 0, S7_OK},
  };
  std::vector<Bytes> replies;
  for (const Case& c : cases) {
    replies.clear();
    for (int i = 0; i < 8; ++i)
      sim_.Inject({plcsim::FaultKind::RewriteReply, 0, 0, 0, [&replies](Bytes& pdu) { replies.push_back(pdu); }});
    std::uint8_t records[4096];
    S7SzlList list{};
    EXPECT_EQ(S7_ReadSzl(conn_, c.id, c.index, records, sizeof records, &list), c.expected) << c.name;
    sim_.ClearFaults();
    Bytes file = {c.selector};
    for (std::size_t k = 0; k < replies.size(); ++k) {
      replies[k][4] = static_cast<std::uint8_t>(k);
      replies[k][5] = static_cast<std::uint8_t>(k >> 8);
      AppendFrame(&file, replies[k]);
    }
    SaveFile("TOLVANE_SZL_CORPUS_DIR", c.name, file);
  }
}

}  // namespace
