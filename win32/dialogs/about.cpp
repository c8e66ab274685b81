// The about box: the program's icon, its name and version.
#include "win32/dialogs/dialogs.h"

#include "res/resource.h"

namespace {

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto* host = Dialog_State<const DialogHost>(dialog, message, lParam);
  switch (message) {
    case WM_INITDIALOG: Dialog_Prepare(dialog, *host); return TRUE;
    case WM_CTLCOLORSTATIC:
      // The texts lie on the dialog's own background.
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam) == IDOK);
      return TRUE;
    default: return FALSE;
  }
}

}  // namespace

void Dialog_About(const DialogHost& host) {
  Dialog_Run(host, IDD_ABOUT, AboutProc, reinterpret_cast<LPARAM>(&host));
}
