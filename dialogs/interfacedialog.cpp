// The interface dialog: which access path to open (TCP or one of the three
// SIMATIC NET access points). On OK the kind goes into the PLC settings, the
// address follows a switch to or from TCP, and the interface is opened.
#include "app/commands.h"
#include "app/dialogrules.h"
#include "dialogs/dialogbase.h"
#include "dialogs/dialogs.h"
#include "res/resource.h"

namespace {

constexpr int kFirstRadio = IDC_IF_TCP;
constexpr int kLastRadio = IDC_IF_CP_L2_2;

INT_PTR CALLBACK InterfaceProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* kind = Dialog_State<int>(dialog, message, lParam);
  if (!kind) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      if (*kind < 0 || *kind > kLastRadio - kFirstRadio) *kind = 0;
      CheckRadioButton(dialog, kFirstRadio, kLastRadio, kFirstRadio + *kind);
      Dialog_Prepare(dialog);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id >= kFirstRadio && id <= kLastRadio && HIWORD(wParam) == BN_CLICKED) {
        *kind = id - kFirstRadio;
        return TRUE;
      }
      if (id == IDOK || id == IDCANCEL) {
        EndDialog(dialog, id == IDOK ? 1 : 0);
        return TRUE;
      }
      return FALSE;
    }
    default: return FALSE;
  }
}

}  // namespace

int Dialog_OpenInterface(HWND owner) {
  AppState* app = TheAppState();
  int kind = app->plc.kind;
  const INT_PTR result = Dialog_Run(owner, IDD_INTERFACE, InterfaceProc, reinterpret_cast<LPARAM>(&kind));
  if (result != 1) return 0;
  app->plc.address = Plc_AddressAfterSwitch(app->plc.kind, kind, app->plc.address);
  app->plc.kind = kind;
  Cmd_OpenInterface(app);
  return 1;
}
