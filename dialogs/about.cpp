// The about box: the program's icon, its name and version.
#include "dialogs/dialogs.h"

#include "dialogs/dialogbase.h"
#include "res/resource.h"

namespace {

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: Dialog_Prepare(dialog); return TRUE;
    case WM_CTLCOLORSTATIC:
      // The texts lie on the dialog's own background.
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam) == IDOK);
      return TRUE;
    default: (void)lParam; return FALSE;
  }
}

}  // namespace

void Dialog_About(HWND owner) {
  Dialog_Run(owner, IDD_ABOUT, AboutProc, 0);
}
