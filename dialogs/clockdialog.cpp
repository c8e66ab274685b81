// The clock dialog: the CPU's clock as it runs (read every 300 ms, not
// logged) above the time to set, which follows the PC's clock until the
// user unchecks "PC idő beállítása" and edits it. OK sets the CPU clock.
//
// The reads run on the user-interface thread; against a silent PLC each one
// waits the connection's time-out, so after a failed read the next waits as
// long again (ClockPoll) and the dialog keeps answering its buttons.
#include <windows.h>
#include <commctrl.h>

#include <initializer_list>

#include "app/commands.h"
#include "app/dialogrules.h"
#include "dialogs/dialogbase.h"
#include "dialogs/dialogs.h"
#include "res/resource.h"

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollPeriodMs = 300;

// Held for the next opening; the follow flag is switched on at every one.
CalendarRecord g_clock{};
bool g_followPc = true;

struct ClockState {
  ClockPoll poll;
};

static_assert(sizeof(CalendarRecord) == sizeof(SYSTEMTIME), "the pickers take the record as it is");

const SYSTEMTIME* AsSystemTime(const CalendarRecord* record) { return reinterpret_cast<const SYSTEMTIME*>(record); }

void TakeLocalTime(CalendarRecord* record) { GetLocalTime(reinterpret_cast<SYSTEMTIME*>(record)); }

// The range of DATE_AND_TIME, the CPU clock's wire form.
void LimitToDateAndTime(HWND picker) {
  SYSTEMTIME range[2] = {};
  range[0] = {1990, 1, 0, 1, 0, 0, 0, 0};
  range[1] = {2089, 12, 0, 31, 23, 59, 59, 999};
  SendMessageW(picker, DTM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(range));
}

void UseProgramFormat(HWND dialog) {
  Dialog_PickerFormats(GetDlgItem(dialog, IDC_CLOCK_PLC_DATE), GetDlgItem(dialog, IDC_CLOCK_PLC_TIME));
  Dialog_PickerFormats(GetDlgItem(dialog, IDC_CLOCK_PC_DATE), GetDlgItem(dialog, IDC_CLOCK_PC_TIME));
}

void Show(HWND dialog, int dateId, int timeId, const CalendarRecord* record) {
  for (int id : {dateId, timeId})
    SendDlgItemMessageW(dialog, id, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(AsSystemTime(record)));
}

void EnablePcPickers(HWND dialog) {
  for (int id : {IDC_CLOCK_PC_DATE, IDC_CLOCK_PC_TIME}) EnableWindow(GetDlgItem(dialog, id), !g_followPc);
}

// One timer tick: the CPU's clock, and the PC's when followed; nothing
// changes when the read fails or waits after a failure.
void Tick(HWND dialog, ClockState* s) {
  if (!ClockPoll_Due(&s->poll, GetTickCount())) return;
  AppState* app = TheAppState();
  CalendarRecord cpu{};
  const DWORD started = GetTickCount();
  const int rc = S7_GetCpuClock(app->conn, &cpu);
  ClockPoll_Done(&s->poll, rc == S7_OK, started, GetTickCount(), app->plc.timeoutMs);
  if (rc != S7_OK) return;
  Show(dialog, IDC_CLOCK_PLC_DATE, IDC_CLOCK_PLC_TIME, &cpu);
  if (!g_followPc) return;
  TakeLocalTime(&g_clock);
  Show(dialog, IDC_CLOCK_PC_DATE, IDC_CLOCK_PC_TIME, &g_clock);
}

// The user's edit of the time to set: the date part, or the time part.
void PickerChanged(const NMDATETIMECHANGE* change) {
  if (g_followPc || change->dwFlags != GDT_VALID) return;
  const auto* picked = reinterpret_cast<const CalendarRecord*>(&change->st);
  if (change->nmhdr.idFrom == IDC_CLOCK_PC_DATE)
    g_clock = Picked_Moment(g_clock, picked, nullptr);
  else if (change->nmhdr.idFrom == IDC_CLOCK_PC_TIME)
    g_clock = Picked_Moment(g_clock, nullptr, picked);
}

INT_PTR CALLBACK ClockProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* s = Dialog_State<ClockState>(dialog, message, lParam);
  switch (message) {
    case WM_INITDIALOG:
      UseProgramFormat(dialog);
      for (int id : {IDC_CLOCK_PLC_DATE, IDC_CLOCK_PLC_TIME, IDC_CLOCK_PC_DATE})
        LimitToDateAndTime(GetDlgItem(dialog, id));
      g_followPc = true;
      CheckDlgButton(dialog, IDC_CLOCK_FOLLOW_PC, BST_CHECKED);
      EnablePcPickers(dialog);
      // What the pickers show is what OK sends, also before the first read
      // of the CPU's clock succeeds.
      TakeLocalTime(&g_clock);
      Show(dialog, IDC_CLOCK_PC_DATE, IDC_CLOCK_PC_TIME, &g_clock);
      SetTimer(dialog, kPollTimer, kPollPeriodMs, nullptr);
      Dialog_Prepare(dialog);
      return TRUE;
    case WM_DESTROY: KillTimer(dialog, kPollTimer); return FALSE;
    case WM_TIMER:
      if (wParam != kPollTimer || !s) return FALSE;
      Tick(dialog, s);
      return TRUE;
    case WM_NOTIFY: {
      const auto* note = reinterpret_cast<const NMHDR*>(lParam);
      if (note->code != DTN_DATETIMECHANGE) return FALSE;
      PickerChanged(reinterpret_cast<const NMDATETIMECHANGE*>(lParam));
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_CLOCK_FOLLOW_PC:
          g_followPc = IsDlgButtonChecked(dialog, IDC_CLOCK_FOLLOW_PC) == BST_CHECKED;
          EnablePcPickers(dialog);
          return TRUE;
        case IDOK:
          if (g_followPc) TakeLocalTime(&g_clock);
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        default: return FALSE;
      }
    default: return FALSE;
  }
}

}  // namespace

int Dialog_SetClock(HWND owner) {
  ClockState state{};
  const INT_PTR result = Dialog_Run(owner, IDD_CLOCK, ClockProc, reinterpret_cast<LPARAM>(&state));
  if (result != 1) return 0;
  Cmd_SetClock(TheAppState(), &g_clock);
  return 1;
}
