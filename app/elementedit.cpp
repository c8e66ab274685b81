// One edit session on one element: which value controls its mode uses, the
// value typed, stepped or picked going straight into the element, and on
// closing either the verdict "changed" or everything put back.
#include "app/elementedit.h"

#include <cstring>

#include "runtime/runtime.h"

namespace {

std::uint8_t* Slot(const ElementEdit* e) {
  return e->var->values + static_cast<std::size_t>(e->element) * static_cast<std::size_t>(e->var->slotSize);
}

std::size_t SlotBytes(const ElementEdit* e) { return static_cast<std::size_t>(e->var->slotSize); }

std::uint8_t* Saved(ElementEdit* e) { return e->savedSlot ? e->savedSlot : e->savedValue; }

char* Name(const ElementEdit* e) {
  return e->var->names + static_cast<std::size_t>(e->element) * kVarNameSize;
}

// An element whose slot lies within the value buffer, whatever the sizes say.
bool Live(const ElementEdit* e) {
  if (!e || !e->var || !e->var->values || e->element < 0 || e->element >= e->var->count) return false;
  return (static_cast<long long>(e->element) + 1) * e->var->slotSize <= e->var->bufferSize;
}

CalendarRecord Day(int year, int month, int day, int hour, int minute, int second) {
  CalendarRecord c = {static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month), 0,
                      static_cast<std::uint16_t>(day), static_cast<std::uint16_t>(hour),
                      static_cast<std::uint16_t>(minute), static_cast<std::uint16_t>(second), 0};
  Cal_DateFrom1990(Cal_DaysSince1990(&c), &c);  // the weekday
  return c;
}

// Dates and times in order: the date, then the time of day.
long long DateKey(const CalendarRecord& c) { return c.year * 10000LL + c.month * 100 + c.day; }
long long TimeKey(const CalendarRecord& c) { return c.hour * 10000LL + c.minute * 100 + c.second; }
int Compare(const CalendarRecord& a, const CalendarRecord& b, bool withTime) {
  long long x = DateKey(a), y = DateKey(b);
  if (x == y && withTime) x = TimeKey(a), y = TimeKey(b);
  return x < y ? -1 : x > y ? 1 : 0;
}

void ReadValue(ElementEdit* e) {
  Var_GetElement(e->element, e->var, &e->value, nullptr);
  if (e->controls.spinner) e->controls.position = Var_SpinnerPosition(&e->controls.spin, e->value);
}

// DTL, LDT and LTOD: nanoseconds, which the pickers show to the second.
bool NanoStamp(const ElementEdit* e) { return e->var->type >= kVarClassicTypeCount; }

// Their pickers compare like a Date&Time's: date and time of day.
bool WithTime(const ElementEdit* e) { return e->var->wireSize == 8 || NanoStamp(e); }

// A date the pickers cannot show: after their last day (a Date's two bytes
// reach into 2169). A time of day has no date to check.
bool BeyondPickers(const ElementEdit* e) {
  const ElementEditControls& c = e->controls;
  const int wire = e->var->wireSize;
  if (wire == 4 || e->var->type == S7_TYPE_LTOD) return false;
  return Compare(c.shown, c.first, WithTime(e)) < 0 || Compare(c.shown, c.last, WithTime(e)) > 0;
}

void Configure(ElementEdit* e) {
  ElementEditControls& c = e->controls;
  c = {};
  const int view = Var_EffectiveView(e->element, e->var);
  const int wire = e->var->wireSize;
  if (view == VAR_VIEW_DATE_TIME && NanoStamp(e)) {
    c.pickers = true;
    c.datePicker = e->var->type != S7_TYPE_LTOD;
    c.timePicker = true;
    c.valueField = true;  // the digits below the second
    // The last whole day that 64 bits of nanoseconds reach.
    c.first = Day(1970, 1, 1, 0, 0, 0);
    c.last = Day(2262, 4, 10, 23, 59, 59);
    Var_GetElement(e->element, e->var, nullptr, &c.shown);
    if (BeyondPickers(e)) c.datePicker = c.timePicker = false;
  } else if (view == VAR_VIEW_DATE_TIME) {
    c.pickers = true;
    c.datePicker = wire != 4;
    c.timePicker = wire != 2;
    c.first = Day(1990, 1, 1, 0, 0, 0);
    c.last = Day(e->var->type == S7_TYPE_DATETIME ? 2089 : 2168, 12, 31, 23, 59, 59);
    Var_GetElement(e->element, e->var, nullptr, &c.shown);
    if (BeyondPickers(e)) {
      // A picker would stay on some other date: the value field shows the
      // element and takes a new value instead.
      c.datePicker = c.timePicker = false;
      c.valueField = true;
    }
  } else {
    c.valueField = true;
    if (view >= VAR_VIEW_BIN && view <= VAR_VIEW_CHAR) {
      Var_GetSpinner(e->element, e->var, VAR_VIEW_DEFAULT, &c.spin);
      c.spinner = c.spin.used != 0;
    }
  }
  ReadValue(e);
}

}  // namespace

bool ElementEdit_Open(ElementEdit* edit, PlcVariable* var, int element, Transfer list) {
  if (!edit) return false;
  *edit = {};
  edit->var = var;
  edit->element = element;
  const bool withValue = list == Transfer::Write;
  edit->withValue = withValue;
  if (!Live(edit) || !var->views || !var->names || !Var_TypeInfo(var->type)) {
    edit->var = nullptr;
    return false;
  }
  if (SlotBytes(edit) > sizeof edit->savedValue) {
    edit->savedSlot = static_cast<std::uint8_t*>(Rt_Alloc(0, SlotBytes(edit)));
    if (!edit->savedSlot) {
      edit->var = nullptr;
      return false;
    }
  }
  std::memcpy(Saved(edit), Slot(edit), SlotBytes(edit));
  edit->savedView = var->views[element];
  std::memcpy(edit->savedName, Name(edit), kVarNameSize);
  if (withValue) Configure(edit);
  else ReadValue(edit);
  return true;
}

int ElementEdit_Modes(const ElementEdit* edit, int* list, int* count) {
  if (count) *count = 0;
  if (!edit || !Live(edit) || !list) return 0;
  return Var_ListViews(VarViewList::WithDefault, edit->element, edit->var, count, list);
}

bool ElementEdit_ChooseMode(ElementEdit* edit, int listIndex) {
  int list[8];
  int count = 0;
  ElementEdit_Modes(edit, list, &count);
  if (listIndex < 0 || listIndex >= count) return false;
  const auto view = static_cast<std::uint8_t>(list[listIndex] - IDS_VIEW_DEFAULT);
  const bool changed = edit->var->views[edit->element] != view;
  edit->var->views[edit->element] = view;
  if (!changed || !edit->withValue) {
    ReadValue(edit);
    return false;
  }
  Configure(edit);
  return true;
}

int ElementEdit_FieldText(ElementEdit* edit, char* text) {
  if (!text) return 0;
  text[0] = 0;
  if (!Live(edit)) return 0;
  edit->invalid = false;
  return Var_FormatValue({.bareCharacter = true}, edit->element, edit->var, text);
}

std::string ElementEdit_FieldString(ElementEdit* edit) {
  if (!Live(edit)) return {};
  edit->invalid = false;
  return Var_FormatValueString({.bareCharacter = true}, edit->element, edit->var);
}

int ElementEdit_Typed(ElementEdit* edit, const char* text) {
  if (!Live(edit)) return VAR_VALUE_NO_ELEMENT;
  // For a text, empty is a value: one the window could not read is not.
  if (!text && Var_IsTextType(edit->var->type)) {
    edit->invalid = true;
    return VAR_VALUE_ESCAPE;
  }
  const int rc = Var_EnterValue(edit->element, edit->var, text);
  edit->invalid = rc != VAR_VALUE_OK;
  if (rc == VAR_VALUE_OK) ReadValue(edit);
  return rc;
}

NumberSpec ElementEdit_SpinnerSpec(const ElementEdit* edit) {
  NumberSpec spec{0, 0, 1, {{0, 1}}};
  if (!edit || !edit->controls.spinner) return spec;
  const VarSpinner& spin = edit->controls.spin;
  spec.min = std::int64_t{spin.low} + spin.offset;
  spec.max = std::int64_t{spin.high} + spin.offset;
  const int count = spin.accelCount < 0 ? 0 : spin.accelCount > 3 ? 3 : spin.accelCount;
  if (count == 0) return spec;
  spec.stepCount = count;
  for (int i = 0; i < count; ++i) spec.steps[i] = {spin.accel[i].seconds, spin.accel[i].step};
  return spec;
}

bool ElementEdit_Step(ElementEdit* edit, int delta) {
  if (!Live(edit) || !edit->controls.spinner) return false;
  const VarSpinner& spin = edit->controls.spin;
  const std::int64_t next = Var_SpinnerStep(&spin, Var_SpinnerPosition(&spin, edit->value), delta);
  if (next == edit->value) return false;
  Var_PutElement(edit->element, edit->var, next, nullptr);
  ReadValue(edit);
  return true;
}

bool ElementEdit_PickersChanged(ElementEdit* edit, const CalendarRecord* date, const CalendarRecord* time) {
  if (!Live(edit) || !edit->controls.pickers) return false;
  const ElementEditControls& c = edit->controls;
  // Each picker answers for its own half: the date picker's time of day and
  // the time picker's date are whatever they were set up with.
  const CalendarRecord moment = Picked_Moment(c.shown, date, time);
  const int wire = edit->var->wireSize;
  const bool dated = wire != 4 && edit->var->type != S7_TYPE_LTOD;
  if (dated && (Compare(moment, c.first, WithTime(edit)) < 0 || Compare(moment, c.last, WithTime(edit)) > 0))
    return false;
  if (NanoStamp(edit)) {
    // The pickers set the second; the digits below it stay the element's.
    const std::int64_t below = (edit->value % 1000000000 + 1000000000) % 1000000000;
    CalendarRecord whole = moment;
    whole.milliseconds = 0;
    if (!Var_PutElement(edit->element, edit->var, 0, &whole)) return false;
    std::int64_t v = 0;
    Var_GetElement(edit->element, edit->var, &v, nullptr);
    Var_PutElement(edit->element, edit->var, v + below, nullptr);
  } else if (!Var_PutElement(edit->element, edit->var, 0, &moment)) {
    return false;
  }
  Var_GetElement(edit->element, edit->var, nullptr, &edit->controls.shown);
  ReadValue(edit);
  return true;
}

void ElementEdit_SetName(ElementEdit* edit, const char* text) {
  if (Live(edit)) Var_SetElementName(edit->var, edit->element, text);
}

int ElementEdit_Close(ElementEdit* edit, DialogEnd end) {
  if (!Live(edit)) return 0;
  const bool ok = end == DialogEnd::Ok;
  const bool differs = std::memcmp(Saved(edit), Slot(edit), SlotBytes(edit)) != 0 ||
                       edit->savedView != edit->var->views[edit->element] ||
                       std::strncmp(edit->savedName, Name(edit), kVarNameSize) != 0;
  if (!ok) {
    std::memcpy(Slot(edit), Saved(edit), SlotBytes(edit));
    edit->var->views[edit->element] = edit->savedView;
    std::memcpy(Name(edit), edit->savedName, kVarNameSize);
  }
  edit->var = nullptr;
  Rt_Free(edit->savedSlot);
  edit->savedSlot = nullptr;
  return ok && differs ? 1 : 0;
}
