// Which PLC a loaded variable table file should use, when it names another
// than the open connection's: the current one, or the one saved in the file.
#include "win32/dialogs/dialogs.h"

#include "win32/toolkit/wintext.h"
#include "res/resource.h"
#include "runtime/runtime.h"
#include "vars/vars.h"

namespace {

struct ChoiceState {
  const DialogHost* host;
  const PlcChoice* choice;
  PlcPick* pick;
};

// "Jelenlegi PLC használata : TCP - 192.168.1.1 (Press)"; the blank before an
// empty name stays.
std::wstring Line(int labelId, int kind, std::uint32_t address, const char* name) {
  char addressText[32];
  Plc_AddressText(kind, address, addressText, sizeof addressText);
  char bounded[24];
  Rt_StrCopyN(bounded, name, sizeof bounded);
  const char* kindName = InterfaceKindName(kind);
  char line[256];
  FormatTextN(line, sizeof line, LoadText(IDS_DLG_CHOICE_LINE), TextId(labelId), kindName ? kindName : "?",
              addressText, bounded, bounded[0]);
  return Wide(line);
}

INT_PTR CALLBACK ChoiceProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* s = Dialog_State<ChoiceState>(dialog, message, lParam);
  if (!s) return FALSE;
  switch (message) {
    case WM_INITDIALOG: {
      const PlcChoice* choice = s->choice;
      SetDlgItemTextW(dialog, IDC_CHOICE_CURRENT,
                      Line(IDS_DLG_CHOICE_CURRENT, choice->currentKind, choice->currentAddress, choice->currentName)
                          .c_str());
      SetDlgItemTextW(dialog, IDC_CHOICE_SAVED,
                      Line(IDS_DLG_CHOICE_SAVED, choice->loadedKind, choice->loadedAddress, choice->loadedName)
                          .c_str());
      CheckRadioButton(dialog, IDC_CHOICE_CURRENT, IDC_CHOICE_SAVED,
                       *s->pick == PlcPick::Saved ? IDC_CHOICE_SAVED : IDC_CHOICE_CURRENT);
      Dialog_Prepare(dialog, *s->host);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_CHOICE_CURRENT: *s->pick = PlcPick::Current; return TRUE;
        case IDC_CHOICE_SAVED: *s->pick = PlcPick::Saved; return TRUE;
        case IDOK: EndDialog(dialog, 1); return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        default: return FALSE;
      }
    default: return FALSE;
  }
}

}  // namespace

bool Dialog_ChoosePlc(const DialogHost& host, const PlcChoice& choice, PlcPick* pick) {
  ChoiceState state{&host, &choice, pick};
  return Dialog_Run(host, IDD_PLC_CHOICE, ChoiceProc, reinterpret_cast<LPARAM>(&state)) == 1;
}
