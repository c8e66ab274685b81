// tolvane-cli: Tolvane's commands from a terminal, for scripted checks on a
// test bench. Its output is the log the main window would show for the same
// operations.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/runtime.h"
#include "cli/session.h"
#include "platform/platform.h"

namespace {
void OnInterrupt() { CliSession::Interrupt(); }
}  // namespace

int main(int argc, char** argv) {
  if (int rc = Rt_Init()) return rc;
  Plat_PrepareConsole();
  std::vector<char*> raw(static_cast<std::size_t>(argc) + 1);
  const int n = Plat_Arguments(argc, argv, raw.data(), argc);
  std::vector<std::string> args(raw.begin() + (n > 0 ? 1 : 0), raw.begin() + n);
  for (int i = 0; i < n; ++i) std::free(raw[static_cast<std::size_t>(i)]);

  CliOptions options;
  std::string why;
  if (!ParseCommandLine(args, &options, &why)) {
    std::fprintf(stderr, "tolvane-cli: %s\n%s", why.c_str(), UsageText());
    return kExitUsage;
  }
  if (options.help) {
    std::fputs(UsageText(), stdout);
    return 0;
  }
  CliSession session(options, stdout);
  if (!session.Validate(&why)) {
    std::fprintf(stderr, "tolvane-cli: %s\n%s", why.c_str(), UsageText());
    return kExitUsage;
  }
  Plat_OnInterrupt(OnInterrupt);
  return session.Run();
}
