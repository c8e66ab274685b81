// Status, title and file-name texts of the main window, kept apart from the
// window code so that their arithmetic and bounds are tested natively.
#include "app/maintexts.h"

#include "res/strings.h"
#include "runtime/runtime.h"

int Status_PlcText(const AppState* app, char* out, std::size_t size) {
  if (!out || size == 0) return 0;
  out[0] = '\0';
  const PlcSettings& plc = app->plc;
  if (app->conn) {
    char address[32];
    Plc_AddressText(plc.kind, plc.address, address, sizeof address);
    char name[sizeof plc.name];
    Rt_StrCopyN(name, plc.name, sizeof name);  // bounded even if the record's name is not
    if (plc.kind == S7_KIND_TCP && Plc_TypedTsaps(plc.family)) {
      char tsaps[16];
      Plc_TsapPairText(plc.localTsap, plc.remoteTsap, tsaps, sizeof tsaps);
      return FormatTextN(out, size, LoadText(IDS_STATUS_PLC_TSAP), InterfaceKindName(plc.kind), address, tsaps,
                         name, name[0]);
    }
    return FormatTextN(out, size, LoadText(IDS_STATUS_PLC), InterfaceKindName(plc.kind), address, plc.rack,
                       plc.slot, name, name[0]);
  }
  if (app->iface) return static_cast<int>(Rt_StrCopyN(out, InterfaceKindName(plc.kind), size));
  return 0;
}

const char* Path_NamePart(const char* path) {
  const char* name = path;
  for (const char* p = path; *p; ++p)
    if (*p == '\\' || *p == '/') name = p + 1;
  return name;
}

int Title_Text(TitleFile file, const char* path, char* out, std::size_t size) {
  const bool withFile = file == TitleFile::With;
  if (!out || size == 0) return 0;
  if (size > kTitleSize) size = kTitleSize;
  if (withFile && path && *path) return FormatTextN(out, size, "%s - %s", TextId(IDS_TITLE), Path_NamePart(path));
  return static_cast<int>(Rt_StrCopyN(out, LoadText(IDS_TITLE), size));
}

int Path_DefaultTableFile(const char* programPath, char* out, std::size_t size) {
  if (!out || size == 0) return 0;
  out[0] = '\0';
  if (!programPath) return 0;
  // Only the name part's dot counts: a directory such as "C:\Tools.v2\" has
  // one too.
  const char* name = Path_NamePart(programPath);
  const char* dot = nullptr;
  for (const char* p = name; *p; ++p)
    if (*p == '.') dot = p;
  const std::size_t stem = dot ? static_cast<std::size_t>(dot - programPath) : Rt_StrLen(programPath);
  constexpr char kExtension[] = ".vat";
  if (size > kPathSize) size = kPathSize;
  if (stem + sizeof kExtension > size) return 0;  // cut, it would name another file
  Rt_Copy(out, programPath, stem);
  Rt_Copy(out + stem, kExtension, sizeof kExtension);
  return static_cast<int>(stem + sizeof kExtension - 1);
}

const char16_t* CommandLine_Tail(const char16_t* commandLine) {
  if (!commandLine) return u"";
  const char16_t* p = commandLine;
  bool quoted = false;
  for (; *p && (quoted || (*p != u' ' && *p != u'\t')); ++p)
    if (*p == u'"') quoted = !quoted;
  while (*p == u' ' || *p == u'\t') ++p;
  return p;
}

int CommandLine_FirstArgument(const char16_t* tail, char16_t* out, std::size_t size) {
  if (!out || size == 0) return 0;
  std::size_t n = 0;
  if (tail) {
    const char16_t* p = tail;
    while (*p == u' ' || *p == u'\t') ++p;
    bool quoted = false;
    for (; *p && n + 1 < size; ++p) {
      if (*p == u'"') {
        quoted = !quoted;
        continue;
      }
      if (*p < u'!' && !quoted) break;
      out[n++] = *p;
    }
  }
  out[n] = u'\0';
  return static_cast<int>(n);
}
