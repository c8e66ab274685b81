// The shared number field: the text is the user's until it is a number of
// the range; the spinner moves only to valid values and never writes the
// text itself (no UDS_SETBUDDYINT), so the field decides what is shown.
#include "win32/toolkit/numberfield.h"

#include <string>

#include "win32/toolkit/wintext.h"

namespace {

// The spinner's 32-bit position of a value; the range and the offset keep it
// within 32 bits, the clamp guards a caller that did not.
int Position(const NumberField* field, std::int64_t value) {
  const std::int64_t position = value - field->offset;
  if (position < INT32_MIN) return INT32_MIN;
  if (position > INT32_MAX) return INT32_MAX;
  return static_cast<int>(position);
}

void MoveSpinner(const NumberField* field) {
  SendMessageW(field->spin, UDM_SETPOS32, 0, Position(field, field->value));
}

void WriteText(NumberField* field, const std::wstring& text) {
  field->writing = true;
  SetWindowTextW(field->edit, text.c_str());
  field->writing = false;
}

void MarkInvalid(NumberField* field, bool invalid) { Dialog_MarkInvalid(field->edit, &field->invalid, invalid); }

std::int64_t Clamped(const NumberField* field, std::int64_t value) {
  return value < field->spec.min ? field->spec.min : value > field->spec.max ? field->spec.max : value;
}

void SetSteps(const NumberField* field) {
  const NumberSpec& spec = field->spec;
  UDACCEL accel[3] = {};
  const int count = spec.stepCount < 0 ? 0 : spec.stepCount > 3 ? 3 : spec.stepCount;
  for (int i = 0; i < count; ++i) {
    accel[i].nSec = static_cast<UINT>(spec.steps[i].seconds);
    accel[i].nInc = static_cast<UINT>(spec.steps[i].step);
  }
  if (count > 0) SendMessageW(field->spin, UDM_SETACCEL, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(accel));
}

void SendRange(const NumberField* field) {
  SendMessageW(field->spin, UDM_SETRANGE32, static_cast<WPARAM>(Position(field, field->spec.min)),
               Position(field, field->spec.max));
}

}  // namespace

void NumberField_Attach(NumberField* field, HWND dialog, int editId, int spinId, const NumberSpec& spec,
                        std::int64_t value, std::int64_t offset) {
  field->edit = GetDlgItem(dialog, editId);
  field->spin = GetDlgItem(dialog, spinId);
  field->spec = spec;
  field->offset = offset;
  field->invalid = false;
  field->writing = false;
  field->notation = nullptr;
  SendMessageW(field->spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(field->edit), 0);
  SetSteps(field);
  NumberField_SetRange(field, spec.min, spec.max);
  NumberField_Set(field, value);
}

void NumberField_Set(NumberField* field, std::int64_t value) {
  field->value = Clamped(field, value);
  MoveSpinner(field);
  WriteText(field, std::to_wstring(field->value));
  MarkInvalid(field, false);
}

void NumberField_SetRange(NumberField* field, std::int64_t min, std::int64_t max) {
  field->spec.min = min;
  field->spec.max = max;
  SendRange(field);
  NumberField_Set(field, field->value);
}

void NumberField_MarkInvalid(NumberField* field, bool invalid) { MarkInvalid(field, invalid); }

int NumberField_Find(const NumberField* fields, int count, HWND control) {
  for (int i = 0; control && i < count; ++i)
    if (fields[i].edit == control || fields[i].spin == control) return i;
  return -1;
}

namespace {

// After EN_CHANGE. False when the change was the field's own writing.
bool Changed(NumberField* field) {
  if (field->writing) return false;
  // The whole text, however long: a text cut to a buffer could read as a
  // number that the field does not hold.
  std::string text;
  std::int64_t value = 0;
  const bool representable = GetWindowTextCp(field->edit, &text);
  const NumberNotation* notation = field->notation;
  const bool valid = notation ? notation->judge(notation->context, representable ? text.c_str() : nullptr, &value)
                              : representable &&
                                    Number_Read(text.data(), text.size(), field->spec.min, field->spec.max, &value);
  if (valid) {
    field->value = value;
    MoveSpinner(field);
  }
  MarkInvalid(field, !valid);
  return true;
}

// After UDN_DELTAPOS. True when the value changed.
bool Step(NumberField* field, const NMUPDOWN* note) {
  if (const NumberNotation* notation = field->notation) {
    char text[kNotationTextMax] = "";
    std::int64_t value = field->value;
    if (!notation->step || !notation->step(notation->context, note->iDelta, &value, text)) return false;
    NumberField_ShowText(field, value, text, true);
    return true;
  }
  const std::int64_t position = static_cast<std::int64_t>(note->iPos) + field->offset;
  const std::int64_t next = Number_Step(position, note->iDelta, field->spec.min, field->spec.max);
  if (next == position) return false;
  field->value = next;
  MoveSpinner(field);
  WriteText(field, std::to_wstring(field->value));
  Dialog_SelectAll(field->edit);
  MarkInvalid(field, false);
  return true;
}

}  // namespace

FieldMessage NumberFields_Message(NumberField* fields, int count, const DialogHost& host, HWND dialog, UINT message,
                                  WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const auto control = reinterpret_cast<HWND>(lParam);
      const int i = NumberField_Find(fields, count, control);
      if (i < 0 || control != fields[i].edit) return {false, -1, FALSE};
      if (HIWORD(wParam) == EN_SETFOCUS) Dialog_SelectAll(control);
      const bool changed = HIWORD(wParam) == EN_CHANGE && Changed(&fields[i]);
      return {true, changed ? i : -1, TRUE};
    }
    case WM_NOTIFY: {
      const auto* note = reinterpret_cast<const NMHDR*>(lParam);
      if (note->code != UDN_DELTAPOS) return {false, -1, FALSE};
      const int i = NumberField_Find(fields, count, note->hwndFrom);
      if (i < 0 || note->hwndFrom != fields[i].spin) return {false, -1, FALSE};
      const bool changed = Step(&fields[i], reinterpret_cast<const NMUPDOWN*>(lParam));
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);  // the field has moved the spinner itself
      return {true, changed ? i : -1, TRUE};
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
      const auto control = reinterpret_cast<HWND>(lParam);
      const int i = NumberField_Find(fields, count, control);
      if (i < 0 || control != fields[i].edit) return {false, -1, FALSE};
      HBRUSH brush = Dialog_FieldColours(host, reinterpret_cast<HDC>(wParam), fields[i].invalid);
      return {true, -1, reinterpret_cast<INT_PTR>(brush)};
    }
    default: return {false, -1, FALSE};
  }
}

void NumberField_SetSpec(NumberField* field, const NumberSpec& spec, std::int64_t offset) {
  field->spec = spec;
  field->offset = offset;
  SetSteps(field);
  SendRange(field);
  MoveSpinner(field);
}

void NumberField_ShowText(NumberField* field, std::int64_t value, const char* text, bool selectAll) {
  field->value = value;
  MoveSpinner(field);
  WriteText(field, Wide(text));
  if (selectAll) Dialog_SelectAll(field->edit);
  MarkInvalid(field, false);
}
