// Everything a GUI test uses to drive a Win32 program from outside: start and
// end it, find its windows, read what they show, post commands, type keys,
// work its dialog controls, take screenshots.
#pragma once

#include "tests/gui/driver/controls.h"
#include "tests/gui/driver/gui_test.h"
#include "tests/gui/driver/input.h"
#include "tests/gui/driver/process.h"
#include "tests/gui/driver/screenshot.h"
#include "tests/gui/driver/texts.h"
#include "tests/gui/driver/windowfind.h"
