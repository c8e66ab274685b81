// Variable table files (*.vat): the PLC description and the variables with
// their element names and display modes, as an INI-style text. Loading may
// switch the open interface and connection to the file's PLC, asking the
// front end first when a connection would be replaced.
#include <cstdarg>
#include <cstring>

#include "app/appstate.h"
#include "app/frontend.h"
#include "app/logoperation.h"
#include "app/logpane.h"
#include "runtime/runtime.h"
#include "res/strings.h"
#include "vars/ini_internal.h"
#include "vars/vars.h"

namespace {

constexpr const char* kPlc = "PLC";
constexpr int kFallbackPduSize = 240;
constexpr std::uint32_t kNoAddress = 0xFFFFFFFFu;  // the readers' default: -1

const char* BaseName(const char* path) {
  const char* base = path;
  for (const char* p = path; *p; ++p)
    if (*p == '/' || *p == '\\') base = p + 1;
  return base;
}

void LogLine(const char* format, ...) {
  char line[1024];
  va_list args;
  va_start(args, format);
  FormatTextNV(line, sizeof line, format, args);
  va_end(args);
  LogWrite(MainLogPane(), line, 0, 1);
}

void LogFileFailed(int titleId, const char* path, int whatId) {
  LogLine(LoadText(IDS_LOG_FILE_FAILED), TextId(titleId), BaseName(path), TextId(whatId));
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

}  // namespace

void Vat_ReportKey(const char* text, const char* section, const char* key, const char* path) {
  char value[1024];
  Ini_GetString(text, section, key, value, sizeof value, nullptr);
  LogLine(LoadText(IDS_LOG_BAD_KEY), TextId(value[0] ? IDS_LOG_KEY_INVALID : IDS_LOG_KEY_MISSING), BaseName(path),
          section, key, value);
}

int Vat_Read(const char* text, AppState* fresh, const char* path) {
  IniIndex index;
  Ini_IndexBuild(&index, text);
  int ok = 0;
  char value[256];
  PlcSettings& plc = fresh->plc;
  auto report = [&](const char* section, const char* key) { Vat_ReportKey(text, section, key, path); };
  do {
    Ini_IndexGetString(&index, kPlc, "IF", value, sizeof value, nullptr);
    plc.kind = FindKind(value);
    if (plc.kind < 0) {
      report(kPlc, "IF");
      break;
    }
    Ini_IndexGetString(&index, kPlc, "Name", plc.name, sizeof plc.name, nullptr);
    plc.address = plc.kind == S7_KIND_TCP
                      ? Ini_IndexGetIPv4(&index, kPlc, "Address", kNoAddress)
                      : static_cast<std::uint32_t>(Ini_IndexGetInt(&index, kPlc, "Address", 0, 127, -1));
    if (plc.address == kNoAddress) {
      report(kPlc, "Address");
      break;
    }
    struct Setting {
      const char* key;
      int low, high;
      std::int32_t* field;
    } settings[] = {{"TimeOut", 100, 30000, &plc.timeoutMs},
                    {"Rack", 0, 31, &plc.rack},
                    {"Slot", 0, 18, &plc.slot},
                    {"VarCount", 1, 20, &fresh->table.count}};
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
    const int count = fresh->table.count;
    fresh->table.count = 0;
    for (int i = 0; i < count && good; ++i) {
      char section[16];
      SectionName(section, sizeof section, i);
      Ini_IndexGetString(&index, section, "Var", value, sizeof value, nullptr);
      PlcVariable* var = &fresh->table.vars[i];
      if (!Var_ParseDefinition(value, var)) {
        report(section, "Var");
        good = false;
        break;
      }
      fresh->table.count = i + 1;
      ReadVariableExtras(&index, section, var);
    }
    ok = good ? 1 : 0;
  } while (false);
  Ini_IndexFree(&index);
  return ok;
}

namespace {

// The file is written from empty, one new section after another, each key
// once: so appending "[section]" and "key = value" lines, composed exactly as
// Ini_SetString composes them, gives the bytes a run of Ini_SetString calls
// would, in linear time.
void Section(HeapText* t, const char* name) { t->Format("[%s]\r\n", name); }

void Key(HeapText* t, const char* key, const char* value) {
  char line[kIniValueSize];
  const std::size_t n = ini::ComposeLine(key, std::strlen(key), value, line);
  if (n == 0) return;  // an empty value writes no line
  t->Append(line, n);
  t->Append("\r\n", 2);
}

void Key(HeapText* t, const char* key, int value) {
  char number[16];
  FormatTextN(number, sizeof number, "%d", value);
  Key(t, key, number);
}

}  // namespace

char* Vat_BuildText(const AppState* app, std::ptrdiff_t* length) {
  if (length) *length = 0;
  std::ptrdiff_t ignored = 0;
  if (!length) length = &ignored;
  HeapText t(65536);
  const PlcSettings& plc = app->plc;
  char value[128];
  Section(&t, kPlc);
  Key(&t, "IF", InterfaceKindName(plc.kind));
  Key(&t, "Name", plc.name);
  if (plc.kind == S7_KIND_TCP)
    FormatTextN(value, sizeof value, "%a", plc.address);
  else
    FormatTextN(value, sizeof value, "%d", static_cast<int>(plc.address));
  Key(&t, "Address", value);
  Key(&t, "TimeOut", plc.timeoutMs);
  Key(&t, "Rack", plc.rack);
  Key(&t, "Slot", plc.slot);
  Key(&t, "VarCount", app->table.count);
  for (int i = 0; i < app->table.count; ++i) {
    const PlcVariable* var = &app->table.vars[i];
    char section[16], key[32];
    SectionName(section, sizeof section, i);
    Section(&t, section);
    char definition[kVarAddressTextMax];
    Var_FormatAddress({.withCount = true, .withType = true}, 0, var, definition, nullptr);
    Key(&t, "Var", definition);
    for (int j = 0; j < var->count; ++j) {
      KeyName(key, sizeof key, "Name", j);
      Key(&t, key, Var_ElementName(var, j));
      if (var->views && var->views[j]) {
        KeyName(key, sizeof key, "View", j);
        Key(&t, key, LoadText(600 + var->views[j]));
      }
    }
  }
  std::size_t n = 0;
  char* text = t.Take(&n);
  *length = static_cast<std::ptrdiff_t>(n);
  return text;
}

int Vat_Write(const char* path, const AppState* app) {
  std::ptrdiff_t length = 0;
  char* text = Vat_BuildText(app, &length);
  std::size_t written = 0;
  if (text) {
    FileHandle* file = File_Open(path, kFileOpenCreate);
    if (file) {
      written = File_Write(file, text, static_cast<std::size_t>(length));
      File_Close(file);
    }
    Rt_Free(text);
  }
  if (!text || written < static_cast<std::size_t>(length)) {
    LogFileFailed(IDS_FILE_SAVE_TITLE, path, IDS_LOG_CANT_SAVE);
    return 0;
  }
  return 1;
}

int Vat_Load(const char* path, AppState* app) {
  // The whole file: a table of many named elements runs to hundreds of
  // kilobytes, and a cut text would lose names or misread a line.
  std::size_t length = 0;
  char* text = File_LoadText(path, kLoadEnsureLineEnd | kLoadSpare, kLoadTextCap, &length);
  if (!text) {
    LogFileFailed(IDS_FILE_LOAD_TITLE, path, IDS_LOG_CANT_LOAD);
    return 0;
  }
  auto* fresh = static_cast<AppState*>(Rt_Alloc(kRtZero, sizeof(AppState)));
  if (!fresh) {
    Rt_Free(text);
    return 0;
  }
  const int parsed = Vat_Read(text, fresh, path);
  Rt_Free(text);

  bool interfaceChange = app->iface && S7_GetInterfaceKind(app->iface) != fresh->plc.kind;
  bool connectionChange = app->conn && (interfaceChange || app->plc.address != fresh->plc.address);
  auto release = [&](int result) {
    VarTable_Clear(&fresh->table);
    Rt_Free(fresh);
    return result;
  };
  if (!parsed) return release(0);

  if (connectionChange) {
    PlcChoice choice{};
    choice.currentKind = app->plc.kind;
    choice.loadedKind = fresh->plc.kind;
    choice.currentAddress = app->plc.address;
    choice.loadedAddress = fresh->plc.address;
    Rt_StrCopyN(choice.currentName, app->plc.name, sizeof choice.currentName);
    Rt_StrCopyN(choice.loadedName, fresh->plc.name, sizeof choice.loadedName);
    int useSaved = 0;
    FrontEnd* frontEnd = TheFrontEnd();
    if (frontEnd && !frontEnd->ChoosePlc(choice, &useSaved)) return release(0);
    if (!useSaved) interfaceChange = connectionChange = false;
  }
  if (connectionChange) {
    app->conn = S7_Connection_Done(app->conn);
    LogOperation(kLogOperationBase + S7_OP_CONNECTION_DONE, 0, nullptr);
  }
  if (interfaceChange) {
    app->iface = S7_Interface_Done(app->iface);
    LogOperation(kLogOperationBase + S7_OP_INTERFACE_DONE, 0, nullptr);
  }
  // A kept connection keeps its name: only a connection made from the file
  // takes the file's name.
  VarTable_Clear(&app->table);
  if (!app->iface) {
    app->plc.kind = fresh->plc.kind;
    app->iface = S7_Interface_Init(static_cast<unsigned>(fresh->plc.kind));
    LogOperation(kLogOperationBase + S7_OP_INTERFACE_INIT, 0, nullptr);
  }
  if (app->iface && !app->conn) {
    PlcSettings& plc = app->plc;
    Rt_StrCopyN(plc.name, fresh->plc.name, sizeof plc.name);
    plc.address = fresh->plc.address;
    plc.rack = fresh->plc.rack;
    plc.slot = fresh->plc.slot;
    plc.timeoutMs = fresh->plc.timeoutMs;
    app->conn = S7_Connection_Init(app->iface, plc.name, plc.timeoutMs, plc.address, plc.rack, plc.slot,
                                   kFallbackPduSize);
    LogOperation(kLogOperationBase + S7_OP_CONNECTION_INIT, 0, nullptr);
  }
  app->table = fresh->table;  // the blocks now belong to the program's table
  Rt_Free(fresh);
  if (app->iface && app->conn)
    if (FrontEnd* frontEnd = TheFrontEnd()) frontEnd->OpenReadWindow(true, true);
  return 1;
}
