// Screen capture through the screen's device context into a 32-bit DIB,
// written as PNG by EncodePng. The program is first made to paint everything
// pending, and since Wine copies window contents to the display a moment
// after painting, the screen is read until two reads agree.
#include "tests/gui/driver/screenshot.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "tests/gui/driver/png.h"
#include "tests/gui/driver/windowfind.h"

namespace gui {
namespace {

bool Fail(std::wstring* error, const std::wstring& why) {
  if (error) *error = why;
  return false;
}

constexpr int kMaxReads = 20;
constexpr DWORD kReadPauseMs = 50;

// The rectangle that shows window and everything its process has open; each
// of those windows is repainted on the way (the paint messages are sent, so
// this returns once the program has drawn).
RECT CaptureArea(HWND window) {
  RECT area{};
  GetWindowRect(window, &area);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  for (HWND other : TopLevelWindows(pid)) {
    RedrawWindow(other, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT r{};
    if (GetWindowRect(other, &r)) UnionRect(&area, &area, &r);
  }
  const RECT screen = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                       GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                       GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  IntersectRect(&area, &area, &screen);
  return area;
}

// Top-down RGB rows of the screen rectangle.
bool CaptureRgb(const RECT& area, std::vector<std::uint8_t>* rgb, std::wstring* error) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return Fail(error, L"the window is not on the screen");
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT) != 0;
    GdiFlush();
    SelectObject(memory, old);
    if (ok) {
      const auto* bgrx = static_cast<const std::uint8_t*>(bits);
      rgb->resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
      for (std::size_t i = 0, n = rgb->size() / 3; i < n; ++i) {
        (*rgb)[i * 3] = bgrx[i * 4 + 2];
        (*rgb)[i * 3 + 1] = bgrx[i * 4 + 1];
        (*rgb)[i * 3 + 2] = bgrx[i * 4];
      }
    }
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok || Fail(error, L"cannot copy from the screen");
}

}  // namespace

std::wstring ScreenshotDirectory() {
  wchar_t value[MAX_PATH * 4];
  const DWORD n = GetEnvironmentVariableW(L"TOLVANE_SCREENSHOT_DIR", value, static_cast<DWORD>(std::size(value)));
  if (n > 0 && n < std::size(value)) return std::wstring(value, n);
  // Beside the program rather than in the current directory: a run started
  // from the source tree would otherwise leave its pictures among the sources.
  const DWORD len = GetModuleFileNameW(nullptr, value, static_cast<DWORD>(std::size(value)));
  if (len == 0 || len >= std::size(value)) return L"screenshots";
  return std::filesystem::path(std::wstring(value, len)).parent_path().wstring() + L"\\screenshots";
}

bool ClientPixels(HWND window, std::vector<std::uint8_t>* rgb, int* width, int* height) {
  RECT area{};
  if (!GetClientRect(window, &area)) return false;
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
  *width = area.right - area.left;
  *height = area.bottom - area.top;
  return CaptureRgb(area, rgb, nullptr);
}

std::wstring Screenshot(HWND window, const std::wstring& name, std::wstring* error) {
  const RECT area = CaptureArea(window);
  std::vector<std::uint8_t> rgb, again;
  if (!CaptureRgb(area, &rgb, error)) return {};
  for (int read = 1; read < kMaxReads; ++read) {
    Sleep(kReadPauseMs);
    if (!CaptureRgb(area, &again, error)) return {};
    if (again == rgb) break;
    rgb.swap(again);
  }
  const std::vector<std::uint8_t> png = EncodePng(area.right - area.left, area.bottom - area.top, rgb);

  const std::wstring dir = ScreenshotDirectory();
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  const std::wstring path = dir + L'\\' + name + L".png";
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) {
    Fail(error, L"cannot write " + path);
    return {};
  }
  const bool written = std::fwrite(png.data(), 1, png.size(), f) == png.size();
  if (std::fclose(f) != 0 || !written) {
    Fail(error, L"cannot write " + path);
    return {};
  }
  return path;
}

}  // namespace gui
