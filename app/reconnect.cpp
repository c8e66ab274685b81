// The reconnection state machine, its attempts and its log lines.
#include "app/reconnect.h"

#include "app/logpane.h"
#include "res/strings.h"

namespace {

constexpr int kPauseCount = static_cast<int>(sizeof kReconnectPausesMs / sizeof kReconnectPausesMs[0]);

std::uint32_t PauseAfter(int failedAttempts) {
  return kReconnectPausesMs[failedAttempts < kPauseCount ? failedAttempts : kPauseCount - 1];
}

// Tick counts wrap after 49 days: compare by difference.
bool Reached(std::uint32_t now, std::uint32_t due) { return static_cast<std::int32_t>(now - due) >= 0; }

void LogLine(const AppState* app, int id, std::uint32_t tenths) {
  char name[24] = "";
  if (app->conn) S7_GetConnectionName(app->conn, name);
  HeapText line;
  line.Format(LoadText(id), name, name[0] != '\0', static_cast<int>(tenths));
  std::size_t length = 0;
  char* text = line.Take(&length);
  if (text) LogWrite(MainLogPane(), text, length, LogOwnership::LogReleases);
}

}  // namespace

void Reconnect_Reset(Reconnect* r) { *r = Reconnect{LinkState::Up, 0, 0, 0}; }

bool Reconnect_IsLinkFailure(int error) {
  switch (error) {
    case S7_ERR_NOT_CONNECTED:
    case S7_ERR_SCP:
    case S7_ERR_SOCKET:
    case S7_ERR_TIMEOUT:
    case S7_ERR_BAD_REPLY:
    case S7_ERR_REFUSED: return true;
    default: return false;
  }
}

bool Reconnect_ReadFailed(Reconnect* r, int error, std::uint32_t now) {
  if (r->state != LinkState::Up || !Reconnect_IsLinkFailure(error)) return false;
  r->state = LinkState::Waiting;
  r->failedAttempts = 0;
  r->lostAt = now;
  r->dueAt = now + PauseAfter(0);
  return true;
}

std::uint32_t Reconnect_WaitMs(const Reconnect* r, std::uint32_t now) {
  if (r->state != LinkState::Waiting || Reached(now, r->dueAt)) return 0;
  return r->dueAt - now;
}

bool Reconnect_Due(Reconnect* r, std::uint32_t now) {
  if (r->state != LinkState::Waiting || !Reached(now, r->dueAt)) return false;
  r->state = LinkState::Connecting;
  return true;
}

bool Reconnect_Ended(Reconnect* r, int result, std::uint32_t now, std::uint32_t* outageMs) {
  if (r->state != LinkState::Connecting) return false;
  if (result == S7_OK) {
    if (outageMs) *outageMs = now - r->lostAt;
    r->state = LinkState::Up;
    r->failedAttempts = 0;
    return true;
  }
  ++r->failedAttempts;
  r->state = LinkState::Waiting;
  r->dueAt = now + PauseAfter(r->failedAttempts);
  return false;
}

int Reconnect_Attempt(AppState* app) {
  if (!app->conn) return S7_ERR_BAD_CONNECTION;
  // A read that failed on a broken socket leaves the connection marked as
  // connected; S7_Connect would then send nothing.
  S7_Disconnect(app->conn);
  return S7_Connect(app->conn);
}

void Reconnect_LogLost(const AppState* app) { LogLine(app, IDS_LOG_LINK_LOST, 0); }

void Reconnect_LogBack(const AppState* app, std::uint32_t outageMs) {
  LogLine(app, IDS_LOG_LINK_BACK, (outageMs + 50) / 100);
}

bool Reconnect_AfterFailure(Reconnect* r, AppState* app, int result, std::uint32_t now) {
  if (r->state != LinkState::Up) return true;
  if (!Reconnect_ReadFailed(r, result, now)) return false;
  Reconnect_LogLost(app);
  return true;
}

ReconnectTick Reconnect_Tick(Reconnect* r, AppState* app, std::uint32_t now) {
  if (r->state == LinkState::Up) return ReconnectTick::Up;
  if (!Reconnect_Due(r, now)) return ReconnectTick::Down;
  // The attempt may take seconds: its end is when the next pause starts,
  // and when the outage ended.
  const std::uint32_t started = Plat_TickCount();
  const int rc = Reconnect_Attempt(app);
  const std::uint32_t end = now + (Plat_TickCount() - started);
  std::uint32_t outage = 0;
  if (!Reconnect_Ended(r, rc, end, &outage)) return ReconnectTick::Down;
  Reconnect_LogBack(app, outage);
  return ReconnectTick::Back;
}

int Reconnect_StatusText(const Reconnect* r, std::uint32_t now, char* out, std::size_t size) {
  const int outage = static_cast<int>((now - r->lostAt) / 1000);
  switch (r->state) {
    case LinkState::Up: return FormatTextN(out, size, "%s", TextId(IDS_LINK_UP));
    case LinkState::Waiting:
      return FormatTextN(out, size, LoadText(IDS_LINK_WAITING), outage,
                         static_cast<int>((Reconnect_WaitMs(r, now) + 999) / 1000));
    case LinkState::Connecting: return FormatTextN(out, size, LoadText(IDS_LINK_CONNECTING), outage);
  }
  return 0;
}
