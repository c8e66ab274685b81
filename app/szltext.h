// What the system status lists mean in the program's words: the text of a
// diagnostic event (or, for an event without one, its class and marks read
// from the id), CPU mode, mode switch and LED names, and the one line per
// diagnostic buffer entry that the window, the text file and tolvane-cli
// show. The library decodes the bytes; these turn the records into texts.
//
// Threads: any thread started by the runtime (the formatting follows the
// calling thread's locale word). Texts are the string table's, or written
// into the caller's buffers, always zero-terminated and cut to their size.
#pragma once

#include <cstddef>
#include <cstdint>

#include "s7lib/s7lib.h"

// The event's own text, or null for an event the program has no text for.
const char* Diag_KnownEventText(std::uint16_t id);

// The event's text: its own, else its class (bits 12-15), whether it is
// coming or going (bit 8) and its error marks (bits 10 and 11). Returns the
// length written.
int Diag_EventText(std::uint16_t id, char* out, std::size_t size);

// One line of the diagnostic buffer: time stamp with milliseconds (dashes
// when the CPU's stamp is no valid date), the event id in hex, the text.
// No line end. Returns the length written.
inline constexpr std::size_t kDiagLineMax = 160;
int Diag_FormatLine(const S7DiagEntry* entry, char* out, std::size_t size);

// Names: a CPU mode (the low or high nibble of list 0x0424's mode byte), a
// mode switch position (list 0x0232), an LED by its id (list 0x0074).
const char* Szl_ModeText(int mode);
const char* Szl_SwitchText(int position);
int Szl_LedName(std::uint16_t id, char* out, std::size_t size);
