// The read-variables window: the thread it runs on, its dialog procedure, the
// 50 ms timer that keeps the read schedule and the clock, the display-mode
// menu of a line, and the way back to the main window. The main window's side
// (disabled before the thread starts, the thread's end message, a close
// request while the window reads) is the functions of readwindow.h.
#include "dialogs/readwindow.h"

#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include <atomic>

#include "app/appstate.h"
#include "app/commands.h"
#include "app/win32/shell.h"
#include "app/win32/winutil.h"
#include "app/win32/wintext.h"
#include "dialogs/dialogbase.h"
#include "dialogs/listclick.h"
#include "dialogs/readlayout.h"
#include "dialogs/valuelist.h"
#include "res/resource.h"
#include "res/strings.h"
#include "runtime/messageloop.h"
#include "runtime/runtime.h"

namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 50;

struct IntervalChoice {
  int textId;
  std::uint32_t ms;
};
constexpr IntervalChoice kIntervals[] = {
    {IDS_WND_READ_100MS, 100}, {IDS_WND_READ_250MS, 250}, {IDS_WND_READ_500MS, 500},
    {IDS_WND_READ_1S, 1000},   {IDS_WND_READ_2S, 2000},   {IDS_WND_READ_5S, 5000},
};
constexpr int kIntervalOneSecond = 3;

// The display modes reach the window as menu commands with their string ids.
constexpr int kModeFirst = IDS_VIEW_DEFAULT;
constexpr int kModeLast = IDS_VIEW_DEFAULT + kVarViewCount - 1;

// What the window keeps from one opening to the next. Only the window's
// thread touches it while the window exists; the opener sets the two flags
// before the thread starts.
struct ReadSettings {
  std::uint32_t intervalMs = 1000;
  bool cyclic = false;
  bool readBack = false;
  int lastSecond = -1;
  int menuLine = -1;  // the line whose display mode the open menu offers
  MonitorSchedule schedule{};
  ValueList values;
  ReadLayout layout;
};
ReadSettings g_read;

// The user-interface thread's hold on the window's thread, and an opening
// that waits for the last window's thread to end.
struct ThreadHold {
  PlatThread thread = nullptr;
  std::uint32_t sequence = 0;
  bool awaitingSequence = false;
  bool pending = false;
  bool pendingReadBack = false;
  bool pendingCyclic = false;
};
ThreadHold g_hold;

// Shared by both threads: the window once it exists, and a close asked for
// before it did.
std::atomic<HWND> g_dialog{nullptr};
std::atomic<bool> g_closeRequested{false};

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

void ShowClock(HWND dialog) {
  CalendarRecord now{};
  char text[64];
  FormatTimeStamp({.takeLocalTime = true, .withDate = true, .leadingTabs = 1}, &now, text);
  if (now.second == g_read.lastSecond) return;
  g_read.lastSecond = now.second;
  const std::wstring wide = Wide(text);
  SendDlgItemMessageW(dialog, IDC_READ_STATUS, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

// One read of the whole table. A failure is logged by the command (and a
// time-out disconnects); refreshing then stops for good in this window.
bool ReadTable(HWND dialog) {
  if (Cmd_ReadTable(TheAppState()) == S7_OK) return true;
  g_read.cyclic = false;
  Button_SetCheck(Item(dialog, IDC_READ_REFRESH), BST_UNCHECKED);
  EnableWindow(Item(dialog, IDC_READ_REFRESH), FALSE);
  EnableWindow(Item(dialog, IDC_READ_INTERVAL), FALSE);
  return false;
}

void Tick(HWND dialog) {
  if (!Monitor_Due(&g_read.schedule, Plat_TickCount())) return;
  ShowClock(dialog);
  if (g_read.cyclic && ReadTable(dialog)) ValueList_Refresh(&g_read.values, &TheAppState()->table, false);
}

void FillIntervals(HWND dialog) {
  HWND list = Item(dialog, IDC_READ_INTERVAL);
  int chosen = kIntervalOneSecond;  // shown for an interval not offered, which stays as it is
  for (int i = 0; i < static_cast<int>(std::size(kIntervals)); ++i) {
    ComboBox_AddString(list, WideText(kIntervals[i].textId).c_str());
    if (kIntervals[i].ms == g_read.intervalMs) chosen = i;
  }
  ComboBox_SetCurSel(list, chosen);
}

// The program's icon on the title bar and the taskbar button (shared icons:
// nothing to release).
void SetIcons(HWND dialog, HINSTANCE instance) {
  for (const WPARAM kind : {ICON_BIG, ICON_SMALL}) {
    const int size = kind == ICON_BIG ? SM_CXICON : SM_CXSMICON;
    HANDLE icon = LoadImageW(instance, MAKEINTRESOURCEW(IDI_TOLVANE), IMAGE_ICON, GetSystemMetrics(size),
                             GetSystemMetrics(size), LR_SHARED);
    SendMessageW(dialog, WM_SETICON, kind, reinterpret_cast<LPARAM>(icon));
  }
}

BOOL Open(HWND dialog) {
  g_dialog.store(dialog);
  Shell* shell = TheShell();
  FillIntervals(dialog);
  Button_SetCheck(Item(dialog, IDC_READ_REFRESH), g_read.cyclic ? BST_CHECKED : BST_UNCHECKED);
  EnableWindow(Item(dialog, IDC_READ_INTERVAL), g_read.cyclic);

  HWND status = Item(dialog, IDC_READ_STATUS);
  int parts[2] = {TimeStampWidth(status, true, 0, 2), -1};
  SendMessageW(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  g_read.lastSecond = -1;

  ValueList* values = &g_read.values;
  values->list = Item(dialog, IDC_READ_LIST);
  values->font = shell->listFont;
  SendMessageW(values->list, WM_SETFONT, reinterpret_cast<WPARAM>(values->font), FALSE);
  VariableTable* table = &TheAppState()->table;
  ValueList_Build(values, table);
  if (g_read.readBack && ReadTable(dialog)) ValueList_Refresh(values, table, false);

  ListClick_Attach(values->list);
  Dialog_Prepare(dialog);
  Monitor_Restart(&g_read.schedule, g_read.intervalMs, Plat_TickCount());
  SetTimer(dialog, kTickTimer, kTickMs, nullptr);
  ReadLayout_Record(&g_read.layout, dialog);
  SetWindowTextW(dialog, WideText(IDS_TITLE_READ_WINDOW).c_str());
  SetIcons(dialog, shell->instance);
  // The main window may have asked for the end while the table was read.
  if (g_closeRequested.load()) PostMessageW(dialog, WM_CLOSE, 0, 0);
  return TRUE;
}

// The main window is given back (by its own thread, which first takes
// commands again) before this one goes, so that the system activates it
// rather than some other program's window. From here on this thread no
// longer touches the connection, the table or the log.
void Close(HWND dialog) {
  SendMessageW(TheShell()->main, kWmReadWindowClosing, 0, 0);
  DestroyWindow(dialog);
}

// The right mouse button (or the menu key) on a line: the line is selected
// and its element's display modes offered, the current one checked.
void ModeMenu(HWND dialog, HWND list, LPARAM position) {
  POINT at{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
  if (position == -1) {
    const DWORD last = GetMessagePos();
    at = {GET_X_LPARAM(last), GET_Y_LPARAM(last)};
  }
  const int line = LBItemFromPt(list, at, FALSE);
  if (line < 0) return;
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
  g_read.values.selected = line;
  const VariableTable* table = &TheAppState()->table;
  int varIndex = 0, element = 0;
  if (!VarTable_FindLine(table, line, &varIndex, &element)) return;
  int views[8] = {};
  int count = 0;
  const int current = Var_ListViews(VarViewList::WithDefaultAndGap, element, &table->vars[varIndex], &count, views);
  std::uint32_t words[8] = {};
  if (count > 8) count = 8;
  for (int i = 0; i < count; ++i) {
    UINT flags = MF_OWNERDRAW;
    if (views[i] == 0)
      flags |= MF_SEPARATOR;
    else if (i == current)
      flags |= MF_CHECKED;
    words[i] = (static_cast<std::uint32_t>(flags) << 16) | static_cast<std::uint16_t>(views[i]);
  }
  g_read.menuLine = line;
  TrackDrawnPopup(dialog, at.x, at.y, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, count, 0, words);
}

void ChooseMode(int id) {
  VariableTable* table = &TheAppState()->table;
  int varIndex = 0, element = 0;
  if (!VarTable_FindLine(table, g_read.menuLine, &varIndex, &element)) return;
  PlcVariable* var = &table->vars[varIndex];
  if (!var->views) return;
  var->views[element] = static_cast<std::uint8_t>(id - kModeFirst);
  ValueList_Refresh(&g_read.values, table, true);
}

void Command(HWND dialog, int id, int code) {
  switch (id) {
    case IDC_READ_REFRESH:
      if (code != BN_CLICKED) return;
      g_read.cyclic = Button_GetCheck(Item(dialog, IDC_READ_REFRESH)) == BST_CHECKED;
      Monitor_Restart(&g_read.schedule, g_read.intervalMs, Plat_TickCount());
      EnableWindow(Item(dialog, IDC_READ_INTERVAL), g_read.cyclic);
      return;
    case IDC_READ_INTERVAL: {
      if (code != CBN_SELCHANGE) return;
      const int chosen = ComboBox_GetCurSel(Item(dialog, IDC_READ_INTERVAL));
      if (chosen < 0 || chosen >= static_cast<int>(std::size(kIntervals))) return;
      g_read.intervalMs = kIntervals[chosen].ms;
      g_read.schedule.interval = g_read.intervalMs;
      return;
    }
    case IDC_READ_HIDE_MAIN:
      if (code != BN_CLICKED) return;
      ShowWindow(TheShell()->main,
                 Button_GetCheck(Item(dialog, IDC_READ_HIDE_MAIN)) == BST_CHECKED ? SW_HIDE : SW_SHOW);
      return;
    case IDC_READ_LIST:
      // The keyboard moves the selection too; a click reports through the
      // click behaviour as well, with the same result.
      if (code == LBN_SELCHANGE)
        g_read.values.selected = static_cast<int>(SendMessageW(Item(dialog, IDC_READ_LIST), LB_GETCURSEL, 0, 0));
      return;
    case IDC_READ_CLOSE:
    case IDCANCEL: Close(dialog); return;  // the button, Esc, the close box
    case IDOK: return;                     // Enter: nothing to confirm here
    default:
      if (id >= kModeFirst && id <= kModeLast) ChooseMode(id);
      return;
  }
}

INT_PTR CALLBACK ReadWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: return Open(dialog);
    case WM_TIMER:
      if (wParam == kTickTimer) Tick(dialog);
      return TRUE;
    case WM_COMMAND: Command(dialog, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case kWmListSelection: g_read.values.selected = static_cast<int>(lParam); return TRUE;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) != Item(dialog, IDC_READ_LIST)) return FALSE;
      ModeMenu(dialog, reinterpret_cast<HWND>(wParam), lParam);
      return TRUE;
    case WM_MEASUREITEM: return DrawnPopup_Measure(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    case WM_DRAWITEM: return DrawnPopup_Draw(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) ReadLayout_Apply(&g_read.layout, dialog, LOWORD(lParam), HIWORD(lParam));
      return TRUE;
    case WM_GETMINMAXINFO: ReadLayout_MinMax(&g_read.layout, reinterpret_cast<MINMAXINFO*>(lParam)); return TRUE;
    case WM_CLOSE: Close(dialog); return TRUE;
    case WM_DESTROY:
      KillTimer(dialog, kTickTimer);
      ListClick_Detach(Item(dialog, IDC_READ_LIST));
      g_dialog.store(nullptr);
      PostQuitMessage(0);
      return TRUE;
    default: return FALSE;
  }
}

// The window's thread: the window, its message loop, and the main window
// brought to the front once the window has gone.
int ReadWindowThread(void*) {
  Shell* shell = TheShell();
  HWND dialog =
      CreateDialogParamW(shell->instance, MAKEINTRESOURCEW(IDD_READ_WINDOW), shell->main, ReadWindowProc, 0);
  if (!dialog) return -1;
  // Dialog keys as in any dialog (Tab, Esc closes, Enter does nothing); the
  // thread has no accelerator table.
  ThreadContext* tc = CurrentThreadContext();
  tc->accelWindow = dialog;
  tc->dialogWindow = dialog;
  ShowWindow(dialog, SW_SHOW);
  RunMessageLoop(nullptr);
  tc->accelWindow = nullptr;
  tc->dialogWindow = nullptr;
  SetForegroundWindow(shell->main);
  return 0;
}

}  // namespace

namespace {

// Commands again, the main window enabled and shown.
void GiveMainBack() {
  Shell* shell = TheShell();
  shell->readWindowOpen = false;
  EnableWindow(shell->main, TRUE);
  if (!IsWindowVisible(shell->main)) ShowWindow(shell->main, SW_SHOW);
}

bool StartWindowThread(bool readBack, bool cyclic) {
  g_read.readBack = readBack;
  g_read.cyclic = cyclic;
  g_closeRequested.store(false);
  g_hold.awaitingSequence = true;
  g_hold.thread = StartThread(ReadWindowThread, nullptr);
  if (g_hold.thread) return true;
  g_hold = ThreadHold{};
  GiveMainBack();
  return false;
}

}  // namespace

bool ReadWindow_Open(bool readBack, bool cyclic) {
  Shell* shell = TheShell();
  if (shell->readWindowOpen) return false;
  // From here on the main thread runs no command: the connection is the
  // window's before its thread even starts.
  shell->readWindowOpen = true;
  EnableWindow(shell->main, FALSE);
  if (g_hold.thread) {
    // The last window has gone, its thread not yet: one thread at a time.
    g_hold.pending = true;
    g_hold.pendingReadBack = readBack;
    g_hold.pendingCyclic = cyclic;
    return true;
  }
  return StartWindowThread(readBack, cyclic);
}

bool ReadWindow_Running() { return g_hold.thread != nullptr; }

void ReadWindow_RequestClose() {
  if (g_hold.pending) {
    g_hold.pending = false;
    GiveMainBack();
  }
  if (!g_hold.thread) return;
  g_closeRequested.store(true);
  if (HWND dialog = g_dialog.load()) PostMessageW(dialog, WM_CLOSE, 0, 0);
}

void ReadWindow_Closing() { GiveMainBack(); }

// The starter posts this while StartThread runs on this thread, so the first
// one after the read window's start is that thread's.
void ReadWindow_ThreadStarting(std::uint32_t sequence) {
  if (!g_hold.awaitingSequence) return;
  g_hold.sequence = sequence;
  g_hold.awaitingSequence = false;
}

bool ReadWindow_ThreadEnded(std::uint32_t sequence) {
  if (!g_hold.thread || g_hold.awaitingSequence || sequence != g_hold.sequence) return false;
  Rt_CloseThread(g_hold.thread);
  const ThreadHold ended = g_hold;
  g_hold = ThreadHold{};
  if (ended.pending) {
    StartWindowThread(ended.pendingReadBack, ended.pendingCyclic);
    return true;
  }
  // A thread that ended without closing its window the usual way (it could
  // not make the window, or a fault ended it) leaves the main window usable.
  if (TheShell()->readWindowOpen) GiveMainBack();
  return true;
}
