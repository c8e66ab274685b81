// A table larger than one request: when it needs the planner, what the
// variable list prepares for it, and its run with the log entry that
// follows. A table that fits one request never comes here, so its wire
// bytes and log lines stay what they always were.
#include "app/tabletransfer.h"

#include "app/logoperation.h"
#include "runtime/runtime.h"

namespace {

PlanOptions OptionsFor(Transfer direction) {
  return {direction == Transfer::Write ? PlanDirection::Write : PlanDirection::Read, PlanMerge::WhenSeveral};
}

bool Build(AppState* app, Transfer direction, VarPlan* plan) {
  VariableTable* table = &app->table;
  return VarPlan_Build(table->vars, VarTable_Count(table), S7_GetPduSize(app->conn), OptionsFor(direction), plan) ==
         1;
}

}  // namespace

bool Table_NeedsPlan(AppState* app, Transfer direction, VarPlan* plan) {
  *plan = VarPlan{};
  // Without a PDU size (no connection) the library's own request says why.
  if (S7_GetPduSize(app->conn) <= 0 || !Build(app, direction, plan)) return false;
  if (plan->requestCount > 1) return true;
  VarPlan_Free(plan);
  return false;
}

int Table_PreparePlan(AppState* app, Transfer direction, VarPlan* plan) {
  const int rc = direction == Transfer::Write ? S7_MultiWrite_Begin(app->conn) : S7_MultiRead_Begin(app->conn);
  if (rc != S7_OK) return rc;
  // The plan holds places in the table: a table that lost variables is
  // planned again.
  if (VarTable_DropRefused(&app->table) > 0) {
    VarPlan_Free(plan);
    if (!Build(app, direction, plan)) return S7_ERR_NO_MEMORY;
  }
  return S7_OK;
}

int Table_Prepare(AppState* app, Transfer direction, VarPlan* plan) {
  if (!Table_NeedsPlan(app, direction, plan))
    return VarTable_PrepareRequest(&app->table, app->conn, direction == Transfer::Write ? 1 : 0);
  const int rc = Table_PreparePlan(app, direction, plan);
  if (rc != S7_OK) VarPlan_Free(plan);
  return rc;
}

int Table_RunPlan(AppState* app, const VarPlan* plan, TransferLog log, int* requests) {
  const bool write = plan->direction == PlanDirection::Write;
  const int operation = kLogOperationBase + (write ? S7_OP_MULTI_WRITE : S7_OP_MULTI_READ);
  const int count = plan->variableCount;
  auto* results = static_cast<VarTransferResult*>(Rt_Alloc(0, sizeof(VarTransferResult) * static_cast<std::size_t>(count) + 1));
  VarTransferSummary summary{};
  if (!results) {
    summary.result = S7_ERR_NO_MEMORY;
  } else {
    VarPlan_Run(plan, app->conn, app->table.vars, results, &summary);
  }
  if (requests) *requests = summary.requests;
  if (log == TransferLog::Always || summary.result != S7_OK)
    LogTransfer(operation, &summary, results, &app->table);
  Rt_Free(results);
  return summary.result;
}
