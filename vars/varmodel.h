// The variable record, its elements and display modes, the definition the
// variable dialog sets, and the table of up to 20 variables. A record or a
// table serves one thread at a time; who owns a block is said below.
#pragma once

#include <cstdint>

#include "s7lib/s7lib.h"   // CalendarRecord, S7Connection, the type and area codes

// ================================================================ variable model
//
// A variable is a run of elements of one type at one place in one memory area
// of the PLC. Its record owns one zero-filled block: the value slots, a copy
// of them as the read window last showed them, a display-mode byte and a
// 24-byte name per element. The table holds at most kVarTableSize
// variables, in use from index 0 upwards; free entries are all zero.
//
// The block comes from the runtime heap and belongs to the record: a copy of
// a record shares it, so exactly one copy frees it (Var_FreeBlock,
// VarTable_Clear, VarTable_Remove; VarTable_TakeOut hands it to the caller,
// VarTable_Insert to the table). Var_ElementName points into the block;
// Var_TypeName and Var_AreaName give string-table texts, Var_TypeInfo a
// constant row: none of them is the caller's to free.

// Data types (the library's S7_TYPE_… codes), memory areas (S7_AREA_…) and
// display modes ("views"; the display name of view v is string 600 + v).
enum : int {
  VAR_VIEW_DEFAULT = 0,   // the type's own view
  VAR_VIEW_BIN = 1,
  VAR_VIEW_HEX = 2,
  VAR_VIEW_DEC_SIGNED = 3,
  VAR_VIEW_DEC = 4,
  VAR_VIEW_CHAR = 5,
  VAR_VIEW_REAL = 6,
  VAR_VIEW_TIME = 7,
  VAR_VIEW_DATE_TIME = 8,
};
// Codes 0-15 are the S7-300's types; from 16 on the newer ones (USInt …
// LDT), which the library sends as byte strings.
inline constexpr int kVarTypeCount = 30;
inline constexpr int kVarClassicTypeCount = 16;
inline constexpr int kVarAreaCount = 6;
inline constexpr int kVarViewCount = 9;
// The most variables a table holds. The planner reads any number; beyond
// this many a table is no longer one machine's view: at PDU 240 a thousand
// scattered words take some 55 requests, about a second on a CPU that answers
// in 20 ms, the read window's default interval. The records cost 64 bytes
// each, wherever a table is kept.
inline constexpr int kVarTableSize = 1000;
inline constexpr int kVarNameSize = 24;          // 23 characters and the terminating zero
// The most elements a definition names; Var_MaxCount narrows it by type.
inline constexpr int kVarDefinitionCountMax = 65535;
// The most bytes one variable takes in the PLC.
inline constexpr int kVarBytesMax = 65535;
// The most elements Var_Init stores; more would overflow the sizes.
inline constexpr int kVarCountLimit = 65535;

// Area letters by area code and size letters by size index (bit, 1, 2, 4,
// 8 bytes), as addresses write them.
inline constexpr char kVarAreaLetters[] = "EAMDTZ";
inline constexpr char kVarSizeLetters[] = "XBWDQ";

struct VarTypeInfo {
  int wireSize;     // bytes per element in the PLC; 0: from the text's maximum (String, WString)
  int slotSize;     // bytes per element in the value buffer; 0 as wireSize
  int defaultView;  // what VAR_VIEW_DEFAULT stands for
  int sizeIndex;    // the address's size letter in kVarSizeLetters
  unsigned views;   // the views offered, bit v for view v; 0: the classic types' rules
};
// The type's row, or null for a code outside 0-(kVarTypeCount − 1).
const VarTypeInfo* Var_TypeInfo(int type);
// The most elements a variable of the type may have: kVarBytesMax bytes in
// the PLC (a run of bits in whole bytes, at most kVarCountLimit bits; a
// String or WString of its longest); 0 for a bad code.
int Var_MaxCount(int type);

// String[n] and WString[n]: n is the most characters the PLC keeps (its
// maximum-length field); a text of n characters takes n + 2 bytes (String,
// code page 1250 bytes) or 2n + 4 (WString, UTF-16 units). Their slots hold
// the wire bytes as they stand, header and all.
inline constexpr int kVarStringMax = 254;
inline constexpr int kVarWStringMax = 16382;
inline constexpr int kVarTextMaxDefault = 254;
// 1 for String and WString.
int Var_IsTextType(int type);
// The most characters a text type allows (0 for another type); its wire bytes
// for a maximum of n (0 when n is out of range or the type no text type).
int Var_TextMaxLimit(int type);
int Var_TextWireSize(int type, int textMax);
// Type and area display names (string table), or null for a bad code.
const char* Var_TypeName(int type);
const char* Var_AreaName(int area);

struct PlcVariable {
  std::int32_t type;        // S7_TYPE_…
  std::int32_t area;        // S7_AREA_…
  std::int32_t dbNumber;    // 1-32767 in area DB, else 0
  std::int32_t start;       // byte address; timer or counter number for Timer and Counter
  std::int32_t bit;         // bit of the first element (Bit only)
  std::int32_t count;       // elements
  std::int32_t wireSize;    // from the type
  std::int32_t slotSize;    // from the type
  std::int32_t bufferSize;  // slotSize × count, one more for Char (a terminated text)
  std::int32_t textMax;     // String[n] and WString[n]: n (0 for any other type)
  std::uint8_t* values;     // the block: values, then the last-shown copy,
  std::uint8_t* views;      //   count view bytes (0 = the type's default),
  char* names;              //   count names of kVarNameSize bytes
};

// The count the library takes for the variable: its elements, or its bytes
// for String and WString (the library counts those in bytes). Any thread.
int Var_WireCount(const PlcVariable* var);

struct VariableTable {
  std::int32_t count;
  PlcVariable vars[kVarTableSize];
};

// Sets the derived fields without allocating. reset zeroes the record first
// (a block it held is not freed: free it before). A String or WString takes
// its maximum from textMax (kVarTextMaxDefault when it is out of range; set
// it after a reset and call again with −1s). type, area and count are
// stored when they are valid (0-15, 0-5, 1-kVarCountLimit); −1 or 0 keeps the
// record's own. The DB number becomes 1 in area DB when it is 0, and 0 in any
// other area.
void Var_Init(int reset, int type, int area, int count, PlcVariable* var);

// Allocates the zero-filled block for the record's sizes and sets the three
// pointers (a count of 0 still gets a block). 1 on success; 0 when it cannot
// be allocated, leaving the pointers empty. Var_FreeBlock releases it and
// empties the pointers; a record without a block is left alone.
int Var_AllocBlock(PlcVariable* var);
void Var_FreeBlock(PlcVariable* var);
// The read window's copy of the values as it last showed them.
std::uint8_t* Var_ShownValues(const PlcVariable* var);

int Var_DefaultView(const PlcVariable* var);
// 1 when the type offers the view (VAR_VIEW_BIN … VAR_VIEW_DATE_TIME).
int Var_AdmitsView(int type, int view);
// The view an element is shown in: its view byte, or the type's default when
// the byte is 0 or names a view the type does not offer.
int Var_EffectiveView(int elementIndex, const PlcVariable* var);

// Fills list with the string ids (600-608) of the views the type offers, in
// id order, "Default" first as asked, followed by a 0 entry (a menu
// separator) with WithDefaultAndGap. list needs 8 entries. Returns the
// position of the element's current view byte in the list, 0 when absent.
enum class VarViewList { Views, WithDefault, WithDefaultAndGap };
int Var_ListViews(VarViewList form, int elementIndex, const PlcVariable* var, int* count, int* list);

// Reads one element slot. Dec+/- and Time read it signed, the other views
// unsigned (Var_EffectiveView). With a calendar: a 2-byte element gives the
// date that many days after 1990-01-01 (time fields 0), a 4-byte element the
// current local date with its own time of day (00:00:00.000 from 86,400,000
// ms on), Date&Time its decoded 8 bytes. Returns 1, or 0 (value 0) for an
// index outside the variable or a record without a block.
int Var_GetElement(int elementIndex, const PlcVariable* var, std::int64_t* value,
                   CalendarRecord* calendar);

// Writes one element slot from value, or from the calendar when one is given
// (a day count from 1990-01-01, a time of day in ms, or the 8 DATE_AND_TIME
// bytes with the weekday taken from the date). Narrow elements keep the low
// bytes and zero the rest of a 4-byte slot; S5Time and Timer slots take 32
// bits. Returns 1, or 0 with the slot untouched for a bad index, no block, a
// calendar record that is no valid date and time, or a 1-byte element given
// a calendar.
int Var_PutElement(int elementIndex, PlcVariable* var, std::int64_t value, const CalendarRecord* calendar);

// The element's name (empty when it has none, never null), and setting it
// from a text cut to 23 characters with blanks and tabs trimmed.
const char* Var_ElementName(const PlcVariable* var, int elementIndex);
void Var_SetElementName(PlcVariable* var, int elementIndex, const char* text);

// ---------------------------------------------------------------- element storage and definitions

// Gives the variable a new block for newCount elements (1-kVarCountLimit) of
// its type: values, last-shown copy, views and names each keep their first
// min(old, new) elements, the others start zero. 1 on success, the old block
// freed; 0 when the count is refused or no block can be had, and the record
// is then unchanged. A record without a block gets an empty one.
int Var_Resize(PlcVariable* var, int newCount);

// What the variable definition dialog sets: the fields of the record that
// say where its elements are.
inline constexpr int kVarDbNumberMax = 32767;
inline constexpr int kVarAddressMax = 32767;
struct VarDefinition {
  int type;
  int area;
  int dbNumber;   // raised from 0 to 1 in area DB, made 0 in any other area
  int start;
  int bit;
  int count;
  int textMax = 0;  // String[n] and WString[n]: n; 0 for any other type
};
void Var_GetDefinition(const PlcVariable* var, VarDefinition* definition);

// Which record a definition is applied to: one of the table, or a new one
// (an empty record, or one whose content belongs elsewhere).
enum class VarRecord { Existing, New };

// Applies a definition to a record. A new record gets fresh storage
// (its earlier content is not freed). For an existing one: a new type starts
// every element afresh (value 0, view Default, no name); a new count alone
// keeps the first min(old, new) elements; otherwise the storage is
// untouched. Fresh Date&Time elements hold 1990-01-01 00:00:00.000. A
// definition the library could never take (a count outside 1-Var_MaxCount, a bit on
// a type other than Bit, a bit run not from bit 0 in whole bytes, a field
// out of range) or a block that cannot be had is refused with the record
// unchanged.
enum : int {
  VAR_DEFINITION_REFUSED = -1,
  VAR_DEFINITION_SAME = 0,       // an existing record's definition, unchanged
  VAR_DEFINITION_CHANGED = 1,    // a new record, or one whose definition changed
};
int Var_ApplyDefinition(PlcVariable* var, const VarDefinition* definition, VarRecord record);

// ---------------------------------------------------------------- the table

// The entries in use, 0-kVarTableSize whatever the count field says.
int VarTable_Count(const VariableTable* table);
// Frees every block and empties the table.
void VarTable_Clear(VariableTable* table);
// Frees the block of entry index and closes the gap; the last entry becomes
// zero. Nothing happens for an index outside the entries in use.
void VarTable_Remove(VariableTable* table, int index);
// Takes entry index out of the table into *out, block and all (the caller
// now owns it), and closes the gap. 1, or 0 for an index outside the entries
// in use.
int VarTable_TakeOut(VariableTable* table, int index, PlcVariable* out);
// Puts the variable (its block goes to the table) before entry index; an
// index outside 0..count appends. Returns where it went, or −1 when the
// table is full and the caller still owns the block.
int VarTable_Insert(VariableTable* table, int index, const PlcVariable* var);

// Opens a read (write = 0) or write request (write = 1) on the connection and
// adds every variable of the table. A variable the library refuses is logged
// (Vars_Log) as "<definition> : <error text>. Deleted", freed and taken
// out of the table. Returns the library's result for opening the request (0
// when it is open; nothing was added otherwise). Call it on the thread that
// uses the connection. A read request keeps pointers to the variables'
// blocks and fills them on every run: free or remove no variable until the
// next request is opened.
int VarTable_PrepareRequest(VariableTable* table, S7Connection* conn, int write);

// For a table larger than one request, which the planner (vars/varplan.h)
// reads and writes: drops the variables no request could carry
// (VarPlan_Refusal), each logged as VarTable_PrepareRequest logs it, and
// returns how many went. Any thread that owns the table.
int VarTable_DropRefused(VariableTable* table);
