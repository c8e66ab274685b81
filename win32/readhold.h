// The main window's side of the read window (app/readsession.h carried out):
// the main window held, without commands, from the opening until the window
// hands it back; the window's thread started, and known by its sequence
// number when its end message comes; a close of the program that waits for
// that thread, within the shutdown's time limit; and at a fault, the thread
// parked before anything it uses is freed.
//
// Threads: the user-interface thread.
#pragma once

#include <cstdint>

#include "app/readsession.h"

// Opens the read window (see ReadSession_Open). false when one exists
// already, or its thread could not be started (the main window is then given
// back).
bool ReadHold_Open(ReadStart start);
// Whether commands wait: a read window exists or is about to.
bool ReadHold_Holding();
// Whether a read window exists, is about to, or its thread is still ending.
bool ReadHold_Running();

// The main window's messages: kWmReadWindowClosing, kWmThreadEnded.
void ReadHold_WindowClosing();
void ReadHold_ThreadEnded(std::uint32_t sequence);

// The program is to end: with a read window, it is asked to close and the
// main window is destroyed once its thread has ended; without one, at once.
void ReadHold_CloseProgram();

// Before the shutdown frees the interface, the log and the table: the
// window's thread is asked to close and given up to waitMs to end; a thread
// that is still inside a read then is suspended where it is, so that it
// never touches what is freed. Sent messages are served meanwhile (the
// window's close sends one to this thread).
void ReadHold_Park(std::uint32_t waitMs);
