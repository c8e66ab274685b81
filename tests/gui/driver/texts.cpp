// Text reading across processes. WM_GETTEXT, LB_GETTEXT and CB_GETLBTEXT are
// marshalled by the system; the status bar's SB_GETTEXTW is not, and goes
// through memory allocated in the program (VirtualAllocEx, ReadProcessMemory).
#include "tests/gui/driver/texts.h"

#include <commctrl.h>

#include "tests/gui/driver/remote.h"

namespace gui {
namespace {

// Lines of a list (list box or combo box) by its count, length and text
// messages.
std::vector<std::wstring> Lines(HWND window, UINT countMsg, UINT lengthMsg, UINT textMsg) {
  std::vector<std::wstring> lines;
  const auto count = Send(window, countMsg, 0, 0);
  if (!count || *count < 0) return lines;
  for (LRESULT i = 0; i < *count; ++i) {
    const auto length = Send(window, lengthMsg, static_cast<WPARAM>(i), 0);
    if (!length || *length < 0) break;
    std::wstring line(static_cast<std::size_t>(*length) + 1, L'\0');
    const auto got = Send(window, textMsg, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line.data()));
    line.resize(got && *got >= 0 ? static_cast<std::size_t>(*got) : 0);
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace

std::string Utf8(const std::wstring& text) {
  const int size = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

std::optional<LRESULT> Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(result);
}

std::wstring WindowText(HWND window) {
  const auto length = Send(window, WM_GETTEXTLENGTH, 0, 0);
  if (!length || *length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(*length) + 1, L'\0');
  const auto got = Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(got && *got >= 0 ? static_cast<std::size_t>(*got) : 0);
  return text;
}

std::wstring ControlText(HWND parent, int id) {
  HWND control = GetDlgItem(parent, id);
  return control ? WindowText(control) : std::wstring();
}

std::vector<std::wstring> ListBoxLines(HWND listBox) {
  return Lines(listBox, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

std::wstring ListBoxLine(HWND listBox, int index) {
  const auto length = Send(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (!length || *length < 0) return {};
  std::wstring line(static_cast<std::size_t>(*length) + 1, L'\0');
  const auto got = Send(listBox, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(line.data()));
  line.resize(got && *got >= 0 ? static_cast<std::size_t>(*got) : 0);
  return line;
}

std::vector<std::wstring> ComboBoxLines(HWND comboBox) {
  return Lines(comboBox, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

int ComboBoxSelection(HWND comboBox) {
  const auto selection = Send(comboBox, CB_GETCURSEL, 0, 0);
  return selection ? static_cast<int>(*selection) : CB_ERR;
}

std::optional<std::vector<std::wstring>> StatusBarParts(HWND statusBar) {
  DWORD pid = 0;
  GetWindowThreadProcessId(statusBar, &pid);
  // SB_GETPARTS with no array only counts.
  const auto count = Send(statusBar, SB_GETPARTS, 0, 0);
  if (!count) return std::nullopt;
  std::vector<std::wstring> parts;
  for (LRESULT part = 0; part < *count; ++part) {
    const auto length = Send(statusBar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0);
    if (!length) return std::nullopt;
    const std::size_t chars = LOWORD(*length);
    RemoteBuffer buffer(pid, (chars + 1) * sizeof(wchar_t));
    if (!buffer.Address()) return std::nullopt;
    if (!Send(statusBar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(buffer.Address()))) {
      return std::nullopt;
    }
    std::wstring text(chars, L'\0');
    if (!buffer.Read(text.data(), chars * sizeof(wchar_t))) return std::nullopt;
    parts.push_back(std::move(text));
  }
  return parts;
}

}  // namespace gui
