// Texts across the Win32 edge. Inside, every text is code page 1250; the
// window functions get and give UTF-16 (the W functions only), so the
// Hungarian letters show right whatever the system's ANSI code page is.
#pragma once

#include <windows.h>

#include <string>

// The UTF-16 form of a code page 1250 text (null: empty).
std::wstring Wide(const char* text);
std::wstring Wide(const char* text, std::size_t length);
// The string table's text with that id, in UTF-16.
std::wstring WideText(int id);

// The code page 1250 form of a UTF-16 text: false, with *out untouched, when
// a character has no place in the code page (nothing becomes '?').
bool Narrow(const wchar_t* text, std::size_t length, std::string* out);

// A window's whole text, however long, in code page 1250; false as Narrow.
bool GetWindowTextCp(HWND window, std::string* out);
// Sets a window's text from code page 1250.
void SetWindowTextCp(HWND window, const char* text);
