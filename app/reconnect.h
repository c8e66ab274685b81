// Riding out a lost connection while the variables are monitored: after a
// read fails for want of a connection, the connection is made again after a
// pause that grows (1, 2, 5, 10, 30 s, then 30 s), and the monitor goes on
// reading once it is back. An outage is logged twice: one line when it
// begins and one, with its length, when it ends, not one per attempt.
//
// The record is a plain state machine over tick counts, so every sequence of
// events is tested without a clock; Reconnect_Attempt and the log lines are
// what it drives. Threads: the thread that monitors (the read window's own,
// the command line's main thread), the one that uses the connection.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/appstate.h"
#include "platform/platform.h"

enum class LinkState {
  Up,          // connected, reading as scheduled
  Waiting,     // lost; the next attempt is due at dueAt
  Connecting,  // an attempt is under way
};

struct Reconnect {
  LinkState state;
  int failedAttempts;      // in this outage
  std::uint32_t lostAt;    // tick count of the failed read
  std::uint32_t dueAt;     // tick count of the next attempt (Waiting)
};

// The pauses in ms: before the first attempt, then after each failed one.
inline constexpr std::uint32_t kReconnectPausesMs[] = {1000, 2000, 5000, 10000, 30000};

// Connected, no outage.
void Reconnect_Reset(Reconnect* r);

// Whether a failed read means the connection is gone (socket, time-out,
// refused or broken reply, not connected, access point), rather than a
// refusal that a new connection would only meet again (an item or header
// error).
bool Reconnect_IsLinkFailure(int error);

// A read failed with error. true when this begins an outage: the caller
// logs the loss (Reconnect_LogLost) and stops reading until Reconnect_Ended
// says the link is back. A failure that is no link failure changes nothing.
bool Reconnect_ReadFailed(Reconnect* r, int error, std::uint32_t now);

// ms until the next attempt (0: due now); 0 when not Waiting. The caller
// waits that long at most, on something it can cut short.
std::uint32_t Reconnect_WaitMs(const Reconnect* r, std::uint32_t now);
// true when an attempt is due now; the state is Connecting then.
bool Reconnect_Due(Reconnect* r, std::uint32_t now);
// An attempt ended with result (0 = connected). On success the link is Up
// and *outageMs the time since the loss (the caller logs Reconnect_LogBack);
// otherwise the next pause begins. Returns true on success.
bool Reconnect_Ended(Reconnect* r, int result, std::uint32_t now, std::uint32_t* outageMs);

// One attempt on the record's connection: what is left of it is closed and
// it is connected again, without log entries (the outage has its two lines).
// Blocks as S7_Connect does (up to the TCP connect's 2 s and the time-out).
int Reconnect_Attempt(AppState* app);

// The two lines of an outage, with the connection's name as its entries
// have it: "A kapcsolat megszakadt..." and "A kapcsolat helyreállt,
// kiesés : 5.2 mp".
void Reconnect_LogLost(const AppState* app);
void Reconnect_LogBack(const AppState* app, std::uint32_t outageMs);

// What a monitor does with the record on its tick, in two calls around its
// read. Reconnect_AfterFailure takes a failed read's result: an outage
// begins (its first line is logged) when it is a link failure; true while
// the monitor should go on (in an outage), false for a failure that
// reconnecting would not mend. Reconnect_Tick, while the link is down, makes
// the attempt that is due: Back when it succeeded (the outage's last line is
// logged; the monitor reads again at once), Down while it is still down, Up
// when there is no outage (the monitor reads as scheduled).
enum class ReconnectTick { Up, Down, Back };
bool Reconnect_AfterFailure(Reconnect* r, AppState* app, int result, std::uint32_t now);
ReconnectTick Reconnect_Tick(Reconnect* r, AppState* app, std::uint32_t now);

// The state for a status bar: "Kapcsolat rendben", or the outage so far and
// when the next attempt comes. Returns the length.
int Reconnect_StatusText(const Reconnect* r, std::uint32_t now, char* out, std::size_t size);
