// The request planner: a table of any size turned into the fewest requests
// the library's contract allows (at most 20 items, request and reply within
// the negotiated PDU), a variable larger than one reply split over several,
// neighbouring addresses read as one run; then run through the library's
// request functions, with each variable's values and result joined back
// exactly as separate reads or writes would leave them.
//
// Threads: a plan is plain data that any thread may build; it is the
// caller's until VarPlan_Free. VarPlan_Run uses the connection: call it on
// the thread that uses that connection, with the variables' blocks left
// alone until it returns. Nothing here takes a lock.
#pragma once

#include <cstdint>

#include "s7lib/s7lib.h"

struct PlcVariable;

enum class PlanDirection { Read, Write };

// Whether neighbours of one area and data block are read as one run: where
// that costs fewer bytes than separate items, and where the items rather
// than the bytes bound the requests, also across the narrowest gaps while
// that saves a request (the gap's bytes are read and dropped). The default
// keeps a table that fits one request exactly as it always went: one item
// per variable. Writes never merge, whatever is asked.
enum class PlanMerge {
  WhenSeveral,  // only when the table needs more than one request
  Always,
  Never,
};

struct PlanOptions {
  PlanDirection direction = PlanDirection::Read;
  PlanMerge merge = PlanMerge::WhenSeveral;
};

// The library's limits a request must keep.
inline constexpr int kPlanMaxItems = 20;
inline constexpr int kPlanRequestHeader = 12;  // header, function and item count
inline constexpr int kPlanReplyHeader = 14;    // acknowledgement header, function and item count
inline constexpr int kPlanItemBytes = 12;      // a request item
inline constexpr int kPlanDataHeader = 4;      // a data item's header, in a reply or a write

// One run of bytes or elements as the plan reads or writes it, before it is
// cut into the pieces the requests carry: one variable, or (merged) the
// bytes from the first to the last of several neighbours.
struct PlanChunk {
  std::int32_t variable;   // the variable; −1 for a merged run (its parts say whose bytes)
  std::int32_t type, area, dbNumber, start, bit;  // as S7_AddVar takes them (Byte for a merged run)
  std::int32_t units;      // elements (bytes of a merged run; whole bytes of a run of bits)
  std::int32_t unitBytes;  // wire bytes of one unit
  std::int32_t firstPart, partCount;  // a merged run's parts
  std::int32_t scratch;    // a merged run's offset in the run's scratch bytes
  std::int32_t refused;    // 0, or the library's code for a variable that cannot be sent at all
};

// A variable inside a merged run: its first byte's offset in the run.
struct PlanPart {
  std::int32_t variable;
  std::int32_t offset;
};

// One item of a request: units [first, first + units) of a chunk.
struct PlanItem {
  std::int32_t chunk;
  std::int32_t first;
  std::int32_t units;
};

// One request: its items, and the request and expected reply sizes the
// library counts for it (S7_GetRequestSize, S7_GetReplySize).
struct PlanRequest {
  std::int32_t firstItem, itemCount;
  std::int32_t requestBytes, replyBytes;
};

struct VarPlan {
  PlanDirection direction;
  std::int32_t pduSize;
  std::int32_t variableCount;
  PlanChunk* chunks;
  std::int32_t chunkCount;
  PlanPart* parts;
  std::int32_t partCount;
  PlanItem* items;
  std::int32_t itemCount;
  PlanRequest* requests;
  std::int32_t requestCount;
  std::int32_t scratchBytes;  // the merged runs' bytes, which a read needs as scratch
  std::int32_t merged;        // whether any chunk is a merged run
};

// Plans reading or writing count variables at the PDU size. 1 on success;
// 0 without memory or for a PDU too small for one request (the plan is then
// empty). Variables the library refuses outright (bad type, area, bit or
// count, no block, sizes that do not fit the block) get a chunk of their own
// with its code and no item. The arrays are runtime heap blocks the plan owns.
int VarPlan_Build(const PlcVariable* vars, int count, int pduSize, PlanOptions options, VarPlan* plan);
void VarPlan_Free(VarPlan* plan);

// 0 when a request can carry the variable, else the library's code for why
// not: what S7_AddVar refuses (type, area, bit, count), 24 for a record
// without a block or with sizes its block does not hold, 19 for an address
// beyond what a request item holds.
int VarPlan_Refusal(const PlcVariable* var);

// The S7_AddVar arguments of a plan's item: a variable's own item converts
// into its slots, a merged run's goes unconverted into the scratch bytes
// (scratchBytes of them) at the run's offset. For callers that send or look
// at the requests themselves; VarPlan_Run sends exactly these.
struct PlanItemArgs {
  unsigned type, area;
  int dbNumber, start, bit, count, convert;
  void* values;
};
PlanItemArgs VarPlan_ItemArgs(const VarPlan* plan, std::int32_t item, PlcVariable* vars, std::uint8_t* scratch);

// The totals of a plan, for status texts: the request and reply bytes the
// library counts over all its requests.
struct PlanTotals {
  std::int32_t requests;
  std::int32_t requestBytes;
  std::int32_t replyBytes;
};
PlanTotals VarPlan_Totals(const VarPlan* plan);

// What a transfer left for one variable.
struct VarTransferResult {
  std::int32_t error;     // S7_OK, or the library's code: 27 an item the PLC refused (itemCode),
                          // 12 a request refused as a whole (ext), 14 no answer, ...
  std::int32_t ext;       // the extended code that came with the error, else 0
  std::int32_t itemCode;  // the PLC's return code of the refused item, 0xFF when there is none
  std::int32_t pieces;    // items its elements went in
  std::int32_t piecesDone;  // of those, the ones the PLC took (a write: the parts written)
  std::int32_t lost;      // 1 when a lost link failed it (its items unsent, or in flight)
};

// What a whole transfer did.
struct VarTransferSummary {
  std::int32_t result;    // the first failure (the lost link's code when that ended it), else 0
  std::int32_t ext;
  std::int32_t requests;  // requests sent, re-reads of merged runs included
  std::int32_t failed;    // variables with an error
  std::int32_t lostLink;  // 0, or the code that ended the transfer before its last request
  std::int32_t lostVariables;  // variables that code failed (sent or not)
};

// Runs the plan on the connection for the same variables it was built from
// (results: one per variable). Reads fill the variables' value slots; a
// merged run the PLC refuses is read again one variable at a time, so that
// each variable ends with its own values and code. A request the PLC
// refuses marks its variables and the rest go on; a lost link (no answer,
// a socket or access point failure, not connected) ends the transfer and
// fails every variable not yet done with its code. Returns summary->result.
int VarPlan_Run(const VarPlan* plan, S7Connection* conn, PlcVariable* vars, VarTransferResult* results,
                VarTransferSummary* summary);
