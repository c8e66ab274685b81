// The two small dialogs in front of a CPU command: the restart mode for
// "Start CPU" and the password for "Login". Both remember what was chosen,
// also when cancelled, for the next opening (in memory only).
#include <cstring>
#include <string>

#include "app/commands.h"
#include "app/dialogrules.h"
#include "app/win32/wintext.h"
#include "dialogs/dialogbase.h"
#include "dialogs/dialogs.h"
#include "res/resource.h"

namespace {

int g_restartMode = 0;                 // 0 warm, 1 cold
char g_password[kPasswordMax + 1] = "";

INT_PTR CALLBACK StartProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CheckRadioButton(dialog, IDC_START_WARM, IDC_START_COLD, g_restartMode ? IDC_START_COLD : IDC_START_WARM);
      Dialog_Prepare(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_START_WARM: g_restartMode = 0; return TRUE;
        case IDC_START_COLD: g_restartMode = 1; return TRUE;
        case IDOK: EndDialog(dialog, 1); return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        default: return FALSE;
      }
    default: return FALSE;
  }
}

struct LoginState {
  bool writing;  // the dialog fills the field itself
  bool invalid;
};

// The rule is judged on the whole text, never on a cut copy: a text of any
// length over eight characters stays invalid, and one with a letter code
// page 1250 cannot hold is not sent as something else.
void PasswordChanged(HWND dialog, LoginState* s) {
  if (s->writing) return;
  HWND field = GetDlgItem(dialog, IDC_LOGIN_PASSWORD);
  std::string text;
  const bool representable = GetWindowTextCp(field, &text);
  const bool valid = Password_Valid(representable ? text.c_str() : nullptr, text.size());
  if (valid) std::memcpy(g_password, text.c_str(), text.size() + 1);
  EnableWindow(GetDlgItem(dialog, IDOK), valid);
  Dialog_MarkInvalid(field, &s->invalid, !valid);
}

INT_PTR CALLBACK LoginProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* s = Dialog_State<LoginState>(dialog, message, lParam);
  switch (message) {
    case WM_INITDIALOG:
      s->writing = true;
      SetWindowTextCp(GetDlgItem(dialog, IDC_LOGIN_PASSWORD), g_password);
      s->writing = false;
      Dialog_Prepare(dialog);
      return TRUE;
    case WM_COMMAND:
      if (!s) return FALSE;
      switch (LOWORD(wParam)) {
        case IDC_LOGIN_PASSWORD:
          if (HIWORD(wParam) == EN_SETFOCUS) Dialog_SelectAll(reinterpret_cast<HWND>(lParam));
          if (HIWORD(wParam) == EN_CHANGE) PasswordChanged(dialog, s);
          return TRUE;
        case IDOK:
          // Also a command posted past the greyed button sends nothing invalid.
          if (!s->invalid) EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        default: return FALSE;
      }
    case WM_CTLCOLOREDIT:
      if (!s || reinterpret_cast<HWND>(lParam) != GetDlgItem(dialog, IDC_LOGIN_PASSWORD)) return FALSE;
      return reinterpret_cast<INT_PTR>(Dialog_FieldColours(reinterpret_cast<HDC>(wParam), s->invalid));
    default: return FALSE;
  }
}

}  // namespace

int Dialog_CpuStart(HWND owner) {
  if (Dialog_Run(owner, IDD_CPU_START, StartProc, 0) != 1) return 0;
  Cmd_CpuStart(TheAppState(), g_restartMode);
  return 1;
}

int Dialog_Login(HWND owner) {
  LoginState state{};
  if (Dialog_Run(owner, IDD_LOGIN, LoginProc, reinterpret_cast<LPARAM>(&state)) != 1) return 0;
  Cmd_Login(TheAppState(), g_password);
  return 1;
}
