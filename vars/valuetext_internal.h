// What value text and the value reader share: the duration text of the Time
// view, which the reader also uses to show the limits of a duration.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vars/format_internal.h"

// «1d1h1m1s1ms», «-5s», «0ms»: the parts that are not zero (milliseconds
// also when nothing else was written). Bounded by size; returns the length.
int FormatDurationText(char* out, std::size_t size, std::int64_t milliseconds);
