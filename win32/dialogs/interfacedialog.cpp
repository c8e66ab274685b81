// The interface dialog: which access path to open (TCP or one of the three
// SIMATIC NET access points). It only chooses; the caller opens.
#include "win32/dialogs/dialogs.h"

#include "res/resource.h"

namespace {

constexpr int kFirstRadio = IDC_IF_TCP;
constexpr int kLastRadio = IDC_IF_CP_L2_2;

struct InterfaceState {
  const DialogHost* host;
  int kind;
};

INT_PTR CALLBACK InterfaceProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* s = Dialog_State<InterfaceState>(dialog, message, lParam);
  if (!s) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      if (s->kind < 0 || s->kind > kLastRadio - kFirstRadio) s->kind = 0;
      CheckRadioButton(dialog, kFirstRadio, kLastRadio, kFirstRadio + s->kind);
      Dialog_Prepare(dialog, *s->host);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id >= kFirstRadio && id <= kLastRadio && HIWORD(wParam) == BN_CLICKED) {
        s->kind = id - kFirstRadio;
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

bool Dialog_OpenInterface(const DialogHost& host, int* kind) {
  InterfaceState state{&host, *kind};
  if (Dialog_Run(host, IDD_INTERFACE, InterfaceProc, reinterpret_cast<LPARAM>(&state)) != 1) return false;
  *kind = state.kind;
  return true;
}
