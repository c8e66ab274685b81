// Where the log lines of the variables library go: the application installs
// a sink, any thread may log.
#pragma once

#include <cstddef>

// ================================================================ the core's log lines
//
// A few things here write a line to the program's log: a variable the
// library refuses while a request is prepared, a refused key of a variable
// table file, a file that cannot be read or written. The application decides
// where such lines go by installing a sink (its main log); without one they
// are dropped. Lines may come from any thread, so the sink must take them
// from any thread; the text stays the caller's.
using VarsLogSink = void (*)(const char* text, std::size_t length);
void Vars_SetLogSink(VarsLogSink sink);
void Vars_Log(const char* text, std::size_t length);
