// The application record and the front end in charge.
#include "app/appstate.h"

#include <atomic>
#include <cstring>

#include "app/dialogrules.h"
#include "app/frontend.h"

namespace {
AppState g_app;
std::atomic<FrontEnd*> g_frontEnd{nullptr};
}  // namespace

void AppState_Reset(AppState* app) {
  std::memset(app, 0, sizeof *app);
  app->plc.address = Plc_DefaultIpAddress();
  app->plc.timeoutMs = 1000;
  app->plc.slot = 2;
}

void AppState_ClearVariables(AppState* app) { VarTable_Clear(&app->table); }

AppState* TheAppState() { return &g_app; }

FrontEnd* TheFrontEnd() { return g_frontEnd.load(); }

void SetFrontEnd(FrontEnd* frontEnd) { g_frontEnd.store(frontEnd); }
