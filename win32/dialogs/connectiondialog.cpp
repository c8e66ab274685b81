// The connection dialog: the PLC behind the open interface (IPv4 address or
// MPI/PROFIBUS station, rack, slot, reply time-out, a free name). It edits
// the caller's entry; what OK does with it is the caller's.
#include <initializer_list>
#include <string>

#include "win32/dialogs/dialogs.h"
#include "win32/toolkit/numberfield.h"
#include "win32/toolkit/wintext.h"
#include "res/resource.h"

namespace {

constexpr int kNameMax = sizeof(ConnectionEntry{}.name) - 1;

enum { kStation, kTimeout, kRack, kSlot, kFieldCount };

struct ConnectionState {
  const DialogHost* host;
  ConnectionEntry entry;
  NumberField field[kFieldCount];
  int ipParts;        // how many parts the address field holds now
  bool nameInvalid;   // the field holds a letter code page 1250 lacks
};

void DecideOk(HWND dialog, ConnectionState* s) {
  ConnectionFields fields{};
  for (const NumberField& field : s->field) fields.numberInvalid = fields.numberInvalid || field.invalid;
  fields.nameInvalid = s->nameInvalid;
  fields.tcp = s->entry.tcp;
  fields.ipPartsFilled = s->ipParts;
  fields.ip = s->entry.ip;
  EnableWindow(GetDlgItem(dialog, IDOK), Connection_CanConfirm(fields));
}

// Blank parts do not count as 0: only a whole address replaces the entry's.
void ReadIp(HWND dialog, ConnectionState* s) {
  DWORD host = 0;
  s->ipParts = static_cast<int>(
      SendDlgItemMessageW(dialog, IDC_CONN_IP, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&host)));
  if (s->ipParts == 4) s->entry.ip = Ipv4_FromHostOrder(host);
}

// The settings hold 23 characters: a longer text (pasted, or set by another
// program past the field's limit) is cut to them, never copied beyond.
void ReadName(HWND dialog, ConnectionState* s) {
  std::string text;
  const bool representable = GetWindowTextCp(GetDlgItem(dialog, IDC_CONN_NAME), &text);
  if (representable) TrimCopyN(s->entry.name, text.c_str(), sizeof s->entry.name, kTrimBoth);
  Dialog_MarkInvalid(GetDlgItem(dialog, IDC_CONN_NAME), &s->nameInvalid, !representable);
}

void Initialise(HWND dialog, ConnectionState* s) {
  const ConnectionEntry& e = s->entry;
  NumberField* f = s->field;
  NumberField_Attach(&f[kStation], dialog, IDC_CONN_STATION, IDC_CONN_STATION_SPIN, kStationSpec, e.station);
  NumberField_Attach(&f[kTimeout], dialog, IDC_CONN_TIMEOUT, IDC_CONN_TIMEOUT_SPIN, kTimeoutSpec, e.timeoutMs);
  NumberField_Attach(&f[kRack], dialog, IDC_CONN_RACK, IDC_CONN_RACK_SPIN, kRackSpec, e.rack);
  NumberField_Attach(&f[kSlot], dialog, IDC_CONN_SLOT, IDC_CONN_SLOT_SPIN, kSlotSpec, e.slot);
  s->ipParts = 4;
  SendDlgItemMessageW(dialog, IDC_CONN_IP, IPM_SETADDRESS, 0, static_cast<LPARAM>(Ipv4_ToHostOrder(e.ip)));
  HWND name = GetDlgItem(dialog, IDC_CONN_NAME);
  SendMessageW(name, EM_LIMITTEXT, kNameMax, 0);
  SetWindowTextCp(name, e.name);
  for (int id : {IDC_CONN_STATION_LABEL, IDC_CONN_STATION, IDC_CONN_STATION_SPIN})
    EnableWindow(GetDlgItem(dialog, id), !e.tcp);
  for (int id : {IDC_CONN_IP_LABEL, IDC_CONN_IP}) EnableWindow(GetDlgItem(dialog, id), e.tcp);
  DecideOk(dialog, s);
}

// The entry takes the number fields' last valid values.
void TakeFields(ConnectionState* s) {
  s->entry.station = static_cast<std::uint32_t>(s->field[kStation].value);
  s->entry.timeoutMs = static_cast<std::int32_t>(s->field[kTimeout].value);
  s->entry.rack = static_cast<std::int32_t>(s->field[kRack].value);
  s->entry.slot = static_cast<std::int32_t>(s->field[kSlot].value);
}

bool OnCommand(HWND dialog, ConnectionState* s, int id, int code, HWND control) {
  switch (id) {
    case IDC_CONN_IP:
      if (code == EN_CHANGE || code == EN_KILLFOCUS) {
        ReadIp(dialog, s);
        DecideOk(dialog, s);
      }
      return true;
    case IDC_CONN_NAME:
      if (code == EN_SETFOCUS) Dialog_SelectAll(control);
      if (code == EN_CHANGE) {
        ReadName(dialog, s);
        DecideOk(dialog, s);
      }
      return true;
    case IDOK:
      // A last look at the address: OK must not pass on a state that a
      // missed notification left behind.
      ReadIp(dialog, s);
      DecideOk(dialog, s);
      if (!IsWindowEnabled(GetDlgItem(dialog, IDOK))) return true;
      TakeFields(s);
      EndDialog(dialog, 1);
      return true;
    case IDCANCEL: EndDialog(dialog, 0); return true;
    default: return false;
  }
}

INT_PTR CALLBACK ConnectionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* s = Dialog_State<ConnectionState>(dialog, message, lParam);
  if (!s) return FALSE;
  if (const FieldMessage m = NumberFields_Message(s->field, kFieldCount, *s->host, dialog, message, wParam, lParam);
      m.handled) {
    if (m.changed >= 0) DecideOk(dialog, s);
    return m.result;
  }
  switch (message) {
    case WM_INITDIALOG:
      Initialise(dialog, s);
      Dialog_Prepare(dialog, *s->host);
      if (!s->entry.tcp) return TRUE;
      SetFocus(GetDlgItem(dialog, IDC_CONN_IP));
      return FALSE;
    case WM_COMMAND: return OnCommand(dialog, s, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CTLCOLOREDIT:
      if (reinterpret_cast<HWND>(lParam) != GetDlgItem(dialog, IDC_CONN_NAME)) return FALSE;
      return reinterpret_cast<INT_PTR>(Dialog_FieldColours(*s->host, reinterpret_cast<HDC>(wParam), s->nameInvalid));
    default: return FALSE;
  }
}

}  // namespace

bool Dialog_Connection(const DialogHost& host, ConnectionEntry* entry) {
  ConnectionState state{};
  state.host = &host;
  state.entry = *entry;
  if (Dialog_Run(host, IDD_CONNECTION, ConnectionProc, reinterpret_cast<LPARAM>(&state)) != 1) return false;
  *entry = state.entry;
  return true;
}
