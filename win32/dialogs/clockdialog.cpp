// The clock dialog: the CPU's clock as it runs (read every 300 ms through
// the caller's source, not logged) above the time to set, which follows the
// PC's clock until the user unchecks "PC idő beállítása" and edits it. On OK
// the caller sets the CPU clock.
//
// The reads run on the user-interface thread; against a silent PLC each one
// waits the connection's time-out, so after a failed read the next waits as
// long again (ClockPoll) and the dialog keeps answering its buttons.
#include <windows.h>
#include <commctrl.h>

#include <initializer_list>

#include "win32/dialogs/dialogs.h"
#include "res/resource.h"

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollPeriodMs = 300;

struct ClockState {
  const DialogHost* host;
  const CpuClockSource* source;
  CalendarRecord* clock;  // the time to set, the caller's
  bool* followsPc;        // the caller's too
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

void EnablePcPickers(HWND dialog, const ClockState* s) {
  for (int id : {IDC_CLOCK_PC_DATE, IDC_CLOCK_PC_TIME}) EnableWindow(GetDlgItem(dialog, id), !*s->followsPc);
}

// One timer tick: the CPU's clock, and the PC's when followed; nothing
// changes when the read fails or waits after a failure.
void Tick(HWND dialog, ClockState* s) {
  if (!ClockPoll_Due(&s->poll, GetTickCount())) return;
  CalendarRecord cpu{};
  const DWORD started = GetTickCount();
  const int rc = s->source->read(s->source->context, &cpu);
  ClockPoll_Done(&s->poll, rc == S7_OK, started, GetTickCount(), s->source->timeoutMs);
  if (rc != S7_OK) return;
  Show(dialog, IDC_CLOCK_PLC_DATE, IDC_CLOCK_PLC_TIME, &cpu);
  if (!*s->followsPc) return;
  TakeLocalTime(s->clock);
  Show(dialog, IDC_CLOCK_PC_DATE, IDC_CLOCK_PC_TIME, s->clock);
}

// The user's edit of the time to set: the date part, or the time part.
void PickerChanged(ClockState* s, const NMDATETIMECHANGE* change) {
  if (*s->followsPc || change->dwFlags != GDT_VALID) return;
  const auto* picked = reinterpret_cast<const CalendarRecord*>(&change->st);
  if (change->nmhdr.idFrom == IDC_CLOCK_PC_DATE)
    *s->clock = Picked_Moment(*s->clock, picked, nullptr);
  else if (change->nmhdr.idFrom == IDC_CLOCK_PC_TIME)
    *s->clock = Picked_Moment(*s->clock, nullptr, picked);
}

INT_PTR CALLBACK ClockProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* s = Dialog_State<ClockState>(dialog, message, lParam);
  if (!s) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      UseProgramFormat(dialog);
      for (int id : {IDC_CLOCK_PLC_DATE, IDC_CLOCK_PLC_TIME, IDC_CLOCK_PC_DATE})
        LimitToDateAndTime(GetDlgItem(dialog, id));
      *s->followsPc = true;
      CheckDlgButton(dialog, IDC_CLOCK_FOLLOW_PC, BST_CHECKED);
      EnablePcPickers(dialog, s);
      // What the pickers show is what OK sends, also before the first read
      // of the CPU's clock succeeds.
      TakeLocalTime(s->clock);
      Show(dialog, IDC_CLOCK_PC_DATE, IDC_CLOCK_PC_TIME, s->clock);
      SetTimer(dialog, kPollTimer, kPollPeriodMs, nullptr);
      Dialog_Prepare(dialog, *s->host);
      return TRUE;
    case WM_DESTROY: KillTimer(dialog, kPollTimer); return FALSE;
    case WM_TIMER:
      if (wParam != kPollTimer) return FALSE;
      Tick(dialog, s);
      return TRUE;
    case WM_NOTIFY: {
      const auto* note = reinterpret_cast<const NMHDR*>(lParam);
      if (note->code != DTN_DATETIMECHANGE) return FALSE;
      PickerChanged(s, reinterpret_cast<const NMDATETIMECHANGE*>(lParam));
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_CLOCK_FOLLOW_PC:
          *s->followsPc = IsDlgButtonChecked(dialog, IDC_CLOCK_FOLLOW_PC) == BST_CHECKED;
          EnablePcPickers(dialog, s);
          return TRUE;
        case IDOK:
          if (*s->followsPc) TakeLocalTime(s->clock);
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        default: return FALSE;
      }
    default: return FALSE;
  }
}

}  // namespace

bool Dialog_SetClock(const DialogHost& host, const CpuClockSource& source, CalendarRecord* clock, bool* followsPc) {
  ClockState state{&host, &source, clock, followsPc, {}};
  return Dialog_Run(host, IDD_CLOCK, ClockProc, reinterpret_cast<LPARAM>(&state)) == 1;
}
