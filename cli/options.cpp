// Reading tolvane-cli's arguments. Every text (names, definitions,
// passwords, typed values, file paths) is converted from UTF-8 to the
// program's code page 1250 here, once.
#include "cli/options.h"

#include <cstdlib>
#include <cstring>

#include "res/codepage.h"
#include "vars/vars.h"

namespace {

struct CommandName {
  const char* name;
  CommandKind kind;
  int minArgs, maxArgs;  // -1: any number
};

constexpr CommandName kCommands[] = {
    {"connect", CommandKind::Connect, 0, 0},   {"disconnect", CommandKind::Disconnect, 0, 0},
    {"partners", CommandKind::Partners, 0, 0}, {"buspars", CommandKind::BusPars, 0, 0},
    {"state", CommandKind::State, 0, 0},       {"start", CommandKind::Start, 1, 1},
    {"stop", CommandKind::Stop, 0, 0},         {"clock", CommandKind::Clock, 0, 0},
    {"set-clock", CommandKind::SetClock, 1, 1}, {"login", CommandKind::Login, 1, 1},
    {"logout", CommandKind::Logout, 0, 0},     {"read", CommandKind::Read, 0, -1},
    {"write", CommandKind::Write, 1, -1},      {"monitor", CommandKind::Monitor, 0, 0},
    {"save", CommandKind::Save, 1, 1},         {"info", CommandKind::Info, 0, 0},
    {"diag", CommandKind::Diag, 0, 0},         {"szl", CommandKind::Szl, 2, 2},
};

const CommandName* FindCommand(const std::string& word) {
  for (const CommandName& c : kCommands)
    if (word == c.name) return &c;
  return nullptr;
}

// A list id or index as C writes numbers: 0x0011, 17 or 021.
bool ListNumber(const std::string& text, unsigned* out) {
  if (text.empty() || text[0] == '-' || text[0] == '+') return false;
  char* end = nullptr;
  const unsigned long v = std::strtoul(text.c_str(), &end, 0);
  if (*end != '\0' || v > 0xFFFF) return false;
  *out = static_cast<unsigned>(v);
  return true;
}

bool Number(const std::string& text, long low, long high, int* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || v < low || v > high) return false;
  *out = static_cast<int>(v);
  return true;
}

}  // namespace

namespace {

// A text for the PLC, the log or a file name, in the program's code page.
// Anything the code page cannot hold is refused rather than sent as '?'.
bool ProgramText(const std::string& utf8, const std::string& what, std::string* out, std::string* why) {
  if (Cp1250FromUtf8Exact(utf8, out)) return true;
  *why = what + " holds characters that code page 1250 cannot: " + utf8;
  return false;
}

// The options before the first command; *i is left at that command.
bool ParseOptions(const std::vector<std::string>& args, std::size_t* i, CliOptions* o, std::string* why) {
  auto value = [&](const char* option, std::string* out) {
    if (*i + 1 >= args.size()) {
      *why = std::string(option) + " needs a value";
      return false;
    }
    *out = args[++*i];
    return true;
  };
  for (; *i < args.size(); ++*i) {
    const std::string& a = args[*i];
    std::string v;
    if (a == "--help" || a == "-h") {
      o->help = true;
      return true;
    }
    if (a.rfind("--", 0) != 0) break;
    if (a == "--raw") {
      o->raw = true;
    } else if (a == "--if") {
      if (!value("--if", &v)) return false;
      o->kindGiven = false;
      for (int k = 0; k < 4; ++k)
        if (CompareNoCase(v.c_str(), InterfaceKindName(k)) == 0) o->kind = k, o->kindGiven = true;
      if (!o->kindGiven) return *why = "--if takes TCP, S7ONLINE, CP_L2_1 or CP_L2_2, not " + v, false;
    } else if (a == "--plc") {
      if (!value("--plc", &o->plc)) return false;
    } else if (a == "--rack") {
      if (!value("--rack", &v) || !Number(v, 0, 31, &o->rack)) return *why = "--rack takes 0-31", false;
      o->rackGiven = true;
    } else if (a == "--slot") {
      if (!value("--slot", &v) || !Number(v, 0, 18, &o->slot)) return *why = "--slot takes 0-18", false;
      o->slotGiven = true;
    } else if (a == "--timeout") {
      if (!value("--timeout", &v) || !Number(v, 100, 30000, &o->timeoutMs))
        return *why = "--timeout takes 100-30000 (milliseconds)", false;
      o->timeoutGiven = true;
    } else if (a == "--name") {
      if (!value("--name", &v) || !ProgramText(v, "--name", &o->name, why)) return false;
      if (o->name.size() > 23) return *why = "--name takes at most 23 characters", false;
      o->nameGiven = true;
    } else if (a == "--family") {
      if (!value("--family", &v)) return false;
      o->family = Plc_FindFamily(v.c_str());
      if (o->family < 0)
        return *why = "--family takes S7-300, S7-1200, S7-1500, LOGO, S7-200, S7-200SMART or custom, not " + v, false;
      o->familyGiven = true;
    } else if (a == "--tsap") {
      if (!value("--tsap", &v) || !Plc_ParseTsapPair(v.c_str(), &o->localTsap, &o->remoteTsap))
        return *why = "--tsap takes LOCAL:REMOTE in hex, e.g. 0100:0200", false;
      o->tsapGiven = true;
    } else if (a == "--conn-type") {
      if (!value("--conn-type", &v)) return false;
      o->connType = Plc_FindConnType(v.c_str());
      if (o->connType < 0) return *why = "--conn-type takes pg, op or basic, not " + v, false;
      o->connTypeGiven = true;
    } else if (a == "--vat") {
      if (!value("--vat", &v) || !ProgramText(v, "--vat", &o->vat, why)) return false;
    } else if (a == "--trace") {
      if (!value("--trace", &v) || !ProgramText(v, "--trace", &o->trace, why)) return false;
    } else {
      *why = "unknown option " + a;
      return false;
    }
  }
  return true;
}

// The TSAPs belong to the families configured by them, the connection type
// to those addressed by rack and slot.
bool CheckFamilyOptions(const CliOptions& o, std::string* why) {
  const int family = o.familyGiven ? o.family : static_cast<int>(S7Family::Custom);
  if (o.tsapGiven && !Plc_TypedTsaps(family))
    return *why = std::string("--tsap does not go with --family ") + Plc_FamilyName(o.family) +
                  ", which is addressed by rack and slot",
           false;
  if (o.connTypeGiven && (o.tsapGiven || (o.familyGiven && Plc_TypedTsaps(o.family))))
    return *why = "--conn-type goes with the families addressed by rack and slot, not with TSAPs", false;
  return true;
}

bool IsMonitorOption(const std::string& a) {
  return a == "--interval" || a == "--count" || a == "--reconnect" || a == "--csv" || a == "--changed";
}

// A monitor option (--interval, --count, --reconnect, --csv, --changed) at
// args[*i], with its value.
bool ParseMonitorOption(const std::vector<std::string>& args, std::size_t* i, CliCommand* cmd, std::string* why) {
  const std::string& a = args[*i];
  if (a == "--reconnect") return cmd->reconnect = true;
  if (a == "--changed") return cmd->csvChangedOnly = true;
  if (*i + 1 >= args.size()) return *why = a + " needs a value", false;
  const std::string& v = args[++*i];
  if (a == "--interval" && !Number(v, 50, 3600000, &cmd->intervalMs))
    return *why = "--interval takes 50-3600000 (milliseconds)", false;
  if (a == "--count" && !Number(v, 1, 100000000, &cmd->count)) return *why = "--count takes a positive number", false;
  if (a == "--csv" && !ProgramText(v, "--csv", &cmd->csv, why)) return false;
  return true;
}

// One command at args[*i] with its arguments; *i is left after them.
bool ParseCommand(const std::vector<std::string>& args, std::size_t* i, CliOptions* o, std::string* why) {
  const CommandName* c = FindCommand(args[*i]);
  if (!c) return *why = "unknown command " + args[*i], false;
  CliCommand cmd{c->kind};
  for (++*i; *i < args.size() && !FindCommand(args[*i]); ++*i) {
    const std::string& a = args[*i];
    if ((c->kind == CommandKind::Monitor && IsMonitorOption(a)) || (c->kind == CommandKind::Diag && a == "--count")) {
      if (!ParseMonitorOption(args, i, &cmd, why)) return false;
      continue;
    }
    if (c->maxArgs >= 0 && static_cast<int>(cmd.args.size()) >= c->maxArgs)
      return *why = std::string(c->name) + ": unexpected argument " + a, false;
    std::string text;
    if (!ProgramText(a, c->name, &text, why)) return false;
    cmd.args.push_back(std::move(text));
  }
  if (static_cast<int>(cmd.args.size()) < c->minArgs) return *why = std::string(c->name) + " needs an argument", false;
  if (cmd.csvChangedOnly && cmd.csv.empty()) return *why = "--changed goes with --csv FILE", false;
  if (c->kind == CommandKind::Start && cmd.args[0] != "warm" && cmd.args[0] != "cold")
    return *why = "start takes warm or cold", false;
  if (c->kind == CommandKind::Diag && cmd.count > 0xFFFF) return *why = "diag --count takes 1-65535", false;
  if (c->kind == CommandKind::Szl && (!ListNumber(cmd.args[0], &cmd.szlId) || !ListNumber(cmd.args[1], &cmd.szlIndex)))
    return *why = "szl takes a list id and an index, 0-0xFFFF each (0x0011 or 17), not " + cmd.args[0] + " " +
                  cmd.args[1],
           false;
  // The table holds kVarTableSize variables: more would be dropped without
  // a word. Any number up to it is read or written, in as many requests as
  // it takes.
  if ((c->kind == CommandKind::Read || c->kind == CommandKind::Write) &&
      cmd.args.size() > static_cast<std::size_t>(kVarTableSize))
    return *why = std::string(c->name) + " takes at most " + std::to_string(kVarTableSize) + " definitions, not " +
                  std::to_string(cmd.args.size()),
           false;
  o->commands.push_back(std::move(cmd));
  return true;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CliOptions* o, std::string* why) {
  std::size_t i = 0;
  if (!ParseOptions(args, &i, o, why)) return false;
  if (o->help) return true;
  if (!CheckFamilyOptions(*o, why)) return false;
  if (i >= args.size()) return *why = "no command given", false;
  while (i < args.size())
    if (!ParseCommand(args, &i, o, why)) return false;
  return true;
}

const char* UsageText() {
  return R"USAGE(usage: tolvane-cli [--if TCP|S7ONLINE|CP_L2_1|CP_L2_2] [--plc ADDRESS] [--rack N] [--slot N]
                   [--family S7-300|S7-1200|S7-1500|LOGO|S7-200|S7-200SMART|custom]
                   [--tsap LOCAL:REMOTE] [--conn-type pg|op|basic]
                   [--timeout MS] [--name TEXT] [--vat FILE] [--trace FILE.pcap] [--raw]
                   COMMAND [ARGS] [COMMAND [ARGS]]...
commands:  connect | disconnect | partners | buspars | state | start warm|cold | stop
           clock | set-clock now|"YYYY-MM-DD hh:mm:ss[.mmm]" | login PASSWORD | logout
           read [DEFINITION]... | write DEFINITION=VALUE[,VALUE]...
           monitor [--interval MS] [--count N] [--reconnect] [--csv FILE [--changed]] | save FILE
           info | diag [--count N] | szl ID INDEX

Opens the interface and creates the connection (defaults: TCP, 192.168.1.1, rack 0, slot 2,
1000 ms), or loads them with the variables from a variable table file (--vat), then runs the
commands in order. The output is the log, as Tolvane's log pane shows it, in UTF-8 (--raw: the
program's code page 1250 bytes). ADDRESS is an IPv4 address for TCP, a station number 0-127
for the MPI/PROFIBUS interfaces.

--family names the PLC's family, which sets the rack and slot (S7-300: 0/2, S7-1200, S7-1500
and S7-200 SMART: 0/1) and the connection type (S7-200 SMART: basic, else pg), or for LOGO,
S7-200 and custom the TSAPs (LOGO 0100:0200, S7-200 1000:1001); --rack, --slot, --conn-type
and --tsap (hex, as configured in the PLC; alone it means custom) change them.

A DEFINITION is an address with count and type, e.g. "DB1.DBW2:3 (Int)", "MW10:1 (Word)",
"E0.0:8 (Bit)". read without one reads the table of --vat. Each write VALUE is read as the
element's display mode shows it: Dec+/- for Int (-12), Hex for Word (0x1f), Real (3.5),
Time (1m30s), Date/Time (2024.03.01, 12:30:00.000), Char ('A' as A or #65); give one value per
element, separated by commas.

monitor re-reads the variables every interval (default 1000 ms) and prints the lines that
changed, for N reads or until Ctrl+C; with --reconnect a lost connection is made again after
1, 2, 5, 10, then every 30 s, and the reading goes on. --csv also writes a row of every
element's value per read into FILE (UTF-8, ";" and decimal comma, as a spreadsheet opens it),
--changed only when a value changed. save writes the variables and the PLC to a .vat file.

info shows which CPU it is (order number, versions, names, serial number), its mode, LEDs,
protection, PDU and connections; diag its diagnostic buffer, newest entry first (--count: the
newest N); szl any system status list as records in hex (ID and INDEX as 0x0011 or 17). Some
small PLCs (LOGO!) stop answering when asked for these: nothing asks unless you do.

--trace records every frame sent and received into FILE.pcap, which Wireshark opens.

exit status: 0 when every operation succeeded; else the library error code (1-29) of the first
that failed; 64 bad usage or a refused value; 65 a variable table file that cannot be loaded;
74 a file that cannot be written (a variable table, the trace, the value log).

examples:
  tolvane-cli --plc 192.168.0.10 --name "Press 1" state clock
  tolvane-cli --plc 192.168.0.10 read "DB1.DBW2:3 (Int)" "MD4:1 (Real)"
  tolvane-cli --plc 192.168.0.10 write "DB1.DBW2:3 (Int)=1,-2,300" read
  tolvane-cli --vat press.vat monitor --interval 500 --count 10
  tolvane-cli --plc 192.168.0.20 --family S7-1200 read "DB1.DBD0:2 (Real)"
  tolvane-cli --plc 192.168.0.30 --family LOGO --tsap 0300:0200 monitor --reconnect
  tolvane-cli --vat press.vat monitor --interval 100 --csv press.csv --changed
  tolvane-cli --trace press.pcap --plc 192.168.0.10 state read "DB1.DBW2:3 (Int)"
  tolvane-cli --if S7ONLINE --plc 2 partners buspars state
  tolvane-cli --plc 192.168.0.10 info diag --count 10
  tolvane-cli --plc 192.168.0.10 szl 0x0011 0
)USAGE";
}
