// The variable definition dialog: type, memory area, DB number, address, bit
// and count of one variable, the count bounded by the room left in the
// list's request. The working state and every rule are app/vardefine.h's;
// the four number fields are the shared number field, and the reason OK is
// disabled stands beside the buttons.
#include <windows.h>
#include <commctrl.h>

#include "app/vardefine.h"
#include "app/win32/wintext.h"
#include "dialogs/dialogbase.h"
#include "dialogs/dialogs.h"
#include "dialogs/numberfield.h"
#include "res/resource.h"

namespace {

// The fields in the order of VarDefineFieldId; each spinner's id is its
// field's + 1.
constexpr int kFieldIds[kDefineFieldCount] = {IDC_DEFINE_DB, IDC_DEFINE_ADDRESS, IDC_DEFINE_BIT, IDC_DEFINE_COUNT};

struct DefineDialog {
  VarDefineState* state;
  PlcVariable* var;
  bool isNew;
  NumberField field[kDefineFieldCount];
  int result;
};

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

// The state takes what the number field holds: its last valid value and
// whether the text is one.
void Took(DefineDialog* d, int i) {
  d->state->field[i].value = static_cast<int>(d->field[i].value);
  d->state->field[i].invalid = d->field[i].invalid;
}

// OK, and beside it why it is disabled: no room left, the rule for runs of
// bits, an invalid value, or why the library could not say how much fits.
void DecideOk(HWND dialog, const DefineDialog* d) {
  const int refusal = VarDefine_Refusal(d->state);
  EnableWindow(Item(dialog, IDOK), refusal == 0);
  SetWindowTextCp(Item(dialog, IDC_DEFINE_REASON), refusal ? LoadText(refusal) : "");
}

void FillAreas(HWND dialog, const VarDefineState* s) {
  HWND list = Item(dialog, IDC_DEFINE_AREA);
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  int areas[4] = {};
  int selected = 0;
  const int count = VarDefine_Areas(s, areas, &selected);
  for (int i = 0; i < count; ++i)
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(Var_AreaName(areas[i])).c_str()));
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

// Type and area applied (on opening and after either list changed): the
// areas the type offers, the count bounded by what still fits, and every
// field with its range, value and enabling.
void Apply(HWND dialog, DefineDialog* d) {
  VarDefineState* s = d->state;
  VarDefine_ApplyTypeAndArea(s, VarDefine_AskCapacity(TheAppState(), s));
  FillAreas(dialog, s);
  for (int i = 0; i < kDefineFieldCount; ++i) {
    NumberField* field = &d->field[i];
    const NumberSpec spec = VarDefine_FieldSpec(s, i);
    NumberField_SetRange(field, spec.min, spec.max);
    NumberField_Set(field, s->field[i].value);
    EnableWindow(field->edit, s->field[i].enabled);
    EnableWindow(field->spin, s->field[i].enabled);
    // A count without room is invalid though nobody typed it: redrawn.
    InvalidateRect(field->edit, nullptr, TRUE);
  }
  DecideOk(dialog, d);
}

void Initialise(HWND dialog, DefineDialog* d) {
  const VarDefineState* s = d->state;
  HWND types = Item(dialog, IDC_DEFINE_TYPE);
  for (int type = 0; type < kVarTypeCount; ++type)
    SendMessageW(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(Var_TypeName(type)).c_str()));
  SendMessageW(types, CB_SETCURSEL, static_cast<WPARAM>(s->type), 0);
  for (int i = 0; i < kDefineFieldCount; ++i)
    NumberField_Attach(&d->field[i], dialog, kFieldIds[i], kFieldIds[i] + 1, VarDefine_FieldSpec(s, i),
                       s->field[i].value);
  Apply(dialog, d);
}

bool OnCommand(HWND dialog, DefineDialog* d, int id, int code, HWND control) {
  const int i = NumberField_Find(d->field, kDefineFieldCount, control);
  if (i >= 0) {
    if (code == EN_SETFOCUS) Dialog_SelectAll(control);
    if (code == EN_CHANGE && NumberField_Changed(&d->field[i])) {
      Took(d, i);
      DecideOk(dialog, d);
    }
    return true;
  }
  switch (id) {
    case IDC_DEFINE_TYPE:
    case IDC_DEFINE_AREA: {
      if (code != CBN_SELCHANGE) return true;
      const auto chosen = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
      if (id == IDC_DEFINE_TYPE)
        VarDefine_SelectType(d->state, chosen);
      else
        VarDefine_SelectArea(d->state, chosen);
      Apply(dialog, d);
      return true;
    }
    case IDOK:
      // Also for a command posted past the greyed button.
      if (!VarDefine_CanConfirm(d->state)) return true;
      d->result = VarDefine_Confirm(d->state, d->var, d->isNew) == VAR_DEFINITION_CHANGED ? 1 : 0;
      EndDialog(dialog, 1);
      return true;
    case IDCANCEL: EndDialog(dialog, 0); return true;
    default: return false;
  }
}

INT_PTR CALLBACK DefineProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* d = Dialog_State<DefineDialog>(dialog, message, lParam);
  switch (message) {
    case WM_INITDIALOG:
      Initialise(dialog, d);
      Dialog_Prepare(dialog);
      return TRUE;
    case WM_COMMAND:
      return d && OnCommand(dialog, d, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY: {
      const auto* note = reinterpret_cast<const NMHDR*>(lParam);
      if (!d || note->code != UDN_DELTAPOS) return FALSE;
      const int i = NumberField_Find(d->field, kDefineFieldCount, note->hwndFrom);
      if (i < 0) return FALSE;
      if (NumberField_Step(&d->field[i], reinterpret_cast<const NMUPDOWN*>(lParam))) {
        Took(d, i);
        DecideOk(dialog, d);
      }
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);  // the field has moved the spinner itself
      return TRUE;
    }
    // A disabled field asks for the static colours: the count without room
    // stays red there.
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
      const int i = d ? NumberField_Find(d->field, kDefineFieldCount, reinterpret_cast<HWND>(lParam)) : -1;
      if (i < 0) return FALSE;
      return reinterpret_cast<INT_PTR>(
          Dialog_FieldColours(reinterpret_cast<HDC>(wParam), d->state->field[i].invalid));
    }
    default: return FALSE;
  }
}

}  // namespace

int Dialog_DefineVariable(HWND owner, Transfer kind, PlcVariable* var, bool isNew) {
  if (!var) return 0;
  VarDefineState* state = TheVarDefineState();
  VarDefine_PrepareRequest(TheAppState(), kind, state);
  VarDefine_Open(state, isNew ? nullptr : var);
  DefineDialog d{};
  d.state = state;
  d.var = var;
  d.isNew = isNew;
  Dialog_Run(owner, IDD_VAR_DEFINE, DefineProc, reinterpret_cast<LPARAM>(&d));
  return d.result;
}
