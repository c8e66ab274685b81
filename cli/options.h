// The command line of tolvane-cli: the PLC options, then one or more
// commands with their arguments, run in order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class CommandKind {
  Connect, Disconnect, Partners, BusPars, State, Start, Stop, Clock, SetClock, Login, Logout,
  Read, Write, Monitor, Save, Info, Diag, Szl,
};

struct CliCommand {
  CommandKind kind;
  std::vector<std::string> args;  // code page 1250, file paths too
  int intervalMs = 1000;          // monitor
  bool reconnect = false;         // monitor: ride out a lost connection
  int count = 0;                  // monitor: reads to do, 0 = until Ctrl+C; diag: newest entries, 0 = all
  std::string csv;                // monitor: the value log's file, code page 1250
  bool csvChangedOnly = false;    // monitor: a row only for a cycle that changed something
  unsigned szlId = 0, szlIndex = 0;  // szl
};

struct CliOptions {
  int kind = 0;              // interface kind
  bool kindGiven = false;
  std::string plc;           // --plc as given
  int rack = 0, slot = 2, timeoutMs = 1000;
  bool rackGiven = false, slotGiven = false, timeoutGiven = false;
  std::string name;          // code page 1250
  bool nameGiven = false;
  int family = 0;            // S7Family (--family; --tsap alone means custom)
  bool familyGiven = false;
  std::uint16_t localTsap = 0, remoteTsap = 0;
  bool tsapGiven = false;
  int connType = 1;          // S7ConnectionType
  bool connTypeGiven = false;
  std::string vat;           // --vat FILE, code page 1250
  std::string trace;         // --trace FILE, code page 1250
  bool raw = false;
  bool help = false;
  std::vector<CliCommand> commands;
};

// Parses the arguments after the program name (UTF-8). Returns false with a
// one-line reason for bad usage.
bool ParseCommandLine(const std::vector<std::string>& args, CliOptions* options, std::string* why);

// The usage text with examples (UTF-8).
const char* UsageText();

// Exit codes beyond the library's error codes 1-29.
inline constexpr int kExitUsage = 64;      // bad usage or a refused value
inline constexpr int kExitDataFile = 65;   // a variable table file could not be loaded
inline constexpr int kExitCantSave = 74;   // a file could not be written: a variable table, a trace, a value log
