// The wire trace as a command of both front ends: "Nyomkövetés" in the main
// window's menu and tolvane-cli --trace. Starting and ending it writes a log
// line each; a trace that a failed write ends is told once, in the log.
//
// Threads: the user-interface thread (the command line's main thread) starts
// and stops it. The one report of a failure comes from whichever thread's
// exchange found it: that thread or the read window's, which holds the main
// window (and so this command) while it runs.
#pragma once

#include <cstdint>

// Starts a trace into path (code page 1250), ending a running one first.
// 0, or the Windows error code that kept the file from being made (logged).
std::uint32_t Cmd_TraceStart(const char* path);
// Ends a running trace once every frame so far is in the file; nothing
// without one. Returns what ended the last trace started early (a failure,
// already logged), else 0.
std::uint32_t Cmd_TraceStop();
bool Cmd_TraceIsOn();
