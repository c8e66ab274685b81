// The variable list dialog of the read and write commands: the variables of
// the table and the elements of the selected one, the buttons that define,
// change and delete variables and edit elements, and on OK the transfer of
// the whole list. The selection, the button rules and the table operations
// are app/varlist.h's; after every preparation of the request both lists are
// built again from the table, so they never show what the table lost.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/varlist.h"
#include "app/win32/shell.h"
#include "app/win32/wintext.h"
#include "dialogs/dialogbase.h"
#include "dialogs/dialogs.h"
#include "dialogs/listclick.h"
#include "dialogs/readwindow.h"
#include "res/resource.h"

namespace {

struct ListDialog {
  Transfer kind;
  HWND dialog;
  HWND variables;
  HWND elements;
};

VariableTable* Table() { return &TheAppState()->table; }
VarListSelection* Selection() { return TheVarListSelection(); }

// Lines into a list box in the program's list font: appended to an emptied
// list, or each in place of the line at its index. The horizontal scroll
// width follows the widest line, measured in one device context per fill.
class ListFill {
 public:
  ListFill(HWND list, bool rebuild) : list_(list), dc_(GetDC(list)) {
    if (dc_) old_ = SelectObject(dc_, TheShell()->listFont);
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    if (rebuild) SendMessageW(list_, LB_RESETCONTENT, 0, 0);
  }
  ~ListFill() {
    if (dc_) {
      SelectObject(dc_, old_);
      ReleaseDC(list_, dc_);
    }
    // A few pixels beyond the text, so its last letter is not cut at the edge.
    SendMessageW(list_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest_ + 4), 0);
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
  }
  ListFill(const ListFill&) = delete;
  ListFill& operator=(const ListFill&) = delete;

  void Line(int index, const char* text, int length) {
    const std::wstring wide = Wide(text, static_cast<std::size_t>(length));
    const auto count = static_cast<int>(SendMessageW(list_, LB_GETCOUNT, 0, 0));
    if (index < count) SendMessageW(list_, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    SendMessageW(list_, LB_INSERTSTRING, static_cast<WPARAM>(index < count ? index : -1),
                 reinterpret_cast<LPARAM>(wide.c_str()));
    SIZE size{};
    if (dc_ && GetTextExtentPoint32W(dc_, wide.c_str(), static_cast<int>(wide.size()), &size) && size.cx > widest_)
      widest_ = size.cx;
  }

 private:
  HWND list_;
  HDC dc_;
  HGDIOBJ old_ = nullptr;
  int widest_ = 0;
};

void Show(HWND list, int index) { SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0); }

void FillVariables(const ListDialog* d) {
  const VariableTable* table = Table();
  {
    ListFill fill(d->variables, true);
    for (int i = 0; i < VarTable_Count(table); ++i) {
      char text[kVarAddressTextMax];
      const int length = Var_FormatVariableLine(&table->vars[i], text);
      fill.Line(i, text, length);
    }
  }
  Show(d->variables, Selection()->variable);
}

// The selected variable's elements: its address, name, and the value (write
// list) or the display mode's name (read list).
void FillElements(const ListDialog* d, bool rebuild) {
  const VariableTable* table = Table();
  const VarListSelection* selection = Selection();
  {
    ListFill fill(d->elements, rebuild);
    if (selection->variable >= 0 && selection->variable < VarTable_Count(table)) {
      const PlcVariable* var = &table->vars[selection->variable];
      ValueLineWidths widths{};
      Var_AddLineWidths(var, &widths);
      for (int e = 0; e < var->count; ++e) {
        char text[kValueLineMax];
        const int length = Var_FormatElementLine(VarList_LineEnd(d->kind), &widths, e, var, text);
        fill.Line(e, text, length);
      }
    }
  }
  Show(d->elements, selection->element);
}

// A button that loses its enabling while it has the focus would leave the
// keyboard nowhere: the focus moves on.
void DecideButtons(const ListDialog* d) {
  const VarListButtons b = VarList_Buttons(Selection(), Table());
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
  VarList_StatusTexts(TheAppState(), request, reply, sizeof request);
  HWND status = GetDlgItem(d->dialog, IDC_LIST_STATUS);
  SendMessageW(status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(Wide(request).c_str()));
  SendMessageW(status, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(Wide(reply).c_str()));
}

// The request prepared again with the table as it stands (refused variables
// leave it with a log line), then everything shown from the table.
void Prepare(const ListDialog* d) {
  VarList_PrepareRequest(TheAppState(), d->kind, Selection());
  FillVariables(d);
  FillElements(d, true);
  ShowSizes(d);
  DecideButtons(d);
}

void SelectVariable(const ListDialog* d, int index) {
  if (index == Selection()->variable) return;
  VarList_SelectVariable(Selection(), Table(), index);
  FillElements(d, true);
  DecideButtons(d);
}

void SelectElement(const ListDialog* d, int line) {
  if (line == Selection()->element) return;
  VarList_SelectElement(Selection(), Table(), line);
  DecideButtons(d);
}

// "Hozzáfűz" and "Beilleszt": a new variable defined on an empty record.
void Define(const ListDialog* d, bool insert) {
  const VarListButtons b = VarList_Buttons(Selection(), Table());
  if (insert ? !b.insert : !b.append) return;
  PlcVariable scratch{};
  if (Dialog_DefineVariable(d->dialog, d->kind, &scratch, true) == 1)
    VarList_Add(Selection(), Table(), &scratch, insert);
  Var_FreeBlock(&scratch);  // nothing unless the definition was not taken
  Prepare(d);
}

// "Módosít": the variable is out of the table while its definition runs, so
// that its own room counts, and back at its place whatever the user chose.
void Modify(const ListDialog* d) {
  if (!VarList_Buttons(Selection(), Table()).modify) return;
  VarListHeld held;
  if (!VarList_TakeOut(Selection(), Table(), &held)) return;
  Dialog_DefineVariable(d->dialog, d->kind, &held.var, false);
  VarList_PutBack(Selection(), Table(), &held);
  Prepare(d);
}

void Delete(const ListDialog* d) {
  if (!VarList_Buttons(Selection(), Table()).remove) return;
  VarList_Delete(Selection(), Table());
  Prepare(d);
}

// "Szerkeszt", or a double click in the element list, whose first click may
// have just deselected the line: the last line selected is edited then.
void EditElement(const ListDialog* d, bool doubleClick) {
  if (!doubleClick && !VarList_Buttons(Selection(), Table()).edit) return;
  const int element = VarList_ElementToEdit(Selection(), Table(), doubleClick);
  if (element < 0) return;
  Show(d->elements, element);
  DecideButtons(d);
  PlcVariable* var = &Table()->vars[Selection()->variable];
  if (Dialog_EditElement(d->dialog, d->kind == Transfer::Write, element, var) == 1) FillElements(d, false);
}

void Initialise(HWND dialog, ListDialog* d) {
  d->dialog = dialog;
  d->variables = GetDlgItem(dialog, IDC_LIST_VARIABLES);
  d->elements = GetDlgItem(dialog, IDC_LIST_ELEMENTS);
  SetWindowTextW(dialog, WideText(d->kind == Transfer::Write ? IDS_TITLE_WRITE_LIST : IDS_TITLE_READ_LIST).c_str());
  HWND status = GetDlgItem(dialog, IDC_LIST_STATUS);
  RECT client{};
  GetClientRect(status, &client);
  int parts[2] = {client.right / 2, -1};
  SendMessageW(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  for (HWND list : {d->variables, d->elements}) {
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(TheShell()->listFont), FALSE);
    ListClick_Attach(list);
  }
  VarList_ClearSelection(Selection());
  Prepare(d);
}

bool OnCommand(ListDialog* d, int id, int code) {
  switch (id) {
    case IDC_LIST_VARIABLES:
      // The keyboard moves the selection too; a click reports through the
      // click behaviour as well, with the same result.
      if (code == LBN_SELCHANGE) SelectVariable(d, static_cast<int>(SendMessageW(d->variables, LB_GETCURSEL, 0, 0)));
      return true;
    case IDC_LIST_ELEMENTS:
      if (code == LBN_SELCHANGE) SelectElement(d, static_cast<int>(SendMessageW(d->elements, LB_GETCURSEL, 0, 0)));
      if (code == LBN_DBLCLK) EditElement(d, true);
      return true;
    case IDC_LIST_APPEND: Define(d, false); return true;
    case IDC_LIST_INSERT: Define(d, true); return true;
    case IDC_LIST_MODIFY: Modify(d); return true;
    case IDC_LIST_DELETE: Delete(d); return true;
    case IDC_LIST_EDIT: EditElement(d, false); return true;
    case IDOK:
      if (VarList_Buttons(Selection(), Table()).ok) EndDialog(d->dialog, 1);
      return true;
    case IDCANCEL: EndDialog(d->dialog, 0); return true;
    default: return false;
  }
}

INT_PTR CALLBACK ListProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* d = Dialog_State<ListDialog>(dialog, message, lParam);
  switch (message) {
    case WM_INITDIALOG:
      Initialise(dialog, d);
      Dialog_Prepare(dialog);
      return TRUE;
    case WM_COMMAND: return d && OnCommand(d, LOWORD(wParam), HIWORD(wParam));
    case kWmListSelection:
      if (!d) return FALSE;
      if (wParam == IDC_LIST_VARIABLES) SelectVariable(d, static_cast<int>(lParam));
      if (wParam == IDC_LIST_ELEMENTS) SelectElement(d, static_cast<int>(lParam));
      return TRUE;
    case WM_DESTROY:
      if (!d) return FALSE;
      ListClick_Detach(d->variables);
      ListClick_Detach(d->elements);
      return FALSE;
    default: return FALSE;
  }
}

}  // namespace

int Dialog_VariableList(HWND owner, Transfer kind) {
  ListDialog d{};
  d.kind = kind;
  const INT_PTR result = Dialog_Run(owner, IDD_VAR_LIST, ListProc, reinterpret_cast<LPARAM>(&d));
  const int rc = result == 1 ? Cmd_Transfer(TheAppState(), kind) : -1;
  // The list may have changed whatever the user chose: "Ment" follows it.
  Shell_UpdateMenu(MenuState::Unchanged, MenuState::Unchanged, SaveItem::Refresh);
  // Last: from the window's start on, the connection is its thread's.
  if (rc == S7_OK) ReadWindow_Open(kind == Transfer::Write, false);
  return result == 1 ? 1 : 0;
}
