// The dialogs' memory and the connection dialog's two addresses.
#include "app/dialogmemory.h"

#include <cstring>

#include "runtime/runtime.h"

void DialogMemory_Reset(DialogMemory* memory) {
  *memory = DialogMemory{};
  memory->restart = RestartMode::Warm;
  memory->clockFollowsPc = true;
  memory->plc = PlcPick::Current;
  memory->ip = Plc_DefaultIpAddress();
  memory->station = kDefaultStationAddress;
  VarDefine_Reset(&memory->definition);
  memory->readIntervalMs = 1000;
}

ConnectionEntry Connection_Begin(DialogMemory* memory, const PlcSettings& plc, bool tcp) {
  if (tcp)
    memory->ip = plc.address;
  else
    memory->station = plc.address;
  ConnectionEntry entry{};
  entry.tcp = tcp;
  entry.ip = memory->ip;
  entry.station = memory->station;
  entry.timeoutMs = plc.timeoutMs;
  entry.rack = plc.rack;
  entry.slot = plc.slot;
  Rt_StrCopyN(entry.name, plc.name, sizeof entry.name);
  entry.family = plc.family;
  entry.connType = plc.connType;
  entry.localTsap = plc.localTsap;
  entry.remoteTsap = plc.remoteTsap;
  return entry;
}

void Connection_Take(DialogMemory* memory, const ConnectionEntry& entry, PlcSettings* plc) {
  memory->ip = entry.ip;
  memory->station = entry.station;
  plc->address = entry.tcp ? entry.ip : entry.station;
  plc->timeoutMs = entry.timeoutMs;
  plc->rack = entry.rack;
  plc->slot = entry.slot;
  Rt_StrCopyN(plc->name, entry.name, sizeof plc->name);
  plc->family = entry.family;
  plc->connType = entry.connType;
  plc->localTsap = entry.localTsap;
  plc->remoteTsap = entry.remoteTsap;
}

void Connection_SetFamily(ConnectionEntry* entry, int family) {
  PlcSettings plc{};
  plc.rack = entry->rack;
  plc.slot = entry->slot;
  plc.localTsap = entry->localTsap;
  plc.remoteTsap = entry->remoteTsap;
  Plc_SetFamily(&plc, family);
  entry->family = plc.family;
  entry->connType = plc.connType;
  entry->rack = plc.rack;
  entry->slot = plc.slot;
  entry->localTsap = plc.localTsap;
  entry->remoteTsap = plc.remoteTsap;
}
