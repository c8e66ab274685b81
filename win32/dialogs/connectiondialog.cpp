// The connection dialog: the PLC behind the open interface (IPv4 address or
// MPI/PROFIBUS station, rack, slot, reply time-out, a free name, and over
// TCP its family with the connection type or the TSAPs). It edits the
// caller's entry; what OK does with it is the caller's.
#include <windows.h>
#include <windowsx.h>

#include <initializer_list>
#include <string>

#include "win32/dialogs/dialogs.h"
#include "win32/toolkit/numberfield.h"
#include "win32/toolkit/wintext.h"
#include "res/resource.h"
#include "res/strings.h"
#include "vars/format.h"

namespace {

constexpr int kNameMax = sizeof(ConnectionEntry{}.name) - 1;

enum { kStation, kTimeout, kRack, kSlot, kFieldCount };

enum { kLocal, kRemote };
constexpr int kTsapIds[2] = {IDC_CONN_LOCAL_TSAP, IDC_CONN_REMOTE_TSAP};

struct ConnectionState {
  const DialogHost* host;
  ConnectionEntry entry;
  NumberField field[kFieldCount];
  int ipParts;        // how many parts the address field holds now
  bool nameInvalid;   // the field holds a letter code page 1250 lacks
  bool tsapInvalid[2];  // the field holds no 1-4 hex digits
};

void DecideOk(HWND dialog, ConnectionState* s) {
  ConnectionFields fields{};
  for (const NumberField& field : s->field) fields.numberInvalid = fields.numberInvalid || field.invalid;
  fields.nameInvalid = s->nameInvalid;
  fields.tcp = s->entry.tcp;
  fields.ipPartsFilled = s->ipParts;
  fields.ip = s->entry.ip;
  fields.typedTsaps = Plc_TypedTsaps(s->entry.family);
  fields.tsapInvalid = s->tsapInvalid[kLocal] || s->tsapInvalid[kRemote];
  EnableWindow(GetDlgItem(dialog, IDOK), Connection_CanConfirm(fields));
}

// The family decides what names the PLC: rack, slot and connection type, or
// the two TSAPs; over an access point none of them counts.
void EnableFamilyFields(HWND dialog, const ConnectionState* s) {
  const bool tcp = s->entry.tcp;
  const bool typed = Plc_TypedTsaps(s->entry.family);
  for (int id : {IDC_CONN_FAMILY_LABEL, IDC_CONN_FAMILY}) EnableWindow(GetDlgItem(dialog, id), tcp);
  for (int id : {IDC_CONN_TYPE_LABEL, IDC_CONN_TYPE}) EnableWindow(GetDlgItem(dialog, id), tcp && !typed);
  for (int id : {IDC_CONN_RACK_LABEL, IDC_CONN_RACK, IDC_CONN_RACK_SPIN, IDC_CONN_SLOT_LABEL, IDC_CONN_SLOT,
                 IDC_CONN_SLOT_SPIN})
    EnableWindow(GetDlgItem(dialog, id), !tcp || !typed);
  for (int id : {IDC_CONN_LOCAL_TSAP_LABEL, IDC_CONN_LOCAL_TSAP, IDC_CONN_REMOTE_TSAP_LABEL, IDC_CONN_REMOTE_TSAP})
    EnableWindow(GetDlgItem(dialog, id), tcp && typed);
}

int ConnType(const ConnectionEntry& e) { return e.connType >= 1 && e.connType <= 3 ? e.connType : 1; }

// The TSAPs the connection request will carry: the typed ones, or, greyed,
// those that type, rack and slot make, so that the user sees what is asked
// for rather than a value left from another family.
void ShowTsaps(HWND dialog, ConnectionState* s) {
  const ConnectionEntry& e = s->entry;
  S7Tsaps tsaps{e.localTsap, e.remoteTsap};
  if (!Plc_TypedTsaps(e.family))
    tsaps = S7_RackSlotTsaps(static_cast<S7ConnectionType>(ConnType(e)), static_cast<int>(s->field[kRack].value),
                             static_cast<int>(s->field[kSlot].value));
  const std::uint16_t shown[2] = {tsaps.local, tsaps.remote};
  for (int i : {kLocal, kRemote}) {
    char text[8];
    FormatTextN(text, sizeof text, "%04X", static_cast<unsigned>(shown[i]));
    SetWindowTextCp(GetDlgItem(dialog, kTsapIds[i]), text);
  }
}

// What the family fields show for the entry: its family, type and TSAPs.
void ShowFamily(HWND dialog, ConnectionState* s) {
  const ConnectionEntry& e = s->entry;
  ComboBox_SetCurSel(GetDlgItem(dialog, IDC_CONN_FAMILY), e.family);
  ComboBox_SetCurSel(GetDlgItem(dialog, IDC_CONN_TYPE), ConnType(e) - 1);
  ShowTsaps(dialog, s);
  EnableFamilyFields(dialog, s);
}

// A TSAP field's whole text: 1-4 hex digits replace the entry's TSAP; else
// the field turns red and the entry keeps its last valid one. The greyed
// fields of a rack/slot family only show what is derived, and count for
// nothing.
void ReadTsap(HWND dialog, ConnectionState* s, int which) {
  std::string text;
  HWND field = GetDlgItem(dialog, kTsapIds[which]);
  if (!Plc_TypedTsaps(s->entry.family)) {
    Dialog_MarkInvalid(field, &s->tsapInvalid[which], false);
    return;
  }
  std::uint16_t value = 0;
  const bool valid = GetWindowTextCp(field, &text) && Plc_ParseTsap(text.c_str(), &value);
  if (valid) (which == kLocal ? s->entry.localTsap : s->entry.remoteTsap) = value;
  Dialog_MarkInvalid(field, &s->tsapInvalid[which], !valid);
}

void ChooseFamily(HWND dialog, ConnectionState* s) {
  const int family = ComboBox_GetCurSel(GetDlgItem(dialog, IDC_CONN_FAMILY));
  if (family < 0 || family >= kS7FamilyCount || family == s->entry.family) return;
  Connection_SetFamily(&s->entry, family);
  NumberField_Set(&s->field[kRack], s->entry.rack);
  NumberField_Set(&s->field[kSlot], s->entry.slot);
  ShowFamily(dialog, s);
  for (int i : {kLocal, kRemote}) ReadTsap(dialog, s, i);
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
  HWND families = GetDlgItem(dialog, IDC_CONN_FAMILY);
  for (int f = 0; f < kS7FamilyCount; ++f) ComboBox_AddString(families, WideText(IDS_FAMILY_S7_300 + f).c_str());
  HWND types = GetDlgItem(dialog, IDC_CONN_TYPE);
  for (int t = 1; t <= 3; ++t) ComboBox_AddString(types, WideText(IDS_CONN_TYPE_PG + t - 1).c_str());
  for (int id : kTsapIds) SendDlgItemMessageW(dialog, id, EM_LIMITTEXT, 4, 0);
  if (s->entry.family < 0 || s->entry.family >= kS7FamilyCount) s->entry.family = 0;
  ShowFamily(dialog, s);
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
    case IDC_CONN_FAMILY:
      if (code == CBN_SELCHANGE) {
        ChooseFamily(dialog, s);
        DecideOk(dialog, s);
      }
      return true;
    case IDC_CONN_TYPE:
      if (code == CBN_SELCHANGE) {
        s->entry.connType = ComboBox_GetCurSel(control) + 1;
        ShowTsaps(dialog, s);
      }
      return true;
    case IDC_CONN_LOCAL_TSAP:
    case IDC_CONN_REMOTE_TSAP:
      if (code == EN_SETFOCUS) Dialog_SelectAll(control);
      if (code == EN_CHANGE) {
        ReadTsap(dialog, s, id == IDC_CONN_LOCAL_TSAP ? kLocal : kRemote);
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
    if (m.changed == kRack || m.changed == kSlot) ShowTsaps(dialog, s);
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
    case WM_CTLCOLOREDIT: {
      const HWND field = reinterpret_cast<HWND>(lParam);
      const HDC dc = reinterpret_cast<HDC>(wParam);
      if (field == GetDlgItem(dialog, IDC_CONN_NAME))
        return reinterpret_cast<INT_PTR>(Dialog_FieldColours(*s->host, dc, s->nameInvalid));
      for (int i : {kLocal, kRemote})
        if (field == GetDlgItem(dialog, kTsapIds[i]))
          return reinterpret_cast<INT_PTR>(Dialog_FieldColours(*s->host, dc, s->tsapInvalid[i]));
      return FALSE;
    }
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
