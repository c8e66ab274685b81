// The texts of the main window worked out from the application record and
// the paths, without a window: status part 1, the title with the current
// file's name, the default file name next to the program, and the file named
// on the command line. All texts are code page 1250 and every result is
// bounded by the size given.
//
// Threads: any; they only read what they are given.
#pragma once

#include <cstddef>

#include "app/appstate.h"

// What status part 1 shows: the connection's PLC (" TCP : 192.168.1.1, Rack :
// 0, Slot : 2 (Press 1)"), else the interface kind alone, else nothing. It
// tells what the record holds, not whether the connection is connected.
int Status_PlcText(const AppState* app, char* out, std::size_t size);

// The name part of a path: what follows its last backslash or slash.
const char* Path_NamePart(const char* path);

// The title: string 1001, and with a file " - " and the file's name part,
// within 255 characters.
inline constexpr std::size_t kTitleSize = 256;
enum class TitleFile { Without, With };
int Title_Text(TitleFile file, const char* path, char* out, std::size_t size);

// The default variable table file: the program's path with the extension of
// its name part replaced by ".vat" (a name without one gets it appended).
// Empty when it does not fit (MAX_PATH, 260, with the terminating zero).
inline constexpr std::size_t kPathSize = 260;
int Path_DefaultTableFile(const char* programPath, char* out, std::size_t size);

// The command line after the program's name (which may be quoted and hold
// blanks) and the blanks that follow it.
const char16_t* CommandLine_Tail(const char16_t* commandLine);
// The first argument of a command-line tail: leading blanks skipped, then
// characters up to a blank or control character outside double quotes, which
// toggle quoting and are not copied; at most size - 1 characters (259 for a
// path). Returns the length.
int CommandLine_FirstArgument(const char16_t* tail, char16_t* out, std::size_t size);
