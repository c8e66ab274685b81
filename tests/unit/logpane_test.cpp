// The log pane: where it sets its marks and cuts, how the selection survives
// a cut, and texts from another thread.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/logpane.h"
#include "runtime/runtime.h"
#include "tests/support/string_view_text.h"

namespace {

// An entry of exactly `length` characters ending in CR LF.
std::string Entry(int number, int length) {
  char head[16];
  std::snprintf(head, sizeof head, "%06d", number);
  std::string e(head);
  e.resize(static_cast<std::size_t>(length - 2), '.');
  return e + "\r\n";
}

struct Pane {
  StringTextView view;
  LogPane* pane;
  Pane(int charLimit, int lineLimit) { pane = LogPane_Create(nullptr, &view, charLimit, lineLimit); }
  ~Pane() { LogPane_Destroy(pane); }
  void Write(const std::string& text) { LogWrite(pane, text.c_str(), 0, LogOwnership::CallerKeeps); }
};

TEST(LogPane, CreateSetsThresholdsAndDefaults) {
  Pane main(kMainLogCharLimit, kMainLogLineLimit);
  EXPECT_EQ(main.pane->charThreshold, 16000);
  EXPECT_EQ(main.pane->lineThreshold, 100);
  EXPECT_EQ(main.view.limit, 64000);
  Pane none(0, 0);
  EXPECT_EQ(none.pane->lineLimit, 800) << "a pane without limits gets 800 lines";
  EXPECT_EQ(none.pane->lineThreshold, 200);
  EXPECT_EQ(none.view.limit, 0);
}

TEST(LogPane, LineLimitMarksAndCutsAQuarterAtATime) {
  Pane p(kMainLogCharLimit, kMainLogLineLimit);
  for (int i = 0; i < 400; ++i) p.Write(Entry(i, 100));
  EXPECT_EQ(p.pane->markCount, 3);
  EXPECT_EQ(p.pane->lineMarks[0], 100);
  EXPECT_EQ(p.pane->lineMarks[1], 200);
  EXPECT_EQ(p.pane->lineMarks[2], 300);
  EXPECT_EQ(p.view.text.size(), 40000u) << "400 lines fit exactly";
  p.Write(Entry(400, 100));  // would pass 400 lines: the first quarter goes
  EXPECT_EQ(p.pane->lineCount, 301);
  EXPECT_EQ(p.view.text.substr(0, 6), "000100");
  EXPECT_EQ(p.pane->lineMarks[0], 100);
  EXPECT_EQ(p.pane->lineMarks[2], 300);
  for (int i = 401; i < 2000; ++i) p.Write(Entry(i, 100));
  EXPECT_LE(p.pane->lineCount, 400);
  EXPECT_GE(p.pane->lineCount, 300);
  EXPECT_EQ(p.pane->charCount, static_cast<int>(p.view.text.size()));
  EXPECT_EQ(p.view.text.substr(p.view.text.size() - 100, 6), "001999");
  EXPECT_EQ(p.view.text.substr(0, 6), Entry((2000 - p.pane->lineCount), 100).substr(0, 6))
      << "the log always starts with a whole entry";
}

TEST(LogPane, CharacterLimitWhenEntriesAreLong) {
  Pane p(kMainLogCharLimit, kMainLogLineLimit);
  for (int i = 0; i < 64; ++i) p.Write(Entry(i, 1000));
  EXPECT_EQ(p.pane->charMarks[0], 16000);
  EXPECT_EQ(p.pane->charMarks[1], 32000);
  EXPECT_EQ(p.pane->charMarks[2], 48000);
  EXPECT_EQ(p.view.text.size(), 64000u);
  p.Write(Entry(64, 1000));
  EXPECT_EQ(p.view.text.size(), 49000u);
  EXPECT_EQ(p.view.text.substr(0, 6), "000016");
  for (int i = 65; i < 1000; ++i) {
    p.Write(Entry(i, 1000));
    ASSERT_LE(p.view.text.size(), 64000u);
    ASSERT_GE(p.view.text.size(), 48000u);
  }
}

TEST(LogPane, SelectionSurvivesAppendsAndCuts) {
  struct Case {
    const char* what;
    int start, end;        // selection before the cutting append (after 400 entries)
    int expStart, expEnd;  // -1: caret at the new end
  } cases[] = {
      {"caret at the end stays at the end", 40000, 40000, -1, -1},
      {"selection in the middle shifts by the cut", 25000, 25300, 15000, 15300},
      {"selection wholly in the cut part", 500, 900, -1, -1},
      {"selection reaching into the cut part", 9000, 12000, 0, 2000},
      {"caret in the middle", 30000, 30000, 20000, 20000},
  };
  for (const Case& c : cases) {
    Pane p(kMainLogCharLimit, kMainLogLineLimit);
    for (int i = 0; i < 400; ++i) p.Write(Entry(i, 100));
    p.view.SetSelection(c.start, c.end);
    p.Write(Entry(400, 100));  // cuts the first 10000 characters
    const int newEnd = static_cast<int>(p.view.text.size());
    EXPECT_EQ(p.view.selStart, c.expStart < 0 ? newEnd : c.expStart) << c.what;
    EXPECT_EQ(p.view.selEnd, c.expEnd < 0 ? newEnd : c.expEnd) << c.what;
  }
}

TEST(LogPane, MinimisedNeitherScrollsNorRepaints) {
  Pane p(kMainLogCharLimit, kMainLogLineLimit);
  for (int i = 0; i < 400; ++i) p.Write(Entry(i, 100));
  const int scrolls = p.view.scrolls;
  p.view.minimised = true;
  for (int i = 400; i < 450; ++i) p.Write(Entry(i, 100));
  EXPECT_EQ(p.view.scrolls, scrolls);
  EXPECT_EQ(p.view.invalidations, 0);
  p.view.minimised = false;
  EXPECT_EQ(p.view.text.substr(p.view.text.size() - 100, 6), "000449") << "nothing was lost";
}

TEST(LogPane, EmptyTextsAndMissingPane) {
  Pane p(kMainLogCharLimit, kMainLogLineLimit);
  p.Write("");
  EXPECT_EQ(p.view.text, "");
  EXPECT_EQ(p.pane->charCount, 0);
  // Handed-over blocks are released on every path (the sanitizers check).
  char* empty = static_cast<char*>(Rt_Alloc(kRtZero, 1));
  LogWrite(p.pane, empty, 0, LogOwnership::LogReleases);
  char* orphan = static_cast<char*>(Rt_Alloc(kRtZero, 8));
  LogWrite(nullptr, orphan, 0, LogOwnership::LogReleases);
  LogWrite(nullptr, "copied", 0, LogOwnership::CallerKeeps);
  char* owned = static_cast<char*>(Rt_Alloc(0, 6));
  std::memcpy(owned, "owned", 6);
  LogWrite(p.pane, owned, 0, LogOwnership::LogReleases);
  EXPECT_EQ(p.view.text, "owned");
}

struct Writer {
  LogPane* pane;
  int count;
};

int WriteNumbered(void* arg) {
  auto* w = static_cast<Writer*>(arg);
  char buffer[32];
  for (int i = 0; i < w->count; ++i) {
    int n = std::snprintf(buffer, sizeof buffer, "worker %d\r\n", i);
    LogWrite(w->pane, buffer, static_cast<std::size_t>(n), LogOwnership::CallerKeeps);  // the buffer is reused at once
  }
  return 0;
}

TEST(LogPane, TextsFromAnotherThreadArriveInOrder) {
  StringTextView view;
  PlatWindow owner = Plat_CreateMessageWindow();
  LogPane* pane = LogPane_Create(owner, &view, 0, 0);
  Writer writer{pane, 150};
  PlatThread t = StartThread(WriteNumbered, &writer);
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(Plat_WaitThread(t, 10000, nullptr), 1);
  Rt_CloseThread(t);
  EXPECT_EQ(view.text, "") << "nothing reaches the view before the owner takes its messages";
  LogWrite(pane, "owner first\r\n", 0, LogOwnership::CallerKeeps);
  int appended = 0;
  while (appended < writer.count) {
    int n = LogPane_DrainPosted(owner, 5000);
    ASSERT_GT(n, 0);
    appended += n;
  }
  std::string expected = "owner first\r\n";
  for (int i = 0; i < writer.count; ++i) expected += "worker " + std::to_string(i) + "\r\n";
  EXPECT_EQ(view.text, expected);
  LogPane_Destroy(pane);
  Plat_DestroyMessageWindow(owner);
}

}  // namespace
