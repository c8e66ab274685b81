// Variable table files (*.vat): the PLC description and the variables with
// their element names and display modes, as an INI-style text: writing the
// text, reading it back, and the log lines of a refused key or a failed file.
#include <cstring>

#include "res/strings.h"
#include "runtime/runtime.h"
#include "vars/files.h"
#include "vars/format.h"
#include "vars/heaptext.h"
#include "vars/ini.h"
#include "vars/logsink.h"
#include "vars/plcsettings.h"
#include "vars/texthelp.h"
#include "vars/varaddress.h"
#include "vars/varmodel.h"
#include "vars/vatfile.h"

namespace {

constexpr const char* kPlc = "PLC";
constexpr std::uint32_t kNoAddress = 0xFFFFFFFFu;  // the readers' default: -1

constexpr const char* kKindNames[4] = {"TCP", "S7ONLINE", "CP_L2_1", "CP_L2_2"};

const char* BaseName(const char* path) {
  const char* base = path;
  for (const char* p = path; *p; ++p)
    if (*p == '/' || *p == '\\') base = p + 1;
  return base;
}

void LogText(const HeapText& line) { Vars_Log(line.Text(), line.Length()); }

void LogFileFailed(int titleId, const char* path, int whatId) {
  HeapText line;
  line.Format(LoadText(IDS_LOG_FILE_FAILED), TextId(titleId), BaseName(path), TextId(whatId));
  LogText(line);
}

// "Var0", "Name12", "View511": a stem and a small number, made without the
// formatting engine because a large table has tens of thousands of them.
void KeyName(char* out, std::size_t size, const char* stem, int number) {
  char digits[12];
  int n = 0;
  unsigned v = static_cast<unsigned>(number);
  do digits[n++] = static_cast<char>('0' + v % 10);
  while ((v /= 10) != 0);
  std::size_t at = Rt_StrCopyN(out, stem, size);
  while (n > 0 && at + 1 < size) out[at++] = digits[--n];
  out[at] = '\0';
}

void SectionName(char* out, std::size_t size, int index) { KeyName(out, size, "Var", index); }

int FindKind(const char* name) {
  for (int kind = 0; kind < 4; ++kind)
    if (CompareNoCase(name, InterfaceKindName(kind)) == 0) return kind;
  return -1;
}

void ReadVariableExtras(IniIndex* index, const char* section, PlcVariable* var) {
  int count = 0;
  int views[8] = {};
  Var_ListViews(VarViewList::Views, 0, var, &count, views);
  const char* viewNames[8] = {};
  for (int k = 0; k < count; ++k) viewNames[k] = LoadText(views[k]);
  char key[32];
  char value[kIniValueSize];
  for (int j = 0; j < var->count; ++j) {
    KeyName(key, sizeof key, "Name", j);
    Ini_IndexGetString(index, section, key, value, kVarNameSize, nullptr);
    Var_SetElementName(var, j, value);
    KeyName(key, sizeof key, "View", j);
    if (Ini_IndexGetString(index, section, key, value, 32, nullptr) <= 0) continue;
    for (int k = 0; k < count; ++k)
      if (viewNames[k] && CompareNoCase(value, viewNames[k]) == 0)
        var->views[j] = static_cast<std::uint8_t>(views[k] - 600);
  }
}

// How the PLC is asked for a connection. Files without these keys ask as
// the program always has; a bad value is reported and its default taken,
// so an unknown family never costs the user the file's variables.
void ReadConnectionKeys(IniIndex* index, const char* text, const char* path, PlcSettings* plc) {
  char value[64];
  if (Ini_IndexGetString(index, kPlc, "Family", value, sizeof value, nullptr) > 0) {
    const int family = Plc_FindFamily(value);
    if (family < 0) Vat_ReportKey(text, kPlc, "Family", path);
    else plc->family = family;
  }
  if (Ini_IndexGetString(index, kPlc, "ConnType", value, sizeof value, nullptr) > 0) {
    const int type = Plc_FindConnType(value);
    if (type < 0) Vat_ReportKey(text, kPlc, "ConnType", path);
    else plc->connType = type;
  }
  if (!Plc_TypedTsaps(plc->family)) return;
  const S7Tsaps defaults = S7_GetFamilyProfile(static_cast<S7Family>(plc->family))->tsaps;
  plc->localTsap = defaults.local;
  plc->remoteTsap = defaults.remote;
  if (Ini_IndexGetString(index, kPlc, "TSAP", value, sizeof value, nullptr) > 0 &&
      !Plc_ParseTsapPair(value, &plc->localTsap, &plc->remoteTsap))
    Vat_ReportKey(text, kPlc, "TSAP", path);
}

void BuildConnectionKeys(IniBuilder* b, const PlcSettings* plc) {
  // Only what differs from an S7-300/400 asked for PG: older files, and
  // files of such a PLC, stay as they always were.
  if (plc->family != 0) Ini_BuildString(b, kPlc, "Family", Plc_FamilyName(plc->family));
  if (plc->connType > static_cast<int>(S7ConnectionType::PG))
    Ini_BuildString(b, kPlc, "ConnType", Plc_ConnTypeName(plc->connType));
  if (Plc_TypedTsaps(plc->family)) {
    char pair[16];
    Plc_TsapPairText(plc->localTsap, plc->remoteTsap, pair, sizeof pair);
    Ini_BuildString(b, kPlc, "TSAP", pair);
  }
}

}  // namespace

const char* InterfaceKindName(int kind) { return kind >= 0 && kind < 4 ? kKindNames[kind] : nullptr; }

int Plc_AddressText(int kind, std::uint32_t address, char* out, std::size_t size) {
  if (kind == S7_KIND_TCP) return FormatTextN(out, size, "%a", address);
  return FormatTextN(out, size, "%d", static_cast<int>(address));
}

void Vat_ReportKey(const char* text, const char* section, const char* key, const char* path) {
  char value[1024];
  Ini_GetString(text, section, key, value, sizeof value, nullptr);
  // The value up to 1023 bytes, and the line whole: a line cut to a buffer
  // would lose its line end.
  HeapText line;
  line.Format(LoadText(IDS_LOG_BAD_KEY), TextId(value[0] ? IDS_LOG_KEY_INVALID : IDS_LOG_KEY_MISSING),
              BaseName(path), section, key, value);
  LogText(line);
}

int Vat_Read(const char* text, PlcSettings* plc, VariableTable* table, const char* path) {
  IniIndex index;
  Ini_IndexBuild(&index, text);
  int ok = 0;
  char value[256];
  auto report = [&](const char* section, const char* key) { Vat_ReportKey(text, section, key, path); };
  do {
    Ini_IndexGetString(&index, kPlc, "IF", value, sizeof value, nullptr);
    plc->kind = FindKind(value);
    if (plc->kind < 0) {
      report(kPlc, "IF");
      break;
    }
    Ini_IndexGetString(&index, kPlc, "Name", plc->name, sizeof plc->name, nullptr);
    plc->address = plc->kind == S7_KIND_TCP
                      ? Ini_IndexGetIPv4(&index, kPlc, "Address", kNoAddress)
                      : static_cast<std::uint32_t>(Ini_IndexGetInt(&index, kPlc, "Address", 0, 127, -1));
    if (plc->address == kNoAddress) {
      report(kPlc, "Address");
      break;
    }
    struct Setting {
      const char* key;
      int low, high;
      std::int32_t* field;
    } settings[] = {{"TimeOut", 100, 30000, &plc->timeoutMs},
                    {"Rack", 0, 31, &plc->rack},
                    {"Slot", 0, 18, &plc->slot},
                    {"VarCount", 1, kVarTableSize, &table->count}};
    bool good = true;
    for (const Setting& s : settings) {
      *s.field = Ini_IndexGetInt(&index, kPlc, s.key, s.low, s.high, -1);
      if (*s.field == -1) {
        report(kPlc, s.key);
        good = false;
        break;
      }
    }
    if (!good) break;
    ReadConnectionKeys(&index, text, path, plc);
    const int count = table->count;
    table->count = 0;
    for (int i = 0; i < count && good; ++i) {
      char section[16];
      SectionName(section, sizeof section, i);
      Ini_IndexGetString(&index, section, "Var", value, sizeof value, nullptr);
      PlcVariable* var = &table->vars[i];
      if (!Var_ParseDefinition(value, var)) {
        report(section, "Var");
        good = false;
        break;
      }
      table->count = i + 1;
      ReadVariableExtras(&index, section, var);
    }
    ok = good ? 1 : 0;
  } while (false);
  Ini_IndexFree(&index);
  return ok;
}

char* Vat_BuildText(const PlcSettings* plc, const VariableTable* table, std::ptrdiff_t* length) {
  // The file is written from empty, section after section: the INI builder
  // gives the bytes a run of Ini_SetString calls would, in linear time.
  // Empty values (no name, a default view) write no line.
  IniBuilder b;
  Ini_BuildBegin(&b);
  char value[128];
  Ini_BuildString(&b, kPlc, "IF", InterfaceKindName(plc->kind));
  Ini_BuildString(&b, kPlc, "Name", plc->name);
  Plc_AddressText(plc->kind, plc->address, value, sizeof value);
  Ini_BuildString(&b, kPlc, "Address", value);
  Ini_BuildInt(&b, kPlc, "TimeOut", plc->timeoutMs);
  Ini_BuildInt(&b, kPlc, "Rack", plc->rack);
  Ini_BuildInt(&b, kPlc, "Slot", plc->slot);
  BuildConnectionKeys(&b, plc);
  Ini_BuildInt(&b, kPlc, "VarCount", table->count);
  for (int i = 0; i < table->count; ++i) {
    const PlcVariable* var = &table->vars[i];
    char section[16], key[32];
    SectionName(section, sizeof section, i);
    char definition[kVarAddressTextMax];
    Var_FormatAddress({.withCount = true, .withType = true}, 0, var, definition, nullptr);
    Ini_BuildString(&b, section, "Var", definition);
    for (int j = 0; j < var->count; ++j) {
      KeyName(key, sizeof key, "Name", j);
      Ini_BuildString(&b, section, key, Var_ElementName(var, j));
      if (var->views && var->views[j]) {
        KeyName(key, sizeof key, "View", j);
        Ini_BuildString(&b, section, key, LoadText(600 + var->views[j]));
      }
    }
  }
  const bool failed = b.failed;
  std::ptrdiff_t n = 0;
  char* text = Ini_BuildEnd(&b, &n);
  if (failed) {
    Rt_Free(text);
    text = nullptr;
    n = 0;
  }
  if (length) *length = n;
  return text;
}

int Vat_Write(const char* path, const PlcSettings* plc, const VariableTable* table) {
  // A file without variables says "VarCount = 0", which no reader loads.
  if (table->count < 1) {
    LogFileFailed(IDS_FILE_SAVE_TITLE, path, IDS_LOG_NOTHING_TO_SAVE);
    return 0;
  }
  std::ptrdiff_t length = 0;
  char* text = Vat_BuildText(plc, table, &length);
  bool written = false;
  if (text) {
    FileHandle* file = File_Open(path, kFileOpenCreate);
    if (file) {
      const std::size_t n = File_Write(file, text, static_cast<std::size_t>(length));
      // The close is where a full disk or a network share reports a write
      // it took on trust: a failed close is a failed save.
      written = File_Close(file) == 0 && n == static_cast<std::size_t>(length);
    }
    Rt_Free(text);
  }
  if (!written) {
    LogFileFailed(IDS_FILE_SAVE_TITLE, path, IDS_LOG_CANT_SAVE);
    return 0;
  }
  return 1;
}

char* Vat_LoadText(const char* path) {
  // The whole file: a table of many named elements runs to hundreds of
  // kilobytes, and a cut text would lose names or misread a line. A missing
  // file reads as empty, which the reader reports as a missing "IF".
  char* text = File_LoadText(path, kLoadEnsureLineEnd | kLoadSpare, kLoadTextCap, nullptr);
  if (!text) LogFileFailed(IDS_FILE_LOAD_TITLE, path, IDS_LOG_CANT_LOAD);
  return text;
}
