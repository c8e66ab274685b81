// Reading what a driven program shows: window and control texts, list box and
// combo box lines, and the parts of a status bar. Texts come as UTF-16 through
// the W messages, so ő and ű arrive as they are shown.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace gui {

// Sent messages give up after this long, so a hung program fails the test
// instead of hanging it.
inline constexpr UINT kSendTimeoutMs = 5000;

std::wstring WindowText(HWND window);
std::wstring ControlText(HWND parent, int id);

std::vector<std::wstring> ListBoxLines(HWND listBox);
// One line of a list box (empty when there is no such line): a long list is
// watched line by line rather than read whole each time.
std::wstring ListBoxLine(HWND listBox, int index);
std::vector<std::wstring> ComboBoxLines(HWND comboBox);
int ComboBoxSelection(HWND comboBox);  // CB_ERR (-1) when none

// The texts of a status bar's parts. The status bar messages carry pointers
// that are not carried across processes, so the texts are read through a
// buffer in the owning process's memory.
std::optional<std::vector<std::wstring>> StatusBarParts(HWND statusBar);

// A text for a test's failure message (gtest prints UTF-8).
std::string Utf8(const std::wstring& text);

// SendMessageTimeoutW with kSendTimeoutMs; nothing when the window did not
// answer in time.
std::optional<LRESULT> Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace gui
