// The read-variables window on its thread: the dialog procedure, the 50 ms
// timer that runs the monitor step (app/monitor.h, riding out lost
// connections when chosen) and the clock, the display-mode menu of a line,
// the value log and the trend window it feeds, and the way back to the main
// window. What the main window does around the thread is
// win32/readhold.cpp's.
#include "win32/dialogs/readwindow.h"

#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include <atomic>
#include <cstring>
#include <iterator>

#include "app/monitor.h"
#include "app/reconnect.h"
#include "app/trend.h"
#include "win32/dialogs/modemenu.h"
#include "win32/dialogs/readlayout.h"
#include "win32/dialogs/trendwindow.h"
#include "win32/toolkit/dialogbase.h"
#include "win32/toolkit/filedialog.h"
#include "win32/toolkit/listclick.h"
#include "win32/toolkit/listlines.h"
#include "win32/toolkit/winutil.h"
#include "win32/toolkit/wintext.h"
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

// One window's state, on its thread's stack for the window's life.
struct ReadWindow {
  const ReadWindowHost* host;
  MonitorRun run;
  Reconnect reconnect;  // the run's while reconnection is chosen
  ListBoxLines values;
  ReadLayout layout;
  int lastSecond;
  int menuLine;  // the line whose display mode the open menu offers
  char linkText[96];  // status part 2 as last written
  HWND trend;    // the trend window while it is open
};

// Shared by both threads: the window once it exists, and a close asked for
// before it did.
std::atomic<HWND> g_dialog{nullptr};
std::atomic<bool> g_closeRequested{false};

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }
VariableTable* Table(const ReadWindow* w) { return &w->host->app->table; }

void ShowClock(HWND dialog, ReadWindow* w) {
  CalendarRecord now{};
  char text[64];
  FormatTimeStamp({.takeLocalTime = true, .withDate = true, .leadingTabs = 1}, &now, text);
  if (now.second == w->lastSecond) return;
  w->lastSecond = now.second;
  const std::wstring wide = Wide(text);
  SendDlgItemMessageW(dialog, IDC_READ_STATUS, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

// A failed read (logged by the command; a time-out also disconnects) stops
// refreshing for good in this window.
void StopRefreshing(HWND dialog) {
  Button_SetCheck(Item(dialog, IDC_READ_REFRESH), BST_UNCHECKED);
  EnableWindow(Item(dialog, IDC_READ_REFRESH), FALSE);
  EnableWindow(Item(dialog, IDC_READ_INTERVAL), FALSE);
}

// Status part 2: the connection's state and an outage's length while the
// window rides out lost connections, else the requests a read of the table
// takes; written when it changes. The window is too narrow for both: the
// connection's state is what the user chose to watch.
void ShowLinkOrRequests(HWND dialog, ReadWindow* w) {
  char text[sizeof w->linkText] = "";
  if (w->run.reconnect)
    Reconnect_StatusText(w->run.reconnect, Plat_TickCount(), text, sizeof text);
  else
    Monitor_RequestsText(&w->run, text, sizeof text);
  if (std::strcmp(text, w->linkText) == 0) return;
  std::strcpy(w->linkText, text);
  const std::wstring wide = Wide(text);
  SendDlgItemMessageW(dialog, IDC_READ_STATUS, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(wide.c_str()));
}

// Reconnection on or off; an outage under way goes on only while it is on.
void ChooseReconnect(HWND dialog, ReadWindow* w, bool on) {
  *w->host->reconnect = on;
  if (on && !w->run.reconnect) Reconnect_Reset(&w->reconnect);
  w->run.reconnect = on ? &w->reconnect : nullptr;
  ShowLinkOrRequests(dialog, w);
}

// The value log ends: closed (a log line says so, or tells the failure that
// stopped it), and the choice of the next one is free again.
void EndValueLog(HWND dialog, ReadWindow* w) {
  ValueLog_Close(w->run.log);
  w->run.log = nullptr;
  Button_SetCheck(Item(dialog, IDC_READ_LOG), BST_UNCHECKED);
  EnableWindow(Item(dialog, IDC_READ_LOG_CHANGED), TRUE);
}

void StartValueLog(HWND dialog, ReadWindow* w) {
  ValueLogChoice* choice = w->host->valueLog;
  const std::wstring chosen = FileDialog_Ask({dialog, FileDialogKind::Save, IDS_FILE_LOG_TITLE,
                                              IDS_FILE_LOG_FILTER_NAME, IDS_FILE_LOG_FILTER_PATTERN,
                                              IDS_FILE_LOG_DEFAULT_EXTENSION, choice->path});
  char path[kPathSize];
  std::uint32_t error = 0;
  if (!chosen.empty() && FileDialog_TakePath(chosen, IDS_FILE_LOG_TITLE, path)) {
    lstrcpynA(choice->path, path, sizeof choice->path);
    const ValueLogRows rows = choice->changedOnly ? ValueLogRows::ChangedOnly : ValueLogRows::EveryCycle;
    w->run.log = ValueLog_Open(path, rows, Table(w), &error);
  }
  Button_SetCheck(Item(dialog, IDC_READ_LOG), w->run.log ? BST_CHECKED : BST_UNCHECKED);
  EnableWindow(Item(dialog, IDC_READ_LOG_CHANGED), w->run.log ? FALSE : TRUE);
}

// The trend of the selected line's element, or of the first that shows a
// number.
void OpenTrend(HWND dialog, ReadWindow* w) {
  const VariableTable* table = Table(w);
  int varIndex = -1, element = 0;
  if (!VarTable_FindLine(table, w->values.Selected(), &varIndex, &element) ||
      !Trend_IsNumeric(&table->vars[varIndex], element)) {
    varIndex = -1;
    for (int i = 0, count = VarTable_Count(table); i < count && varIndex < 0; ++i)
      for (int e = 0; e < table->vars[i].count; ++e)
        if (Trend_IsNumeric(&table->vars[i], e)) {
          varIndex = i;
          element = e;
          break;
        }
  }
  if (varIndex < 0) return;  // nothing in the table shows a number
  TrendWindow_Open({w->host->instance, dialog, table, varIndex, element, &w->trend});
}

void Tick(HWND dialog, ReadWindow* w) {
  const MonitorStepResult step = Monitor_Step(&w->run, w->host->app, Plat_TickCount(), &w->values);
  ShowLinkOrRequests(dialog, w);
  if (step == MonitorStepResult::NotDue) return;
  ShowClock(dialog, w);
  if (step == MonitorStepResult::Read && w->trend) TrendWindow_AfterRead(w->trend);
  // A full disk or a removed file has stopped the log (one log line said so).
  if (w->run.log && !ValueLog_Running(w->run.log)) EndValueLog(dialog, w);
  if (step == MonitorStepResult::Failed) StopRefreshing(dialog);
}

void FillIntervals(HWND dialog, const ReadWindow* w) {
  HWND list = Item(dialog, IDC_READ_INTERVAL);
  int chosen = kIntervalOneSecond;  // shown for an interval not offered, which stays as it is
  for (int i = 0; i < static_cast<int>(std::size(kIntervals)); ++i) {
    ComboBox_AddString(list, WideText(kIntervals[i].textId).c_str());
    if (kIntervals[i].ms == *w->host->intervalMs) chosen = i;
  }
  ComboBox_SetCurSel(list, chosen);
}

BOOL Open(HWND dialog, ReadWindow* w) {
  g_dialog.store(dialog);
  const ReadWindowHost* host = w->host;
  w->run.cyclic = host->start.cyclic;
  FillIntervals(dialog, w);
  Button_SetCheck(Item(dialog, IDC_READ_REFRESH), w->run.cyclic ? BST_CHECKED : BST_UNCHECKED);
  EnableWindow(Item(dialog, IDC_READ_INTERVAL), w->run.cyclic);
  Button_SetCheck(Item(dialog, IDC_READ_LOG_CHANGED), host->valueLog->changedOnly ? BST_CHECKED : BST_UNCHECKED);

  HWND status = Item(dialog, IDC_READ_STATUS);
  int parts[2] = {TimeStampWidth(status, true, 0, 2), -1};
  SendMessageW(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  w->lastSecond = -1;
  w->menuLine = -1;
  Button_SetCheck(Item(dialog, IDC_READ_RECONNECT), *host->reconnect ? BST_CHECKED : BST_UNCHECKED);
  ChooseReconnect(dialog, w, *host->reconnect);

  HWND list = Item(dialog, IDC_READ_LIST);
  SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(host->listFont), FALSE);
  w->values.Attach(list, host->listFont);
  Monitor_BuildLines(&w->run.lines, Table(w), &w->values);
  // Once before the window shows: a failure stops refreshing as a cyclic
  // read's would.
  if (host->start.readBack && Monitor_ReadNow(&w->run, host->app, &w->values) == MonitorStepResult::Failed)
    StopRefreshing(dialog);
  ShowLinkOrRequests(dialog, w);

  ListClick_Attach(list);
  CentreWindow(dialog, host->main);
  UseArrowCursor(dialog);
  Monitor_Restart(&w->run.schedule, *host->intervalMs, Plat_TickCount());
  SetTimer(dialog, kTickTimer, kTickMs, nullptr);
  ReadLayout_Record(&w->layout, dialog);
  SetWindowTextW(dialog, WideText(IDS_TITLE_READ_WINDOW).c_str());
  SetProgramIcons(dialog, host->instance);
  // The main window may have asked for the end while the table was read.
  if (g_closeRequested.load()) PostMessageW(dialog, WM_CLOSE, 0, 0);
  return TRUE;
}

// The main window is given back (by its own thread, which first takes
// commands again) before this one goes, so that the system activates it
// rather than some other program's window. From here on this thread no
// longer touches the connection, the table or the log.
void Close(HWND dialog, ReadWindow* w) {
  if (w->trend) DestroyWindow(w->trend);
  if (w->run.log) EndValueLog(dialog, w);
  SendMessageW(w->host->main, kWmReadWindowClosing, 0, 0);
  DestroyWindow(dialog);
}

// The right mouse button (or the menu key) on a line: the line is selected
// and its element's display modes offered, the current one checked.
void ModeMenu(HWND dialog, ReadWindow* w, HWND list, LPARAM position) {
  POINT at{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
  if (position == -1) {
    const DWORD last = GetMessagePos();
    at = {GET_X_LPARAM(last), GET_Y_LPARAM(last)};
  }
  const int line = LBItemFromPt(list, at, FALSE);
  if (line < 0) return;
  w->values.Select(line);
  int varIndex = 0, element = 0;
  if (!VarTable_FindLine(Table(w), line, &varIndex, &element)) return;
  w->menuLine = line;
  ModeMenu_Track(dialog, at, &Table(w)->vars[varIndex], element);
}

void ChooseMode(ReadWindow* w, int id) {
  VariableTable* table = Table(w);
  int varIndex = 0, element = 0;
  if (!VarTable_FindLine(table, w->menuLine, &varIndex, &element)) return;
  PlcVariable* var = &table->vars[varIndex];
  if (!var->views) return;
  var->views[element] = static_cast<std::uint8_t>(id - kModeMenuFirst);
  Monitor_RefreshLines(&w->run.lines, table, w->values.Selected(), &w->values);
}

void Command(HWND dialog, ReadWindow* w, int id, int code) {
  switch (id) {
    case IDC_READ_REFRESH:
      if (code != BN_CLICKED) return;
      w->run.cyclic = Button_GetCheck(Item(dialog, IDC_READ_REFRESH)) == BST_CHECKED;
      Monitor_Restart(&w->run.schedule, *w->host->intervalMs, Plat_TickCount());
      EnableWindow(Item(dialog, IDC_READ_INTERVAL), w->run.cyclic);
      return;
    case IDC_READ_INTERVAL: {
      if (code != CBN_SELCHANGE) return;
      const int chosen = ComboBox_GetCurSel(Item(dialog, IDC_READ_INTERVAL));
      if (chosen < 0 || chosen >= static_cast<int>(std::size(kIntervals))) return;
      *w->host->intervalMs = kIntervals[chosen].ms;
      w->run.schedule.interval = kIntervals[chosen].ms;
      return;
    }
    case IDC_READ_RECONNECT:
      if (code == BN_CLICKED) ChooseReconnect(dialog, w, Button_GetCheck(Item(dialog, IDC_READ_RECONNECT)) == BST_CHECKED);
      return;
    case IDC_READ_HIDE_MAIN:
      if (code != BN_CLICKED) return;
      ShowWindow(w->host->main, Button_GetCheck(Item(dialog, IDC_READ_HIDE_MAIN)) == BST_CHECKED ? SW_HIDE : SW_SHOW);
      return;
    case IDC_READ_LOG:
      if (code != BN_CLICKED) return;
      if (w->run.log)
        EndValueLog(dialog, w);
      else
        StartValueLog(dialog, w);
      return;
    case IDC_READ_LOG_CHANGED:
      if (code == BN_CLICKED)
        w->host->valueLog->changedOnly = Button_GetCheck(Item(dialog, IDC_READ_LOG_CHANGED)) == BST_CHECKED;
      return;
    case IDC_READ_TREND:
      if (code == BN_CLICKED) OpenTrend(dialog, w);
      return;
    case IDC_READ_LIST:
      // The keyboard moves the selection too; a click reports through the
      // click behaviour as well, with the same result.
      if (code == LBN_SELCHANGE)
        w->values.SetSelected(static_cast<int>(SendMessageW(Item(dialog, IDC_READ_LIST), LB_GETCURSEL, 0, 0)));
      return;
    case IDC_READ_CLOSE:
    case IDCANCEL: Close(dialog, w); return;  // the button, Esc, the close box
    case IDOK: return;                        // Enter: nothing to confirm here
    default:
      if (id >= kModeMenuFirst && id <= kModeMenuLast) ChooseMode(w, id);
      return;
  }
}

INT_PTR CALLBACK ReadWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* w = Dialog_State<ReadWindow>(dialog, message, lParam);
  if (!w) return FALSE;
  switch (message) {
    case WM_INITDIALOG: return Open(dialog, w);
    case WM_TIMER:
      if (wParam == kTickTimer) Tick(dialog, w);
      return TRUE;
    case WM_COMMAND: Command(dialog, w, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case kWmListSelection: w->values.SetSelected(static_cast<int>(lParam)); return TRUE;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) != Item(dialog, IDC_READ_LIST)) return FALSE;
      ModeMenu(dialog, w, reinterpret_cast<HWND>(wParam), lParam);
      return TRUE;
    case WM_MEASUREITEM: return DrawnPopup_Measure(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    case WM_DRAWITEM: return DrawnPopup_Draw(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) ReadLayout_Apply(&w->layout, dialog, LOWORD(lParam), HIWORD(lParam));
      return TRUE;
    case WM_GETMINMAXINFO: ReadLayout_MinMax(&w->layout, reinterpret_cast<MINMAXINFO*>(lParam)); return TRUE;
    case WM_CLOSE: Close(dialog, w); return TRUE;
    case WM_DESTROY:
      KillTimer(dialog, kTickTimer);
      ListClick_Detach(Item(dialog, IDC_READ_LIST));
      g_dialog.store(nullptr);
      PostQuitMessage(0);
      return TRUE;
    default: return FALSE;
  }
}

}  // namespace

int ReadWindow_Thread(void* argument) {
  const auto* host = static_cast<const ReadWindowHost*>(argument);
  ReadWindow window{};
  window.host = host;
  HWND dialog = CreateDialogParamW(host->instance, MAKEINTRESOURCEW(IDD_READ_WINDOW), host->main, ReadWindowProc,
                                   reinterpret_cast<LPARAM>(&window));
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
  SetForegroundWindow(host->main);
  return 0;
}

void ReadWindow_AskToClose() {
  g_closeRequested.store(true);
  if (HWND dialog = g_dialog.load()) PostMessageW(dialog, WM_CLOSE, 0, 0);
}

void ReadWindow_ResetClose() { g_closeRequested.store(false); }
