// The element edit dialogs: one element's name and display mode (read list),
// and with its value as well (write list). The edit session of
// app/elementedit.h changes the element in place and puts it back on Cancel;
// this file only shows it: the value field with its spinner (the shared
// number field, in the mode's own notation), the date and time pickers, the
// mode list and the name.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/elementedit.h"
#include "win32/dialogs/dialogs.h"
#include "win32/toolkit/numberfield.h"
#include "win32/toolkit/wintext.h"
#include "res/resource.h"

namespace {

static_assert(sizeof(CalendarRecord) == sizeof(SYSTEMTIME), "the pickers take the record as it is");

struct ElementDialog {
  const DialogHost* host;
  ElementEdit edit;
  NumberField value;        // the dialog with value only
  NumberNotation notation;  // the value field's texts and steps are the session's
  bool nameInvalid;         // the name holds a letter code page 1250 lacks
  bool filling;             // the dialog sets the pickers itself
};

const SYSTEMTIME* AsSystemTime(const CalendarRecord* record) { return reinterpret_cast<const SYSTEMTIME*>(record); }
const CalendarRecord* AsRecord(const SYSTEMTIME* time) { return reinterpret_cast<const CalendarRecord*>(time); }

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

// The value field's texts go through the session: a valid one is stored in
// the element at once, and the spinner follows the value it gives.
bool JudgeValue(void* context, const char* text, std::int64_t* value) {
  auto* edit = static_cast<ElementEdit*>(context);
  const bool valid = ElementEdit_Typed(edit, text) == VAR_VALUE_OK;
  *value = edit->value;
  return valid;
}

// A spinner arrow moves the element's value in its mode's range; the field
// shows the mode's text of the new value.
bool StepValue(void* context, int delta, std::int64_t* value, char* text) {
  static_assert(kNotationTextMax >= kVarValueTextMax, "the field's text fits");
  auto* edit = static_cast<ElementEdit*>(context);
  if (!ElementEdit_Step(edit, delta)) return false;
  ElementEdit_FieldText(edit, text);
  *value = edit->value;
  return true;
}

void DecideOk(HWND dialog, const ElementDialog* d) {
  EnableWindow(Item(dialog, IDOK), !d->edit.invalid && !d->nameInvalid);
}

// The element's value text, written by the dialog itself: valid, so the
// field loses any red and OK follows the name alone.
void ShowValue(HWND dialog, ElementDialog* d, bool selectAll) {
  const std::string text = ElementEdit_FieldString(&d->edit);  // a String's whole text
  NumberField_ShowText(&d->value, d->edit.value, text.c_str(), selectAll);
  DecideOk(dialog, d);
}

// The controls the effective mode uses: the field with or without its
// spinner, or the pickers for a date, a time of day or both.
void ConfigureValue(HWND dialog, ElementDialog* d) {
  const ElementEditControls& c = d->edit.controls;
  if (c.spinner) NumberField_SetSpec(&d->value, ElementEdit_SpinnerSpec(&d->edit), c.spin.offset);
  ShowWindow(d->value.spin, c.spinner ? SW_SHOWNA : SW_HIDE);
  EnableWindow(d->value.spin, c.spinner);
  EnableWindow(d->value.edit, c.valueField);
  HWND date = Item(dialog, IDC_ELEMENT_DATE);
  HWND time = Item(dialog, IDC_ELEMENT_TIME);
  if (c.pickers) {
    SYSTEMTIME range[2] = {*AsSystemTime(&c.first), *AsSystemTime(&c.last)};
    d->filling = true;
    for (HWND picker : {date, time}) {
      SendMessageW(picker, DTM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(range));
      SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(AsSystemTime(&c.shown)));
    }
    d->filling = false;
  }
  EnableWindow(date, c.pickers && c.datePicker);
  EnableWindow(time, c.pickers && c.timePicker);
}

void FillModes(HWND dialog, const ElementDialog* d) {
  HWND modes = Item(dialog, IDC_ELEMENT_MODE);
  int list[8] = {};
  int count = 0;
  const int current = ElementEdit_Modes(&d->edit, list, &count);
  for (int i = 0; i < count; ++i)
    SendMessageW(modes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideText(list[i]).c_str()));
  SendMessageW(modes, CB_SETCURSEL, static_cast<WPARAM>(current), 0);
}

void Initialise(HWND dialog, ElementDialog* d) {
  FillModes(dialog, d);
  if (d->edit.withValue) {
    Dialog_PickerFormats(Item(dialog, IDC_ELEMENT_DATE), Item(dialog, IDC_ELEMENT_TIME));
    const ElementEditControls& c = d->edit.controls;
    NumberField_Attach(&d->value, dialog, IDC_ELEMENT_VALUE, IDC_ELEMENT_VALUE_SPIN, ElementEdit_SpinnerSpec(&d->edit),
                       d->edit.value, c.spinner ? c.spin.offset : 0);
    d->notation = {JudgeValue, StepValue, &d->edit};
    d->value.notation = &d->notation;
    ConfigureValue(dialog, d);
    ShowValue(dialog, d, false);
  }
  HWND name = Item(dialog, IDC_ELEMENT_NAME);
  SendMessageW(name, EM_LIMITTEXT, kVarNameSize - 1, 0);
  SetWindowTextCp(name, Var_ElementName(d->edit.var, d->edit.element));
  DecideOk(dialog, d);
}

void NameChanged(HWND dialog, ElementDialog* d, HWND name) {
  std::string text;
  const bool representable = GetWindowTextCp(name, &text);
  if (representable) ElementEdit_SetName(&d->edit, text.c_str());
  Dialog_MarkInvalid(name, &d->nameInvalid, !representable);
  DecideOk(dialog, d);
}

void ModeChosen(HWND dialog, ElementDialog* d) {
  const auto index = static_cast<int>(SendMessageW(Item(dialog, IDC_ELEMENT_MODE), CB_GETCURSEL, 0, 0));
  const bool reconfigured = ElementEdit_ChooseMode(&d->edit, index);
  if (!d->edit.withValue) return;
  if (reconfigured) ConfigureValue(dialog, d);
  ShowValue(dialog, d, false);
}

bool OnCommand(HWND dialog, ElementDialog* d, int id, int code, HWND control) {
  switch (id) {
    case IDC_ELEMENT_NAME:
      if (code == EN_SETFOCUS) Dialog_SelectAll(control);
      if (code == EN_CHANGE) NameChanged(dialog, d, control);
      return true;
    case IDC_ELEMENT_MODE:
      if (code == CBN_SELCHANGE) ModeChosen(dialog, d);
      return true;
    case IDOK:
      // Also for a command posted past the greyed button.
      if (!d->edit.invalid && !d->nameInvalid) EndDialog(dialog, 1);
      return true;
    case IDCANCEL: EndDialog(dialog, 0); return true;
    default: return false;
  }
}

// The pickers' changes (the value field and its spinner are the number
// field's).
bool OnNotify(HWND dialog, ElementDialog* d, const NMHDR* note) {
  if (!d->edit.withValue) return false;
  if (note->code != DTN_DATETIMECHANGE || d->filling) return false;
  const auto* change = reinterpret_cast<const NMDATETIMECHANGE*>(note);
  if (change->dwFlags != GDT_VALID) return true;
  // Each picker answers for its own half of the moment.
  const bool date = note->idFrom == IDC_ELEMENT_DATE;
  const CalendarRecord* picked = AsRecord(&change->st);
  if (ElementEdit_PickersChanged(&d->edit, date ? picked : nullptr, date ? nullptr : picked))
    ShowValue(dialog, d, false);
  return true;
}

INT_PTR CALLBACK ElementProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* d = Dialog_State<ElementDialog>(dialog, message, lParam);
  if (!d) return FALSE;
  if (d->edit.withValue && d->value.edit) {
    const FieldMessage m = NumberFields_Message(&d->value, 1, *d->host, dialog, message, wParam, lParam);
    if (m.handled) {
      if (m.changed >= 0) DecideOk(dialog, d);
      return m.result;
    }
  }
  switch (message) {
    case WM_INITDIALOG:
      Initialise(dialog, d);
      Dialog_Prepare(dialog, *d->host);
      return TRUE;
    case WM_COMMAND: return OnCommand(dialog, d, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY: return OnNotify(dialog, d, reinterpret_cast<const NMHDR*>(lParam));
    case WM_CTLCOLOREDIT:
      if (reinterpret_cast<HWND>(lParam) != Item(dialog, IDC_ELEMENT_NAME)) return FALSE;
      return reinterpret_cast<INT_PTR>(Dialog_FieldColours(*d->host, reinterpret_cast<HDC>(wParam), d->nameInvalid));
    default: return FALSE;
  }
}

}  // namespace

bool Dialog_EditElement(const DialogHost& host, Transfer list, int element, PlcVariable* var) {
  ElementDialog d{};
  d.host = &host;
  if (!ElementEdit_Open(&d.edit, var, element, list)) return false;
  const int templateId = list == Transfer::Write ? IDD_ELEMENT_VALUE : IDD_ELEMENT_NAME;
  const INT_PTR result = Dialog_Run(host, templateId, ElementProc, reinterpret_cast<LPARAM>(&d));
  return ElementEdit_Close(&d.edit, result == 1 ? DialogEnd::Ok : DialogEnd::Cancel) == 1;
}
