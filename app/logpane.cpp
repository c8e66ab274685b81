// The log pane's counting, marks and cuts. Cutting a quarter at a time at
// entry boundaries keeps appends cheap: the control's text is only ever
// shortened at its head, at most once per append.
#include "app/logpane.h"

#include <atomic>
#include <cstring>

#include "runtime/runtime.h"
#include "vars/vars.h"

namespace {
std::atomic<LogPane*> g_mainLog{nullptr};

void WriteToMainLog(const char* text, std::size_t length) {
  LogWrite(g_mainLog.load(), text, length, LogOwnership::CallerKeeps);
}
}  // namespace

LogPane* MainLogPane() { return g_mainLog.load(); }

void SetMainLogPane(LogPane* pane) {
  g_mainLog.store(pane);
  Vars_SetLogSink(pane ? WriteToMainLog : nullptr);
}

LogPane* LogPane_Create(PlatWindow owner, TextView* view, int charLimit, int lineLimit) {
  if (charLimit == 0 && lineLimit == 0) lineLimit = 800;
  auto* pane = static_cast<LogPane*>(Rt_Alloc(kRtZero, sizeof(LogPane)));
  if (!pane) return nullptr;
  pane->ownerWindow = owner;
  pane->view = view;
  pane->ownerThread = CurrentThreadContext()->threadHandle;
  pane->charLimit = charLimit;
  pane->lineLimit = lineLimit;
  if (charLimit) {
    pane->charThreshold = charLimit >> 2;
    view->LimitText(charLimit);
  }
  if (lineLimit) pane->lineThreshold = lineLimit >> 2;
  view->SetSelection(0, view->Length());
  view->ReplaceSelection("");
  return pane;
}

void LogPane_Destroy(LogPane* pane) { Rt_Free(pane); }

void LogWrite(LogPane* pane, const char* text, std::size_t length, LogOwnership ownership) {
  const bool copy = ownership == LogOwnership::CallerKeeps;
  if (!pane) {
    if (!copy) Rt_Free(const_cast<char*>(text));
    return;
  }
  if (CurrentThreadContext()->threadHandle == pane->ownerThread) {
    LogAppend(pane, const_cast<char*>(text), ownership);
    return;
  }
  char* block = const_cast<char*>(text);
  if (copy) {
    if (length == 0) length = Rt_StrLen(text);
    block = static_cast<char*>(Rt_Alloc(0, length + 1));
    if (!block) return;
    Rt_Copy(block, text, length);
    block[length] = '\0';
  }
  // A text the owner can no longer take is released here, not leaked.
  if (!Plat_PostMessage(pane->ownerWindow, kWmLogText, reinterpret_cast<std::uintptr_t>(block),
                        reinterpret_cast<std::intptr_t>(pane)))
    Rt_Free(block);
}

void LogAppend(LogPane* pane, char* text, LogOwnership ownership) {
  const int length = text ? static_cast<int>(std::strlen(text)) : 0;
  if (pane && length > 0) {
    int lines = 0;
    for (int i = 0; i < length; ++i) lines += text[i] == '\n';
    TextView* view = pane->view;
    const bool minimised = view->IsMinimised();
    const int oldEnd = pane->charCount;
    int start = 0, end = 0;
    view->GetSelection(&start, &end);

    const bool over = (pane->charLimit != 0 && pane->charCount + length > pane->charThreshold) ||
                      (pane->lineLimit != 0 && pane->lineCount + lines > pane->lineThreshold);
    int cut = 0;
    if (over) {
      if (pane->markCount < 3) {
        pane->charMarks[pane->markCount] = pane->charCount;
        pane->lineMarks[pane->markCount] = pane->lineCount;
        pane->charThreshold += pane->charLimit >> 2;
        pane->lineThreshold += pane->lineLimit >> 2;
        ++pane->markCount;
      } else {
        cut = pane->charMarks[0];
        const int lineCut = pane->lineMarks[0];
        view->SetSelection(0, cut);
        view->ReplaceSelection("");
        if (!minimised) view->Invalidate();
        pane->charMarks[0] = pane->charMarks[1] - cut;
        pane->charMarks[1] = pane->charMarks[2] - cut;
        pane->charCount -= cut;
        pane->charMarks[2] = pane->charCount;
        pane->lineMarks[0] = pane->lineMarks[1] - lineCut;
        pane->lineMarks[1] = pane->lineMarks[2] - lineCut;
        pane->lineCount -= lineCut;
        pane->lineMarks[2] = pane->lineCount;
      }
    }

    view->SetSelection(pane->charCount, pane->charCount);
    view->ReplaceSelection(text);
    pane->lineCount += lines;
    pane->charCount += length;

    if (start == oldEnd && end == oldEnd) {
      view->SetSelection(pane->charCount, pane->charCount);
    } else {
      start = start - cut < 0 ? 0 : start - cut;
      end = end - cut < 0 ? 0 : end - cut;
      if (start == 0 && end == 0)
        view->SetSelection(pane->charCount, pane->charCount);
      else
        view->SetSelection(start, end);
    }
    if (!minimised) view->ScrollCaret();
  }
  if (ownership == LogOwnership::LogReleases) Rt_Free(text);
}

bool LogPane_HandleMessage(const PlatMessage& message) {
  if (message.message != kWmLogText) return false;
  LogAppend(reinterpret_cast<LogPane*>(message.lParam), reinterpret_cast<char*>(message.wParam),
            LogOwnership::LogReleases);
  return true;
}

int LogPane_DrainPosted(PlatWindow owner, int timeoutMs) {
  int appended = 0;
  PlatMessage message;
  while (Plat_TakeMessage(owner, &message, appended == 0 ? timeoutMs : 0))
    if (LogPane_HandleMessage(message)) ++appended;
  return appended;
}
