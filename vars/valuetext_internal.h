// What value text and the value reader share: the duration text of the Time
// view, which the reader also uses to show the limits of a duration.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vars/format_internal.h"

// «1d1h1m1s1ms», «-5s», «0ms»: the parts that are not zero (milliseconds
// also when nothing else was written). Bounded by size; returns the length.
int FormatDurationText(char* out, std::size_t size, std::int64_t milliseconds);
// The same from a magnitude and a sign, with the nanoseconds below the last
// millisecond (0-999,999) written as its fraction where they are not zero.
int FormatDurationParts(char* out, std::size_t size, bool negative, std::uint64_t milliseconds,
                        std::uint32_t belowMs);

// The newer types' texts (longtext.cpp), bounded by size, returning the
// length: an LReal's shortest round-trip digits; an LTime in nanoseconds as
// a duration with up to six digits after the milliseconds; an LDT or DTL
// (nanoseconds since 1970) as date and time, an LTOD as time of day, with
// nine fraction digits where the nanoseconds are not whole milliseconds; a
// WChar as its letter or escape, quoted with its code unless bare.
int FormatLongReal(char* out, std::size_t size, std::uint64_t bits);
int FormatLongDuration(char* out, std::size_t size, std::int64_t nanos);
int FormatLongDateTime(char* out, std::size_t size, int type, std::int64_t nanos);
int FormatWideChar(char* out, std::size_t size, char16_t unit, bool bare);
// A DTL's 12 bytes field by field, checked or not.
int FormatDtlText(char* out, std::size_t size, const std::uint8_t* wire12);
