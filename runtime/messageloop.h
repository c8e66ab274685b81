// The Windows side of the runtime: each window thread's message loop, driven
// by the loop, accelerator and dialog fields of its ThreadContext, and the
// process-wide filter that keeps a fault on a worker thread from ending the
// whole program. Windows build only.
#pragma once

// Runs the calling thread's message loop until WM_QUIT or until the thread's
// loop flag is cleared. Messages for the record's dialog window go through
// dialog handling, those for its accelerator window through its accelerator
// table. Returns the WM_QUIT parameter, or −1 when the loop flag was cleared
// or getting a message failed (then *errorFlag, if given, is 1).
int RunMessageLoop(int* errorFlag);

// Installs the filter for faults nothing else handles (an access violation,
// a division by zero): on a thread started with StartThread the fault ends
// that thread alone, with the fault's code as its exit code and its end
// message posted as usual; on the main thread onMainThreadFault runs (it
// should not return: it ends the program its own way); on any other thread
// the system decides.
void Rt_InstallFaultFilter(void (*onMainThreadFault)(unsigned code));
