// The number field with its spinner that every dialog of the program uses
// for a number: the field holds its last valid value while the text may be
// anything the user typed; the spinner steps from that value within the
// range and writes the text itself, without taking its own change for the
// user's; an invalid text turns the field black on red.
//
// A dialog keeps one NumberField per field in its state and calls these from
// its procedure: Attach on WM_INITDIALOG, Changed on EN_CHANGE, Step on
// UDN_DELTAPOS, NumberField_Owns on WM_CTLCOLOREDIT, and Dialog_SelectAll
// (dialogbase.h) on EN_SETFOCUS. A field of another notation (the element
// editor's value in hex, binary, as a character...) judges its own texts and
// writes them itself: Changed with a judge, SetSpec and ShowText, never Set,
// SetRange or Step, which write decimal. The user-interface thread only.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "app/dialogrules.h"

struct NumberField {
  HWND edit;
  HWND spin;
  NumberSpec spec;
  // The spinner's position is value - offset: its 32-bit range is the
  // field's range moved down (2^31 for 0-4294967295, else 0).
  std::int64_t offset;
  std::int64_t value;  // the last valid value
  bool invalid;        // the text is not a number of the range
  bool writing;        // the field writes its own text: that change is not the user's
};

// Finds the field and its spinner in dialog, attaches the spinner (at the
// field's right edge), gives it the range, the steps and the value, and
// writes the value's text. The field starts valid.
void NumberField_Attach(NumberField* field, HWND dialog, int editId, int spinId, const NumberSpec& spec,
                        std::int64_t value, std::int64_t offset = 0);

// Writes value (clamped to the range) as the field's text and the spinner's
// position, and clears the invalid mark; for a dialog that changes a value
// or a range itself.
void NumberField_Set(NumberField* field, std::int64_t value);
// A new range; the value is clamped into it and written.
void NumberField_SetRange(NumberField* field, std::int64_t min, std::int64_t max);

// Judges a field's whole text (code page 1250; null when it holds a letter
// the code page lacks): true for a value, which goes to *value.
struct NumberJudge {
  bool (*judge)(void* context, const char* text, std::int64_t* value);
  void* context;
};

// After EN_CHANGE: reads the whole text; a number of the range (or what the
// judge takes) becomes the value and moves the spinner, anything else marks
// the field invalid (the value stays). The field is redrawn when its
// validity changes. False when the change was the field's own writing.
bool NumberField_Changed(NumberField* field, const NumberJudge* judge = nullptr);

// A field of another notation: the spinner's range, steps and offset for
// spec, without touching the text.
void NumberField_SetSpec(NumberField* field, const NumberSpec& spec, std::int64_t offset);
// The text the dialog writes for value itself (not taken for the user's):
// the spinner moves to the value, the invalid mark goes, and with selectAll
// the whole text is selected.
void NumberField_ShowText(NumberField* field, std::int64_t value, const char* text, bool selectAll);

// After UDN_DELTAPOS from the field's spinner: steps from the spinner's
// position, clamped, and writes the new value selected whole. The dialog
// returns TRUE for the notification (through DWLP_MSGRESULT), so that the
// spinner does not move itself as well. True when the value changed.
bool NumberField_Step(NumberField* field, const NMUPDOWN* note);

// Whether control is the field (for WM_CTLCOLOREDIT and the notifications).
inline bool NumberField_Owns(const NumberField* field, HWND control) { return field->edit == control; }
// Which of a dialog's count fields control is, as its text field or its
// spinner; -1 for none.
int NumberField_Find(const NumberField* fields, int count, HWND control);
