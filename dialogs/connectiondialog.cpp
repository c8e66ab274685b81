// The connection dialog: the PLC behind the open interface (IPv4 address or
// MPI/PROFIBUS station, rack, slot, reply time-out, a free name). It works on
// a copy; OK writes the copy into the PLC settings and creates the
// connection, closing the old one first when it modifies.
#include <initializer_list>
#include <string>

#include "app/commands.h"
#include "app/dialogrules.h"
#include "app/win32/wintext.h"
#include "dialogs/dialogbase.h"
#include "dialogs/dialogs.h"
#include "dialogs/numberfield.h"
#include "res/resource.h"

namespace {

// What outlives the dialog: the address of the kind not in use keeps its
// last value for the next switch.
std::int64_t g_station = kDefaultStationAddress;
std::uint32_t g_ip = Plc_DefaultIpAddress();

constexpr int kNameMax = sizeof(PlcSettings{}.name) - 1;

enum { kStation, kTimeout, kRack, kSlot, kFieldCount };

struct ConnectionState {
  bool tcp;
  NumberField field[kFieldCount];
  std::uint32_t ip;   // network byte order; the last address with all four parts
  int ipParts;        // how many parts the field holds now
  char name[sizeof(PlcSettings{}.name)];
  bool nameInvalid;   // the field holds a letter code page 1250 lacks
};

void DecideOk(HWND dialog, ConnectionState* s) {
  ConnectionFields fields{};
  for (const NumberField& field : s->field) fields.numberInvalid = fields.numberInvalid || field.invalid;
  fields.nameInvalid = s->nameInvalid;
  fields.tcp = s->tcp;
  fields.ipPartsFilled = s->ipParts;
  fields.ip = s->ip;
  EnableWindow(GetDlgItem(dialog, IDOK), Connection_CanConfirm(fields));
}

// Blank parts do not count as 0: only a whole address replaces the copy.
void ReadIp(HWND dialog, ConnectionState* s) {
  DWORD host = 0;
  s->ipParts = static_cast<int>(
      SendDlgItemMessageW(dialog, IDC_CONN_IP, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&host)));
  if (s->ipParts == 4) s->ip = Ipv4_FromHostOrder(host);
}

// The settings hold 23 characters: a longer text (pasted, or set by another
// program past the field's limit) is cut to them, never copied beyond.
void ReadName(HWND dialog, ConnectionState* s) {
  std::string text;
  const bool representable = GetWindowTextCp(GetDlgItem(dialog, IDC_CONN_NAME), &text);
  if (representable) TrimCopyN(s->name, text.c_str(), sizeof s->name, kTrimBoth);
  Dialog_MarkInvalid(GetDlgItem(dialog, IDC_CONN_NAME), &s->nameInvalid, !representable);
}

void Initialise(HWND dialog, ConnectionState* s) {
  const PlcSettings& plc = TheAppState()->plc;
  NumberField* f = s->field;
  NumberField_Attach(&f[kStation], dialog, IDC_CONN_STATION, IDC_CONN_STATION_SPIN, kStationSpec, g_station);
  NumberField_Attach(&f[kTimeout], dialog, IDC_CONN_TIMEOUT, IDC_CONN_TIMEOUT_SPIN, kTimeoutSpec, plc.timeoutMs);
  NumberField_Attach(&f[kRack], dialog, IDC_CONN_RACK, IDC_CONN_RACK_SPIN, kRackSpec, plc.rack);
  NumberField_Attach(&f[kSlot], dialog, IDC_CONN_SLOT, IDC_CONN_SLOT_SPIN, kSlotSpec, plc.slot);
  s->ip = g_ip;
  s->ipParts = 4;
  SendDlgItemMessageW(dialog, IDC_CONN_IP, IPM_SETADDRESS, 0, static_cast<LPARAM>(Ipv4_ToHostOrder(s->ip)));
  HWND name = GetDlgItem(dialog, IDC_CONN_NAME);
  SendMessageW(name, EM_LIMITTEXT, kNameMax, 0);
  SetWindowTextCp(name, s->name);
  for (int id : {IDC_CONN_STATION_LABEL, IDC_CONN_STATION, IDC_CONN_STATION_SPIN})
    EnableWindow(GetDlgItem(dialog, id), !s->tcp);
  for (int id : {IDC_CONN_IP_LABEL, IDC_CONN_IP}) EnableWindow(GetDlgItem(dialog, id), s->tcp);
  DecideOk(dialog, s);
}

bool OnCommand(HWND dialog, ConnectionState* s, int id, int code, HWND control) {
  if (const int i = NumberField_Find(s->field, kFieldCount, control); i >= 0) {
    if (code == EN_SETFOCUS) Dialog_SelectAll(control);
    if (code == EN_CHANGE && NumberField_Changed(&s->field[i])) DecideOk(dialog, s);
    return true;
  }
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
      if (IsWindowEnabled(GetDlgItem(dialog, IDOK))) EndDialog(dialog, 1);
      return true;
    case IDCANCEL: EndDialog(dialog, 0); return true;
    default: return false;
  }
}

INT_PTR CALLBACK ConnectionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* s = Dialog_State<ConnectionState>(dialog, message, lParam);
  switch (message) {
    case WM_INITDIALOG:
      Initialise(dialog, s);
      Dialog_Prepare(dialog);
      if (!s->tcp) return TRUE;
      SetFocus(GetDlgItem(dialog, IDC_CONN_IP));
      return FALSE;
    case WM_COMMAND:
      return s && OnCommand(dialog, s, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY: {
      const auto* note = reinterpret_cast<const NMHDR*>(lParam);
      if (!s || note->code != UDN_DELTAPOS) return FALSE;
      const int i = NumberField_Find(s->field, kFieldCount, note->hwndFrom);
      if (i < 0) return FALSE;
      if (NumberField_Step(&s->field[i], reinterpret_cast<const NMUPDOWN*>(lParam))) DecideOk(dialog, s);
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);  // the field has moved the spinner itself
      return TRUE;
    }
    case WM_CTLCOLOREDIT: {
      if (!s) return FALSE;
      const auto control = reinterpret_cast<HWND>(lParam);
      const int i = NumberField_Find(s->field, kFieldCount, control);
      const bool invalid =
          i >= 0 ? s->field[i].invalid : control == GetDlgItem(dialog, IDC_CONN_NAME) && s->nameInvalid;
      return reinterpret_cast<INT_PTR>(Dialog_FieldColours(reinterpret_cast<HDC>(wParam), invalid));
    }
    default: return FALSE;
  }
}

}  // namespace

int Dialog_Connection(HWND owner, bool modify) {
  AppState* app = TheAppState();
  PlcSettings& plc = app->plc;
  ConnectionState state{};
  state.tcp = S7_GetInterfaceKind(app->iface) == static_cast<int>(S7_KIND_TCP);
  if (state.tcp)
    g_ip = plc.address;
  else
    g_station = plc.address;
  TrimCopyN(state.name, plc.name, sizeof state.name, 0);
  const INT_PTR result = Dialog_Run(owner, IDD_CONNECTION, ConnectionProc, reinterpret_cast<LPARAM>(&state));
  if (result != 1) return 0;
  g_station = state.field[kStation].value;
  g_ip = state.ip;
  TrimCopyN(plc.name, state.name, sizeof plc.name, 0);
  plc.timeoutMs = static_cast<std::int32_t>(state.field[kTimeout].value);
  plc.rack = static_cast<std::int32_t>(state.field[kRack].value);
  plc.slot = static_cast<std::int32_t>(state.field[kSlot].value);
  plc.address = state.tcp ? g_ip : static_cast<std::uint32_t>(g_station);
  Cmd_OpenConnection(app, modify);
  return 1;
}
