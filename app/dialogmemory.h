// What the dialogs remember from one opening to the next, in one record that
// the front end owns (the main window keeps one for the program's life):
// the restart mode, the password, the clock to set and whether it follows
// the PC, the PLC choice of a loaded file, the address of the interface kind
// not in use, the last variable defined, and the read window's interval and
// whether it reconnects. Also the connection dialog's
// rule for the two addresses, without a window, so that it is tested natively.
//
// Threads: the thread that runs the dialogs (the user-interface thread).
#pragma once

#include <cstdint>

#include "app/commands.h"     // RestartMode
#include "app/dialogrules.h"  // kPasswordMax, the address defaults
#include "app/frontend.h"     // PlcPick
#include "app/maintexts.h"    // kPathSize
#include "app/vardefine.h"    // VarDefineState

// The read window's value log: the file last chosen and whether a row is
// written only for a cycle that changed something.
struct ValueLogChoice {
  char path[kPathSize];
  bool changedOnly;
};

struct DialogMemory {
  RestartMode restart;
  char password[kPasswordMax + 1];
  CalendarRecord clock;      // the time the clock dialog set last
  bool clockFollowsPc;       // switched on at every opening of the clock dialog
  PlcPick plc;               // preselected the next time a file names another PLC
  std::uint32_t ip;          // the last IPv4 address, network byte order
  std::uint32_t station;     // the last MPI/PROFIBUS station address
  VarDefineState definition; // a new variable starts from the last one defined
  std::uint32_t readIntervalMs;  // the read window's refresh interval
  bool readReconnect;            // the read window rides out a lost connection
  ValueLogChoice valueLog;       // empty path: none chosen yet
  char tracePath[kPathSize];     // the wire trace's last file
};

// Warm restart, no password, the PC's clock followed, the current PLC kept,
// 192.168.1.1 and station 2, a "Word" in "Merker" as the first definition,
// a read every second.
void DialogMemory_Reset(DialogMemory* memory);

// What the connection dialog edits: the PLC settings' fields, with both
// addresses, since the field of the kind not in use shows its last one.
struct ConnectionEntry {
  bool tcp;                  // the interface is TCP: the IPv4 field counts
  std::uint32_t ip;          // network byte order
  std::uint32_t station;
  std::int32_t timeoutMs;
  std::int32_t rack;
  std::int32_t slot;
  char name[sizeof(PlcSettings{}.name)];
  std::int32_t family;       // as PlcSettings: the family, the connection
  std::int32_t connType;     // type of a rack/slot family, the TSAPs of
  std::uint16_t localTsap;   // the others
  std::uint16_t remoteTsap;
};

// Opening: the settings' address is the last of its kind from now on; the
// other kind's address comes from memory.
ConnectionEntry Connection_Begin(DialogMemory* memory, const PlcSettings& plc, bool tcp);
// OK: both addresses are remembered, and the settings take the fields with
// the address of the kind in use.
void Connection_Take(DialogMemory* memory, const ConnectionEntry& entry, PlcSettings* plc);
// Another family chosen: its defaults (rack, slot and connection type, or
// its TSAPs) replace the entry's.
void Connection_SetFamily(ConnectionEntry* entry, int family);
