// The variable definition dialog: type, memory area, DB number, address, bit
// and count of one variable, the count bounded by the room left in the
// list's request. The working state and every rule are app/vardefine.h's;
// the four number fields are the shared number field, and the reason OK is
// disabled stands beside the buttons.
#include <windows.h>
#include <commctrl.h>

#include "app/vardefine.h"
#include "win32/dialogs/dialogs.h"
#include "win32/toolkit/numberfield.h"
#include "win32/toolkit/wintext.h"
#include "res/resource.h"

namespace {

// The fields in the order of VarDefineFieldId; each spinner's id is its
// field's + 1.
constexpr int kFieldIds[kDefineFieldCount] = {IDC_DEFINE_DB, IDC_DEFINE_ADDRESS, IDC_DEFINE_BIT, IDC_DEFINE_COUNT,
                                              IDC_DEFINE_TEXT_MAX};

struct DefineDialog {
  const DialogHost* host;
  const DefineArgs* args;
  VarDefineState* state;
  NumberField field[kDefineFieldCount];
  bool result;
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
  VarDefine_ApplyTypeAndArea(s, VarDefine_AskCapacity(d->args->app, s));
  FillAreas(dialog, s);
  for (int i = 0; i < kDefineFieldCount; ++i) {
    NumberField* field = &d->field[i];
    const NumberSpec spec = VarDefine_FieldSpec(s, i);
    NumberField_SetRange(field, spec.min, spec.max);
    NumberField_Set(field, s->field[i].value);
    EnableWindow(field->edit, s->field[i].enabled);
    EnableWindow(field->spin, s->field[i].enabled);
    // A count without room is invalid though nobody typed it.
    NumberField_MarkInvalid(field, s->field[i].invalid);
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
      d->result = VarDefine_Confirm(d->state, d->args->var, d->args->record) == VAR_DEFINITION_CHANGED;
      EndDialog(dialog, 1);
      return true;
    case IDCANCEL: EndDialog(dialog, 0); return true;
    default: return false;
  }
}

INT_PTR CALLBACK DefineProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* d = Dialog_State<DefineDialog>(dialog, message, lParam);
  if (!d) return FALSE;
  if (const FieldMessage m = NumberFields_Message(d->field, kDefineFieldCount, *d->host, dialog, message, wParam, lParam);
      m.handled) {
    if (m.changed >= 0) {
      Took(d, m.changed);
      DecideOk(dialog, d);
    }
    return m.result;
  }
  switch (message) {
    case WM_INITDIALOG:
      Initialise(dialog, d);
      Dialog_Prepare(dialog, *d->host);
      return TRUE;
    case WM_COMMAND: return OnCommand(dialog, d, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    default: return FALSE;
  }
}

}  // namespace

bool Dialog_DefineVariable(const DialogHost& host, const DefineArgs& args) {
  if (!args.var || !args.state) return false;
  VarDefine_PrepareRequest(args.app, args.kind, args.selection, args.state);
  VarDefine_Open(args.state, args.record == VarRecord::New ? nullptr : args.var);
  DefineDialog d{};
  d.host = &host;
  d.args = &args;
  d.state = args.state;
  Dialog_Run(host, IDD_VAR_DEFINE, DefineProc, reinterpret_cast<LPARAM>(&d));
  return d.result;
}
