// PNG screenshots of a driven program, taken from the screen as a user sees
// it: frame, title bar, menu bar, and any popup menu or dialog of the same
// program that lies over or beside the window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace gui {

// The directory screenshots go to: TOLVANE_SCREENSHOT_DIR (a Windows path;
// scripts/gui-run.sh turns the build's Unix path into one, and names
// build/win/screenshots when it is unset), or "screenshots" beside the
// running program.
std::wstring ScreenshotDirectory();

// Captures window and the process's other visible top-level windows into
// <directory>\<name>.png. The file's path, or empty with the reason in *error.
std::wstring Screenshot(HWND window, const std::wstring& name, std::wstring* error = nullptr);

// The pixels of window's client area as the screen shows them, top-down RGB
// rows; false when it is not on the screen.
bool ClientPixels(HWND window, std::vector<std::uint8_t>* rgb, int* width, int* height);

}  // namespace gui
