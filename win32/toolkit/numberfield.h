// The number field with its spinner that every dialog of the program uses
// for a number: the field holds its last valid value while the text may be
// anything the user typed; the spinner steps from that value within the
// range and writes the text itself, without taking its own change for the
// user's; an invalid text turns the field black on red.
//
// A dialog keeps one NumberField per field in its state, attaches each on
// WM_INITDIALOG and gives every message to NumberFields_Message first, which
// handles the focus, the user's text, the spinner and the colours. A field of
// another notation (the element editor's value in hex, binary, as a
// character...) judges its own texts and steps and writes them itself
// through its NumberNotation; the dialog then uses SetSpec and ShowText,
// never Set or SetRange, which write decimal. The user-interface thread only.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "app/dialogrules.h"
#include "win32/toolkit/dialogbase.h"

// A field's own notation: judge takes the field's whole text (code page
// 1250; null when it holds a letter the code page lacks) and gives its value
// (true) or refuses it; step moves the value by a spinner's delta and, when
// it changed (true), gives the new value and the text to show (text holds
// kNotationTextMax bytes).
inline constexpr int kNotationTextMax = 256;
struct NumberNotation {
  bool (*judge)(void* context, const char* text, std::int64_t* value);
  bool (*step)(void* context, int delta, std::int64_t* value, char* text);
  void* context;
};

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
  const NumberNotation* notation;  // null: decimal numbers of the range
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

// Marks the field invalid or valid as the dialog's own rules say (a count
// without room, say), redrawing it when that changes.
void NumberField_MarkInvalid(NumberField* field, bool invalid);

// A field of another notation: the spinner's range, steps and offset for
// spec, without touching the text.
void NumberField_SetSpec(NumberField* field, const NumberSpec& spec, std::int64_t offset);
// The text the dialog writes for value itself (not taken for the user's):
// the spinner moves to the value, the invalid mark goes, and with selectAll
// the whole text is selected.
void NumberField_ShowText(NumberField* field, std::int64_t value, const char* text, bool selectAll);

// Which of a dialog's count fields control is, as its text field or its
// spinner; -1 for none.
int NumberField_Find(const NumberField* fields, int count, HWND control);

// A message of a dialog with count number fields, seen by them first:
//   EN_SETFOCUS selects the field's whole text;
//   EN_CHANGE reads the whole text: a number of the range (or what the
//     notation takes) becomes the value and moves the spinner, anything else
//     marks the field invalid (the value stays); the field's own writing is
//     not the user's change;
//   UDN_DELTAPOS steps from the spinner's position (or by the notation),
//     clamped, writes the new value selected whole, and answers TRUE so that
//     the spinner does not move itself as well;
//   WM_CTLCOLOREDIT / WM_CTLCOLORSTATIC (a disabled field) draw an invalid
//     field black on the host's red.
// handled when the message was a field's: the dialog procedure then returns
// result; changed is the index of the field whose value or validity changed
// (-1: none), for the dialog to judge its OK button again.
struct FieldMessage {
  bool handled;
  int changed;
  INT_PTR result;
};
FieldMessage NumberFields_Message(NumberField* fields, int count, const DialogHost& host, HWND dialog, UINT message,
                                  WPARAM wParam, LPARAM lParam);
