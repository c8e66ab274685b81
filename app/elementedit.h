// The element edit dialogs' portable half: one edit session on one element
// of a variable. The element changes in place while the dialog is open, so
// every valid edit shows at once; the session remembers the value bytes,
// the name and the display mode it found, puts all three back on Cancel and
// tells on OK whether any of them changed. Values are read by the value
// reader (Var_ReadValue) and stepped by its spinner (Var_GetSpinner,
// Var_SpinnerStep); the value field shows Var_FormatValue's bare form.
//
// Texts are code page 1250 bytes, as the window code's converter gives them:
// a "Char" typed as "ő" is the byte 0xF5, whatever the system's code page.
//
// Threads: the user-interface thread; the variable must not change meanwhile.
#pragma once

#include <cstdint>
#include <string>

#include "app/commands.h"     // Transfer: which list the element is edited for
#include "app/dialogrules.h"  // NumberSpec: the spinner as the number field takes it
#include "vars/vars.h"

// Which value controls apply to the element's effective display mode.
struct ElementEditControls {
  bool valueField;       // the value field is enabled
  bool spinner;          // the spinner is shown and attached to the value field
  VarSpinner spin;       // its range, offset and acceleration (when spinner)
  std::int32_t position; // its position for the current value
  bool pickers;          // the date and time pickers show the element
  bool datePicker;       // enabled: not for a time of day (4-byte element)
  bool timePicker;       // enabled: not for a date (2-byte element)
                         // Neither for a value beyond the pickers' range
                         // (valueField then: the field is the element's).
  CalendarRecord first;  // the pickers' range: 1990-01-01 00:00:00 up to
  CalendarRecord last;   //   2089-12-31 23:59:59 (Date&Time) or 2168-12-31 23:59:59;
                         //   1970-01-01 up to 2262-04-10 for DTL and LDT
  CalendarRecord shown;  // the element as a calendar record
};

struct ElementEdit {
  PlcVariable* var;
  int element;
  bool withValue;        // the write list's dialog, which edits the value too
  std::uint8_t savedValue[8];
  std::uint8_t* savedSlot; // a slot wider than 8 bytes (a text, a DTL): a runtime heap copy that Close frees
  std::uint8_t savedView;
  char savedName[kVarNameSize];
  std::int64_t value;    // the element's value as its mode reads it
  bool invalid;          // the value field's text is no valid value (OK disabled)
  ElementEditControls controls;
};

// Opens a session on an element for the list of that kind (the write list
// edits the value too): false, and nothing to edit, for an index outside the
// variable or a record without storage, or without memory for the copy of a
// wide slot. A String or WString is edited in the value field alone, a
// 64-bit value too (no spinner: the field is read whole); a DTL, LDT or LTOD
// has the pickers for date and time and the field for the digits below the
// second. A session that was opened must be closed (ElementEdit_Close).
bool ElementEdit_Open(ElementEdit* edit, PlcVariable* var, int element, Transfer list);

// The display-mode list: string ids 600-608 ("Default" first) of the modes
// the type offers; list needs 8 entries. Returns the place of the element's
// mode.
int ElementEdit_Modes(const ElementEdit* edit, int* list, int* count);
// A mode chosen from that list: stored in the element at once. Returns true
// when the controls were configured anew (a different mode, in the dialog
// with value); the value field then shows ElementEdit_FieldText.
bool ElementEdit_ChooseMode(ElementEdit* edit, int listIndex);

// The value field's text as the dialog writes it itself (Var_FormatValue,
// bare form); the field loses any invalid marking and OK is enabled again.
// text needs kVarValueTextMax bytes; returns the length.
int ElementEdit_FieldText(ElementEdit* edit, char* text);

// The same whole: a String's or WString's text may pass kVarValueTextMax.
std::string ElementEdit_FieldString(ElementEdit* edit);

// The value field's whole text after the user changed it: a valid value is
// stored in the element (and the spinner position follows it), an invalid
// one leaves the element at its last valid value. Returns VAR_VALUE_OK or
// the reader's code of the rule that refused the text (Var_ValueErrorText).
// A null text (one the window could not read in code page 1250) is refused.
int ElementEdit_Typed(ElementEdit* edit, const char* text);

// The spinner of controls.spin as a number field takes it: the value range
// (the field moves the control's 32-bit positions by spin.offset) and the
// steps; a spinner without acceleration steps by 1 however long it is held.
NumberSpec ElementEdit_SpinnerSpec(const ElementEdit* edit);

// A spinner arrow of delta (the step the control reports): the value moves
// from the spinner's position within the mode's range. false when it stays
// as it is; true when the element took the new value, and the value field
// is to show ElementEdit_FieldText, selected whole.
bool ElementEdit_Step(ElementEdit* edit, int delta);

// The pickers after either changed: the date from the date picker, the time
// of day from the time picker, milliseconds 0, become the element's value
// (null: the element's own date or time). false, with the element
// unchanged, for a moment outside the pickers' range.
bool ElementEdit_PickersChanged(ElementEdit* edit, const CalendarRecord* date, const CalendarRecord* time);

// The name field's text: the element's name, trimmed, at most 23 characters.
void ElementEdit_SetName(ElementEdit* edit, const char* text);

// Ends the session. OK: 1 when the value bytes, the name or the mode differ
// from what the session found, else 0. Cancel: all three put back, 0.
int ElementEdit_Close(ElementEdit* edit, DialogEnd end);
