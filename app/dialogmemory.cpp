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
}
