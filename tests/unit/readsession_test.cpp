// The read window's session without a window: sequences of events as the
// user-interface thread sees them, each with the actions the front end is to
// carry out, written as a short text ("hold start(rc) close-handle ask give
// finish"), and whether a window is running afterwards.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/readsession.h"

namespace {

std::string Text(const ReadSessionActions& a) {
  std::string t;
  auto add = [&t](const char* word) {
    if (!t.empty()) t += ' ';
    t += word;
  };
  if (a.holdMain) add("hold");
  if (a.closeThreadHandle) add("close-handle");
  if (a.startThread) add(a.start.readBack ? (a.start.cyclic ? "start(rc)" : "start(r)") : (a.start.cyclic ? "start(c)" : "start()"));
  if (a.askWindowToClose) add("ask");
  if (a.giveMainBack) add("give");
  if (a.finishClose) add("finish");
  return t.empty() ? "-" : t;
}

enum class Ev { Open, OpenReadBack, OpenCyclic, Started, StartFailed, Ended, EndedStale, Closing, CloseProgram };

struct Step {
  Ev event;
  std::uint32_t sequence;  // Started: the new thread's; Ended: the one in the message
  const char* actions;
  bool running;
};

ReadSessionActions Apply(ReadSession* s, const Step& step) {
  switch (step.event) {
    case Ev::Open: return ReadSession_Open(s, {});
    case Ev::OpenReadBack: return ReadSession_Open(s, {.readBack = true});
    case Ev::OpenCyclic: return ReadSession_Open(s, {.readBack = true, .cyclic = true});
    case Ev::Started: return ReadSession_Started(s, true, step.sequence);
    case Ev::StartFailed: return ReadSession_Started(s, false, 0);
    case Ev::Ended:
    case Ev::EndedStale: return ReadSession_ThreadEnded(s, step.sequence);
    case Ev::Closing: return ReadSession_WindowClosing(s);
    case Ev::CloseProgram: return ReadSession_RequestClose(s);
  }
  return {};
}

struct Case {
  const char* what;
  std::vector<Step> steps;
};

TEST(ReadSession, EventSequences) {
  const Case cases[] = {
      {"open, read, close by the user",
       {{Ev::OpenReadBack, 0, "hold start(r)", true},
        {Ev::Started, 7, "-", true},
        {Ev::Open, 0, "-", true},  // a second opening while one exists is refused
        {Ev::Closing, 0, "give", true},
        {Ev::Ended, 7, "close-handle", false}}},
      {"open while the last window's thread is still ending",
       {{Ev::Open, 0, "hold start()", true},
        {Ev::Started, 3, "-", true},
        {Ev::Closing, 0, "give", true},
        {Ev::OpenCyclic, 0, "hold", true},  // waits for thread 3
        {Ev::Ended, 3, "close-handle start(rc)", true},
        {Ev::Started, 4, "-", true},
        {Ev::Closing, 0, "give", true},
        {Ev::Ended, 4, "close-handle", false}}},
      {"the program closes before the window exists",
       {{Ev::OpenCyclic, 0, "hold start(rc)", true},
        {Ev::Started, 9, "-", true},
        {Ev::CloseProgram, 0, "ask", true},
        {Ev::Closing, 0, "give", true},
        {Ev::Ended, 9, "close-handle finish", false}}},
      {"an end message with a stale sequence number",
       {{Ev::Open, 0, "hold start()", true},
        {Ev::Started, 12, "-", true},
        {Ev::EndedStale, 11, "-", true},  // an earlier thread's, or another's
        {Ev::EndedStale, 0, "-", true},
        {Ev::Closing, 0, "give", true},
        {Ev::EndedStale, 13, "-", true},
        {Ev::Ended, 12, "close-handle", false},
        {Ev::EndedStale, 12, "-", false}}},  // the same message twice
      {"the thread ends without handing the main window back (a fault)",
       {{Ev::Open, 0, "hold start()", true},
        {Ev::Started, 5, "-", true},
        {Ev::Ended, 5, "close-handle give", false}}},
      {"the thread cannot be started",
       {{Ev::Open, 0, "hold start()", true}, {Ev::StartFailed, 0, "give", false}, {Ev::Open, 0, "hold start()", true}}},
      {"the program closes while an opening waits for the last thread",
       {{Ev::Open, 0, "hold start()", true},
        {Ev::Started, 2, "-", true},
        {Ev::Closing, 0, "give", true},
        {Ev::Open, 0, "hold", true},
        {Ev::CloseProgram, 0, "ask give", true},
        {Ev::Ended, 2, "close-handle finish", false},
        {Ev::Open, 0, "-", false}}},  // nothing opens once the program ends
      {"the program closes without a read window",
       {{Ev::CloseProgram, 0, "finish", false}}},
  };
  for (const Case& c : cases) {
    ReadSession s;
    int n = 0;
    for (const Step& step : c.steps) {
      const ReadSessionActions a = Apply(&s, step);
      EXPECT_EQ(Text(a), step.actions) << c.what << ", step " << n;
      EXPECT_EQ(ReadSession_Running(&s), step.running) << c.what << ", step " << n;
      ++n;
    }
  }
}

// The main window takes commands exactly while no window holds it.
TEST(ReadSession, HoldingFollowsTheWindow) {
  ReadSession s;
  EXPECT_FALSE(s.holding);
  ReadSession_Open(&s, {});
  EXPECT_TRUE(s.holding) << "before the thread even starts";
  ReadSession_Started(&s, true, 1);
  ReadSession_WindowClosing(&s);
  EXPECT_FALSE(s.holding) << "the window hands the main window back before it goes";
  ReadSession_Open(&s, {});
  EXPECT_TRUE(s.holding) << "an opening that waits holds the main window too";
}

}  // namespace
