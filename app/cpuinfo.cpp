// "CPU adatai" and "Diagnosztikai puffer": the system status lists read one
// after the other, decoded by the library and written as log lines, and the
// diagnostic buffer kept as entries for whoever shows them.
#include "app/cpuinfo.h"

#include <cstring>

#include "app/logoperation.h"
#include "app/logpane.h"
#include "app/szltext.h"
#include "runtime/runtime.h"
#include "vars/files.h"
#include "vars/format.h"
#include "vars/heaptext.h"

namespace {

// Room for any of the identity lists; a CPU with more records than fit
// still shows the ones that came (the decoders read only what is there).
constexpr int kListBytes = 4096;
// The largest diagnostic buffer a CPU keeps (an S7-1500's 3200 entries).
constexpr int kDiagBytes = 3200 * 20;

// A list that came, also one longer than the buffer (its first records).
bool Usable(int rc, std::int32_t ext) { return rc == S7_OK || (rc == S7_ERR_DATA_SIZE && ext > 0); }

// A list the CPU can refuse or get wrong without the connection suffering:
// its line says so and the command goes on with the next list.
bool ListLevel(int rc) {
  return rc == S7_ERR_PARAMETER || rc == S7_ERR_DATA || rc == S7_ERR_DATA_SIZE || rc == S7_ERR_BAD_REPLY;
}

void VersionText(const S7Version& v, char* out, std::size_t size) {
  if (v.present) FormatTextN(out, size, "V%d.%d.%d", v.major, v.minor, v.patch);
  else if (v.word1 || v.word2) FormatTextN(out, size, "16#%04X %04X", v.word1, v.word2);
  else FormatTextN(out, size, "-");
}

// A text the CPU sent, for the log: control bytes would break its lines.
void Printable(const char* in, char* out, std::size_t size) {
  std::size_t n = 0;
  for (; in[n] && n + 1 < size; ++n) out[n] = static_cast<unsigned char>(in[n]) < 0x20 ? '?' : in[n];
  out[n] = '\0';
}

void Module(const S7SzlList& list, HeapText* detail) {
  S7ModuleIdentity m{};
  if (S7_DecodeModuleIdentity(&list, &m) != S7_OK) return;
  char order[sizeof m.orderNumber], hw[24], fw[24], boot[24];
  Printable(m.orderNumber, order, sizeof order);
  VersionText(m.hardware, hw, sizeof hw);
  VersionText(m.firmware, fw, sizeof fw);
  VersionText(m.bootLoader, boot, sizeof boot);
  detail->Format(LoadText(IDS_LOG_SZL_ORDER), order);
  detail->Format(LoadText(IDS_LOG_SZL_VERSIONS), hw, fw, boot, m.bootLoader.present != 0);
}

void Component(const S7SzlList& list, HeapText* detail) {
  S7ComponentIdentity c{};
  if (S7_DecodeComponentIdentity(&list, &c) != S7_OK) return;
  struct Line {
    int label;
    const char* text;
  } const lines[] = {
      {IDS_SZL_MODULE_TYPE, c.moduleTypeName},    {IDS_SZL_PLC_NAME, c.plcName},
      {IDS_SZL_MODULE_NAME, c.moduleName},        {IDS_SZL_PLANT_DESIGNATION, c.plantDesignation},
      {IDS_SZL_LOCATION, c.location},             {IDS_SZL_SERIAL_NUMBER, c.serialNumber},
      {IDS_SZL_CARD_SERIAL, c.memoryCardSerial},  {IDS_SZL_COPYRIGHT, c.copyright},
  };
  for (const Line& l : lines) {
    if (!l.text[0]) continue;
    char text[34];
    Printable(l.text, text, sizeof text);
    detail->Format(LoadText(IDS_LOG_SZL_TEXT), TextId(l.label), text);
  }
}

void Mode(const S7SzlList& list, HeapText* detail) {
  S7CpuMode m{};
  if (S7_DecodeCpuMode(&list, &m) != S7_OK) return;
  // A CPU that keeps no previous mode sends 0 for it.
  detail->Format(LoadText(IDS_LOG_SZL_MODE), Szl_ModeText(m.mode), Szl_ModeText(m.previousMode), m.previousMode != 0);
  char stamp[40], event[kDiagLineMax];
  if (m.timeValid) FormatTimeStamp({.withDate = true, .precision = 3}, &m.time, stamp);
  else FormatTextN(stamp, sizeof stamp, "%s", TextId(IDS_DIAG_NO_TIME));
  Diag_EventText(m.eventId, event, sizeof event);
  detail->Format(LoadText(IDS_LOG_SZL_LAST_CHANGE), stamp, event);
}

void Leds(const S7SzlList& list, HeapText* detail) {
  S7Led leds[64];
  int count = 0;
  if (S7_DecodeLeds(&list, leds, 64, &count) != S7_OK) return;
  HeapText lit(64);
  for (int i = 0; i < count && i < 64; ++i) {
    if (!leds[i].on && !leds[i].blink) continue;
    char name[24];
    Szl_LedName(leds[i].id, name, sizeof name);
    if (lit.Length()) lit.Append(", ", 2);
    if (leds[i].blink) {
      lit.Format(LoadText(IDS_DIAG_LED_BLINK), name,
                 TextId(leds[i].blink == 1 ? IDS_DIAG_BLINK_FAST : IDS_DIAG_BLINK_SLOW));
    } else {
      lit.Format(LoadText(IDS_DIAG_LED_ON), name);
    }
  }
  detail->Format(LoadText(IDS_LOG_SZL_LEDS), lit.Length() ? lit.Text() : LoadText(IDS_DIAG_NO_LED));
}

void Protection(const S7SzlList& list, HeapText* detail) {
  S7Protection p{};
  if (S7_DecodeProtection(&list, &p) != S7_OK) return;
  detail->Format(LoadText(IDS_LOG_SZL_PROTECTION), p.levelInForce, p.keySwitchLevel, p.parameterLevel,
                 Szl_SwitchText(p.modeSwitch));
}

void Limits(const S7SzlList& list, HeapText* detail) {
  S7CommLimits l{};
  if (S7_DecodeCommLimits(&list, &l) != S7_OK) return;
  detail->Format(LoadText(IDS_LOG_SZL_LIMITS), l.maxPdu, l.maxConnections);
}

struct InfoList {
  std::uint16_t id, index;
  int name;  // for the line of a list the CPU does not give
  void (*show)(const S7SzlList& list, HeapText* detail);
};
constexpr InfoList kInfoLists[] = {
    {0x0011, 0, IDS_SZL_LIST_MODULE, Module},   {0x001C, 0, IDS_SZL_LIST_COMPONENT, Component},
    {0x0424, 0, IDS_SZL_LIST_MODE, Mode},       {0x0074, 0, IDS_SZL_LIST_LEDS, Leds},
    {0x0232, 4, IDS_SZL_LIST_PROTECTION, Protection}, {0x0131, 1, IDS_SZL_LIST_LIMITS, Limits},
};

}  // namespace

int Cmd_CpuInfo(AppState* app) {
  auto* records = static_cast<std::uint8_t*>(Rt_Alloc(0, kListBytes));
  if (!records) {
    LogCommandEntry(IDS_OP_READ_SZL, S7_ERR_NO_MEMORY, 0, nullptr, 0);
    return S7_ERR_NO_MEMORY;
  }
  HeapText detail;
  int result = S7_OK;
  std::int32_t resultExt = 0;
  for (const InfoList& info : kInfoLists) {
    S7SzlList list{};
    S7_ReadSzl(app->conn, info.id, info.index, records, kListBytes, &list);
    std::int32_t ext = 0;
    const int rc = S7_GetLastError(&ext);
    const bool usable = Usable(rc, ext);
    if (usable) {
      info.show(list, &detail);
    } else if (ListLevel(rc)) {
      detail.Format(LoadText(IDS_LOG_SZL_NOT_AVAILABLE), TextId(info.name), ext, ext);
    } else {
      result = rc;  // the connection failed: what came so far is shown, nothing more is asked
      resultExt = ext;
      break;
    }
    // Which CPU it is decides the command's result.
    if (&info == kInfoLists && !usable) {
      result = rc;
      resultExt = ext;
    }
  }
  Rt_Free(records);
  LogCommandEntry(IDS_OP_READ_SZL, result, resultExt, detail.Text(), detail.Length());
  return result;
}

int Cmd_ReadSzl(AppState* app, unsigned id, unsigned index, std::uint8_t* records, int capacity, S7SzlList* list) {
  S7_ReadSzl(app->conn, id, index, records, capacity, list);
  std::int32_t ext = 0;
  const int rc = S7_GetLastError(&ext);
  HeapText detail;
  if (Usable(rc, ext)) detail.Format(LoadText(IDS_LOG_SZL_LIST), list->id, list->index, list->recordCount, list->recordLength);
  LogCommandEntry(IDS_OP_READ_SZL, rc, ext, detail.Text(), detail.Length());
  return rc;
}

void DiagList_Free(DiagList* list) {
  Rt_Free(list->entries);
  *list = DiagList{};
}

int Cmd_ReadDiagnostics(AppState* app, int newest, DiagList* out) {
  *out = DiagList{};
  auto* records = static_cast<std::uint8_t*>(Rt_Alloc(0, kDiagBytes));
  if (!records) {
    LogCommandEntry(IDS_OP_READ_SZL, S7_ERR_NO_MEMORY, 0, nullptr, 0);
    return S7_ERR_NO_MEMORY;
  }
  S7SzlList list{};
  if (newest > 0) S7_ReadSzl(app->conn, 0x01A0, static_cast<unsigned>(newest), records, kDiagBytes, &list);
  else S7_ReadSzl(app->conn, 0x00A0, 0, records, kDiagBytes, &list);
  std::int32_t ext = 0;
  const int rc = S7_GetLastError(&ext);
  HeapText detail;
  if (Usable(rc, ext)) {
    const int count = list.recordLength >= 20 ? list.bytes / list.recordLength : 0;
    out->entries = static_cast<S7DiagEntry*>(Rt_Alloc(0, sizeof(S7DiagEntry) * static_cast<std::size_t>(count + 1)));
    for (int i = 0; out->entries && i < count; ++i)
      if (S7_DecodeDiagEntry(&list, i, &out->entries[out->count]) == S7_OK) ++out->count;
    detail.Format(LoadText(IDS_LOG_SZL_ENTRIES), out->count);
  }
  Rt_Free(records);
  LogCommandEntry(IDS_OP_READ_SZL, rc, ext, detail.Text(), detail.Length());
  return rc;
}

char* DiagList_Text(const DiagList* list, std::size_t* length) {
  HeapText text(static_cast<std::size_t>(list->count) * 64 + 1);
  for (int i = 0; i < list->count; ++i) {
    char line[kDiagLineMax + 2];
    const int n = Diag_FormatLine(&list->entries[i], line, kDiagLineMax);
    line[n] = '\r';
    line[n + 1] = '\n';
    text.Append(line, static_cast<std::size_t>(n) + 2);
  }
  return text.Take(length);
}

std::uint32_t DiagList_Save(const DiagList* list, const char* path) {
  std::size_t length = 0;
  char* text = DiagList_Text(list, &length);
  std::uint32_t error = text ? 0 : kFileErrShortWrite;
  if (text) {
    FileHandle* file = File_Open(path, kFileOpenCreate);
    if (file) {
      File_Write(file, text, length);
      error = File_Close(file);
    } else {
      error = kFileErrNotOpen;
    }
    Rt_Free(text);
  }
  HeapText line;
  if (error == 0) line.Format(LoadText(IDS_LOG_SZL_FILE_SAVED), TextId(IDS_FILE_DIAG_SAVE_TITLE), path);
  else line.Format(LoadText(IDS_LOG_FILE_FAILED), TextId(IDS_FILE_DIAG_SAVE_TITLE), path, TextId(IDS_LOG_CANT_SAVE));
  LogWrite(MainLogPane(), line.Text(), line.Length(), LogOwnership::CallerKeeps);
  return error;
}
