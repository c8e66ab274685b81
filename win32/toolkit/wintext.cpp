// Conversions at the Win32 edge, over the one code page 1250 converter.
#include "win32/toolkit/wintext.h"

#include <cstring>

#include "res/codepage.h"
#include "res/strings.h"

std::wstring Wide(const char* text, std::size_t length) {
  const std::u16string utf16 = Utf16FromCp1250(text, length);
  return std::wstring(utf16.begin(), utf16.end());
}

std::wstring Wide(const char* text) { return text ? Wide(text, std::strlen(text)) : std::wstring(); }

std::wstring WideText(int id) { return Wide(LoadText(id)); }

bool Narrow(const wchar_t* text, std::size_t length, std::string* out) {
  const std::u16string utf16(text, text + length);
  return Cp1250FromUtf16(utf16.data(), utf16.size(), out);
}

bool GetWindowTextCp(HWND window, std::string* out) {
  // The length first: a field may hold more than any fixed buffer (a paste,
  // another program's WM_SETTEXT), and a cut text must not pass for whole.
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(window, text.data(), length + 1);
  return Narrow(text.data(), static_cast<std::size_t>(got > 0 ? got : 0), out);
}

void SetWindowTextCp(HWND window, const char* text) { SetWindowTextW(window, Wide(text).c_str()); }
