// Where the core's own log lines go. The core stands below the application's
// log pane, so the application installs the way there instead of the core
// reaching up for it.
#include <atomic>

#include "vars/logsink.h"

namespace {
std::atomic<VarsLogSink> g_sink{nullptr};
}

void Vars_SetLogSink(VarsLogSink sink) { g_sink.store(sink); }

void Vars_Log(const char* text, std::size_t length) {
  if (VarsLogSink sink = g_sink.load()) sink(text, length);
}
