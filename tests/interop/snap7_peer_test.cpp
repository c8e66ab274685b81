// The peer's own failures: a peer that scripts/setup.sh has not installed, or
// a server that dies, must fail the test that wanted it with the reason, never
// take the whole test program down (a write to a dead server raised SIGPIPE).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "tests/interop/snap7_peer.h"

namespace {

namespace fs = std::filesystem;

// A peer directory of the test's own, named by TOLVANE_SNAP7_DIR while it
// lives: optionally an addon where npm puts it, and a stand-in server script.
class FakePeerDir {
 public:
  FakePeerDir(bool addon, const std::string& script) {
    char name[] = "/tmp/tolvane-peer-XXXXXX";
    dir_ = mkdtemp(name) ? name : "/tmp/tolvane-peer-missing";
    if (addon) {
      const fs::path release = dir_ / "node_modules/node-snap7/build/Release";
      fs::create_directories(release);
      std::ofstream(release / "node_snap7.node") << "";
    }
    if (!script.empty()) std::ofstream(dir_ / "snap7_server.js") << script;
    const char* before = std::getenv("TOLVANE_SNAP7_DIR");
    if (before) before_ = before;
    had_before_ = before != nullptr;
    setenv("TOLVANE_SNAP7_DIR", dir_.c_str(), 1);
  }
  ~FakePeerDir() {
    if (had_before_) setenv("TOLVANE_SNAP7_DIR", before_.c_str(), 1);
    else unsetenv("TOLVANE_SNAP7_DIR");
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  const fs::path& Path() const { return dir_; }

 private:
  fs::path dir_;
  std::string before_;
  bool had_before_ = false;
};

// A stand-in server first lets go of its input, so that it is gone for
// certain by the time the test writes to it.
constexpr const char* kCloseInput = "require('fs').closeSync(0);\n";

TEST(Snap7PeerTest, AMissingOrDyingPeerFailsWithItsReason) {
  struct Case {
    const char* what;
    bool addon;
    std::string script;  // empty: none
    bool starts;
    const char* reason;  // part of the reason Start gives
  };
  const Case cases[] = {
      {"not installed", false, "", false, "run scripts/setup.sh"},
      {"dies before it is ready", true, kCloseInput + std::string("process.exit(3);\n"), false,
       "ended before it was ready: exit code 3"},
      {"dies after it is ready", true,
       kCloseInput + std::string("process.stdout.write('ready\\n');\nprocess.exit(0);\n"), true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakePeerDir dir(c.addon, c.script);
    Snap7Peer peer;
    std::string why;
    ASSERT_EQ(peer.Start(&why), c.starts) << why;
    if (!c.starts) {
      EXPECT_NE(why.find(c.reason), std::string::npos) << why;
      if (!c.addon) {
        EXPECT_NE(why.find(dir.Path().string()), std::string::npos) << why;
      }
      continue;
    }
    // Commands to a server that is gone answer with an error.
    EXPECT_EQ(peer.Command("cpu").rfind("error", 0), 0u);
    peer.Stop();
  }
}

}  // namespace
