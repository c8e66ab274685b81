// The two small dialogs in front of a CPU command: the restart mode for
// "Start CPU" and the password for "Login". Both hand back what was chosen,
// also when cancelled, for the caller to remember.
#include <cstring>
#include <string>

#include "win32/dialogs/dialogs.h"
#include "win32/toolkit/wintext.h"
#include "res/resource.h"

namespace {

struct StartState {
  const DialogHost* host;
  RestartMode* mode;
};

INT_PTR CALLBACK StartProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* s = Dialog_State<StartState>(dialog, message, lParam);
  if (!s) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      CheckRadioButton(dialog, IDC_START_WARM, IDC_START_COLD,
                       *s->mode == RestartMode::Cold ? IDC_START_COLD : IDC_START_WARM);
      Dialog_Prepare(dialog, *s->host);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_START_WARM: *s->mode = RestartMode::Warm; return TRUE;
        case IDC_START_COLD: *s->mode = RestartMode::Cold; return TRUE;
        case IDOK: EndDialog(dialog, 1); return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        default: return FALSE;
      }
    default: return FALSE;
  }
}

struct LoginState {
  const DialogHost* host;
  char* password;  // kPasswordMax + 1 bytes
  bool writing;    // the dialog fills the field itself
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
  if (valid) std::memcpy(s->password, text.c_str(), text.size() + 1);
  EnableWindow(GetDlgItem(dialog, IDOK), valid);
  Dialog_MarkInvalid(field, &s->invalid, !valid);
}

INT_PTR CALLBACK LoginProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* s = Dialog_State<LoginState>(dialog, message, lParam);
  if (!s) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      s->writing = true;
      SetWindowTextCp(GetDlgItem(dialog, IDC_LOGIN_PASSWORD), s->password);
      s->writing = false;
      Dialog_Prepare(dialog, *s->host);
      return TRUE;
    case WM_COMMAND:
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
      if (reinterpret_cast<HWND>(lParam) != GetDlgItem(dialog, IDC_LOGIN_PASSWORD)) return FALSE;
      return reinterpret_cast<INT_PTR>(Dialog_FieldColours(*s->host, reinterpret_cast<HDC>(wParam), s->invalid));
    default: return FALSE;
  }
}

}  // namespace

bool Dialog_CpuStart(const DialogHost& host, RestartMode* mode) {
  StartState state{&host, mode};
  return Dialog_Run(host, IDD_CPU_START, StartProc, reinterpret_cast<LPARAM>(&state)) == 1;
}

bool Dialog_Login(const DialogHost& host, char* password) {
  LoginState state{&host, password, false, false};
  return Dialog_Run(host, IDD_LOGIN, LoginProc, reinterpret_cast<LPARAM>(&state)) == 1;
}
