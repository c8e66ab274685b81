// The variable list dialog of the read and write commands: the variables of
// the table and the elements of the selected one, and the buttons that
// define, change and delete variables and edit elements; on OK the caller
// transfers the whole list. The selection, the button rules and the table
// operations are app/varlist.h's; after every preparation of the request
// both lists are built again from the table, so they never show what the
// table lost.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/varlist.h"
#include "win32/dialogs/dialogs.h"
#include "win32/toolkit/listclick.h"
#include "win32/toolkit/listlines.h"
#include "win32/toolkit/wintext.h"
#include "res/resource.h"

namespace {

struct ListDialog {
  const DialogHost* host;
  const VarListArgs* args;
  HWND dialog;
  VarListSelection selection;
  PlanTotals planned;  // the last preparation's requests, for the status bar
  ListBoxLines variables;
  ListBoxLines elements;
};

VariableTable* Table(const ListDialog* d) { return &d->args->app->table; }

void FillVariables(ListDialog* d) {
  const VariableTable* table = Table(d);
  d->variables.Clear();
  for (int i = 0; i < VarTable_Count(table); ++i) {
    char text[kVarAddressTextMax];
    const int length = Var_FormatVariableLine(&table->vars[i], text);
    d->variables.Line(i, text, length);
  }
  d->variables.Flush();
  d->variables.Select(d->selection.variable);
}

// The selected variable's elements: its address, name, and the value (write
// list) or the display mode's name (read list). A rebuild empties the list
// first; otherwise each line is rewritten in place.
void FillElements(ListDialog* d, bool rebuild) {
  const VariableTable* table = Table(d);
  const VarListSelection& selection = d->selection;
  if (rebuild) d->elements.Clear();
  if (selection.variable >= 0 && selection.variable < VarTable_Count(table)) {
    const PlcVariable* var = &table->vars[selection.variable];
    ValueLineWidths widths{};
    Var_AddLineWidths(var, &widths);
    for (int e = 0; e < var->count; ++e) {
      char text[kValueLineMax];
      const int length = Var_FormatElementLine(VarList_LineEnd(d->args->kind), &widths, e, var, text);
      d->elements.Line(e, text, length);
    }
  }
  d->elements.Flush();
  d->elements.Select(selection.element);
}

// A button that loses its enabling while it has the focus would leave the
// keyboard nowhere: the focus moves on.
void DecideButtons(const ListDialog* d) {
  const VarListButtons b = VarList_Buttons(&d->selection, Table(d));
  const struct {
    int id;
    bool enabled;
  } buttons[] = {{IDC_LIST_APPEND, b.append}, {IDC_LIST_INSERT, b.insert}, {IDC_LIST_MODIFY, b.modify},
                 {IDC_LIST_DELETE, b.remove}, {IDC_LIST_EDIT, b.edit},     {IDOK, b.ok}};
  for (const auto& button : buttons) {
    HWND control = GetDlgItem(d->dialog, button.id);
    if (!button.enabled && control == GetFocus()) SendMessageW(d->dialog, WM_NEXTDLGCTL, 0, FALSE);
    EnableWindow(control, button.enabled);
  }
}

void ShowSizes(const ListDialog* d) {
  char request[64], reply[64];
  VarList_StatusTexts(d->args->app, d->planned, request, reply, sizeof request);
  HWND status = GetDlgItem(d->dialog, IDC_LIST_STATUS);
  SendMessageW(status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(Wide(request).c_str()));
  SendMessageW(status, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(Wide(reply).c_str()));
}

// The request prepared again with the table as it stands (refused variables
// leave it with a log line; a table larger than one request is planned),
// then everything shown from the table.
void Prepare(ListDialog* d) {
  VarList_PrepareRequest(d->args->app, d->args->kind, &d->selection, &d->planned);
  FillVariables(d);
  FillElements(d, true);
  ShowSizes(d);
  DecideButtons(d);
}

void SelectVariable(ListDialog* d, int index) {
  if (index == d->selection.variable) return;
  VarList_SelectVariable(&d->selection, Table(d), index);
  FillElements(d, true);
  DecideButtons(d);
}

void SelectElement(ListDialog* d, int line) {
  if (line == d->selection.element) return;
  VarList_SelectElement(&d->selection, Table(d), line);
  DecideButtons(d);
}

// The definition dialog over this one, on a record of the list's kind.
bool Define(ListDialog* d, PlcVariable* var, VarRecord record) {
  const DefineArgs args{d->args->kind, d->args->app, &d->selection, d->args->definition, var, record};
  return Dialog_DefineVariable(Dialog_Child(*d->host, d->dialog), args);
}

// "Hozzáfűz" and "Beilleszt": a new variable defined on an empty record.
void Add(ListDialog* d, AddPlace place) {
  const VarListButtons b = VarList_Buttons(&d->selection, Table(d));
  if (place == AddPlace::Insert ? !b.insert : !b.append) return;
  PlcVariable scratch{};
  if (Define(d, &scratch, VarRecord::New)) VarList_Add(&d->selection, Table(d), &scratch, place);
  Var_FreeBlock(&scratch);  // nothing unless the definition was not taken
  Prepare(d);
}

// "Módosít": the variable is out of the table while its definition runs, so
// that its own room counts, and back at its place whatever the user chose.
void Modify(ListDialog* d) {
  if (!VarList_Buttons(&d->selection, Table(d)).modify) return;
  VarListHeld held;
  if (!VarList_TakeOut(&d->selection, Table(d), &held)) return;
  Define(d, &held.var, VarRecord::Existing);
  VarList_PutBack(&d->selection, Table(d), &held);
  Prepare(d);
}

void Delete(ListDialog* d) {
  if (!VarList_Buttons(&d->selection, Table(d)).remove) return;
  VarList_Delete(&d->selection, Table(d));
  Prepare(d);
}

// "Szerkeszt", or a double click in the element list, whose first click may
// have just deselected the line: the last line selected is edited then.
void EditElement(ListDialog* d, EditAsk ask) {
  if (ask == EditAsk::Button && !VarList_Buttons(&d->selection, Table(d)).edit) return;
  const int element = VarList_ElementToEdit(&d->selection, Table(d), ask);
  if (element < 0) return;
  d->elements.Select(element);
  DecideButtons(d);
  PlcVariable* var = &Table(d)->vars[d->selection.variable];
  if (Dialog_EditElement(Dialog_Child(*d->host, d->dialog), d->args->kind, element, var)) FillElements(d, false);
}

void Initialise(HWND dialog, ListDialog* d) {
  d->dialog = dialog;
  SetWindowTextW(dialog,
                 WideText(d->args->kind == Transfer::Write ? IDS_TITLE_WRITE_LIST : IDS_TITLE_READ_LIST).c_str());
  HWND status = GetDlgItem(dialog, IDC_LIST_STATUS);
  RECT client{};
  GetClientRect(status, &client);
  int parts[2] = {client.right / 2, -1};
  SendMessageW(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  for (auto [id, lines] : {std::pair{IDC_LIST_VARIABLES, &d->variables}, std::pair{IDC_LIST_ELEMENTS, &d->elements}}) {
    HWND list = GetDlgItem(dialog, id);
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(d->host->listFont), FALSE);
    lines->Attach(list, d->host->listFont);
    ListClick_Attach(list);
  }
  VarList_ClearSelection(&d->selection);
  Prepare(d);
}

bool OnCommand(ListDialog* d, int id, int code) {
  switch (id) {
    case IDC_LIST_VARIABLES:
      // The keyboard moves the selection too; a click reports through the
      // click behaviour as well, with the same result.
      if (code == LBN_SELCHANGE)
        SelectVariable(d, static_cast<int>(SendMessageW(d->variables.List(), LB_GETCURSEL, 0, 0)));
      return true;
    case IDC_LIST_ELEMENTS:
      if (code == LBN_SELCHANGE)
        SelectElement(d, static_cast<int>(SendMessageW(d->elements.List(), LB_GETCURSEL, 0, 0)));
      if (code == LBN_DBLCLK) EditElement(d, EditAsk::DoubleClick);
      return true;
    case IDC_LIST_APPEND: Add(d, AddPlace::Append); return true;
    case IDC_LIST_INSERT: Add(d, AddPlace::Insert); return true;
    case IDC_LIST_MODIFY: Modify(d); return true;
    case IDC_LIST_DELETE: Delete(d); return true;
    case IDC_LIST_EDIT: EditElement(d, EditAsk::Button); return true;
    case IDOK:
      if (VarList_Buttons(&d->selection, Table(d)).ok) EndDialog(d->dialog, 1);
      return true;
    case IDCANCEL: EndDialog(d->dialog, 0); return true;
    default: return false;
  }
}

INT_PTR CALLBACK ListProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* d = Dialog_State<ListDialog>(dialog, message, lParam);
  if (!d) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      Initialise(dialog, d);
      Dialog_Prepare(dialog, *d->host);
      return TRUE;
    case WM_COMMAND: return OnCommand(d, LOWORD(wParam), HIWORD(wParam));
    case kWmListSelection:
      if (wParam == IDC_LIST_VARIABLES) SelectVariable(d, static_cast<int>(lParam));
      if (wParam == IDC_LIST_ELEMENTS) SelectElement(d, static_cast<int>(lParam));
      return TRUE;
    case WM_DESTROY:
      ListClick_Detach(d->variables.List());
      ListClick_Detach(d->elements.List());
      return FALSE;
    default: return FALSE;
  }
}

}  // namespace

bool Dialog_VariableList(const DialogHost& host, const VarListArgs& args) {
  ListDialog d{};
  d.host = &host;
  d.args = &args;
  return Dialog_Run(host, IDD_VAR_LIST, ListProc, reinterpret_cast<LPARAM>(&d)) == 1;
}
