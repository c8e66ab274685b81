// Posted commands and synthesized keyboard input. Without a window manager
// nothing gives a window the focus by itself, so every keystroke goes to a
// window that was first brought to the foreground.
#include "tests/gui/driver/input.h"

#include <vector>

#include "tests/gui/driver/windowfind.h"

namespace gui {
namespace {

INPUT Key(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return in;
}

INPUT UnicodeKey(wchar_t c, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wScan = c;
  in.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
  return in;
}

bool Send(std::vector<INPUT>& inputs) {
  return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

}  // namespace

bool PostCommand(HWND window, int id) {
  return PostMessageW(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0) != 0;
}

bool Activate(HWND window, DWORD timeoutMs) {
  if (GetForegroundWindow() == window) return true;
  SetForegroundWindow(window);
  return WaitUntil([&] { return GetForegroundWindow() == window; }, timeoutMs);
}

bool PressKeys(HWND window, std::initializer_list<WORD> keys) {
  if (!Activate(window)) return false;
  std::vector<INPUT> inputs;
  for (WORD vk : keys) inputs.push_back(Key(vk, false));
  for (auto it = keys.end(); it != keys.begin();) inputs.push_back(Key(*--it, true));
  return Send(inputs);
}

bool InMenuMode(HWND window) {
  GUITHREADINFO info{sizeof info};
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && (info.flags & GUI_INMENUMODE);
}

namespace {

// The button pressed count times at the point: twice is a double click, its
// presses in one batch so that nothing comes between them.
bool MouseClicks(HWND window, POINT client, bool right, int count) {
  if (!Activate(GetAncestor(window, GA_ROOT))) return false;
  POINT at = client;
  ClientToScreen(window, &at);
  // Absolute positions run from 0 to 65536 across the primary screen; the
  // middle of a pixel's share, so rounding either way lands on it.
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  auto event = [&](DWORD flags) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = static_cast<LONG>((at.x * 65536LL + 32768) / w);
    in.mi.dy = static_cast<LONG>((at.y * 65536LL + 32768) / h);
    in.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
    return in;
  };
  // The pointer is there before the button goes down: a busy system may
  // otherwise press it where the pointer was.
  std::vector<INPUT> move{event(0)};
  if (!Send(move)) return false;
  WaitUntil([&] {
    POINT now{};
    return GetCursorPos(&now) && now.x == at.x && now.y == at.y;
  }, 2000);
  std::vector<INPUT> press;
  for (int i = 0; i < count; ++i) {
    press.push_back(event(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN));
    press.push_back(event(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP));
  }
  return Send(press);
}

}  // namespace

bool MouseClick(HWND window, POINT client, bool right) { return MouseClicks(window, client, right, 1); }

bool DoubleClick(HWND window, POINT client) { return MouseClicks(window, client, false, 2); }

bool TypeText(HWND window, std::wstring_view text) {
  if (!Activate(window)) return false;
  std::vector<INPUT> inputs;
  for (wchar_t c : text) {
    const SHORT scan = VkKeyScanW(c);
    if (scan == -1) {
      // No key for it on this layout: the character itself.
      inputs.push_back(UnicodeKey(c, false));
      inputs.push_back(UnicodeKey(c, true));
      continue;
    }
    const WORD vk = LOBYTE(scan);
    const BYTE shifts = HIBYTE(scan);
    std::vector<WORD> held;
    if (shifts & 1) held.push_back(VK_SHIFT);
    if (shifts & 2) held.push_back(VK_CONTROL);
    if (shifts & 4) held.push_back(VK_MENU);
    for (WORD h : held) inputs.push_back(Key(h, false));
    inputs.push_back(Key(vk, false));
    inputs.push_back(Key(vk, true));
    for (auto it = held.rbegin(); it != held.rend(); ++it) inputs.push_back(Key(*it, true));
  }
  return Send(inputs);
}

bool ClickCloseButton(HWND window) {
  RECT r{};
  if (!GetWindowRect(window, &r)) return false;
  const int y = r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
  for (int x = r.right - 1; x > r.right - 120 && x > r.left; --x) {
    DWORD_PTR hit = 0;
    if (!SendMessageTimeoutW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 5000, &hit)) return false;
    if (hit != HTCLOSE) continue;
    // Another window over the button would get the click.
    if (!Activate(window) || !WaitUntil([&] { return GetAncestor(WindowFromPoint({x, y}), GA_ROOT) == window; })) {
      return false;
    }
    // Move, press and release in one go, the position carried by each event
    // (a separate SetCursorPos may reach the window after the press).
    INPUT click[3] = {};
    for (INPUT& in : click) {
      in.type = INPUT_MOUSE;
      in.mi.dx = static_cast<LONG>((static_cast<LONGLONG>(x) * 65535) / (GetSystemMetrics(SM_CXSCREEN) - 1));
      in.mi.dy = static_cast<LONG>((static_cast<LONGLONG>(y) * 65535) / (GetSystemMetrics(SM_CYSCREEN) - 1));
      in.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    }
    click[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    click[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    return SendInput(3, click, sizeof(INPUT)) == 3;
  }
  return false;
}

}  // namespace gui
