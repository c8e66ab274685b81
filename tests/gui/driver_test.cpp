// The GUI driver proved on the fixture program: windows found by class and
// title, Hungarian texts read back exactly (edit, list box, status bar parts
// through the program's memory), a posted command's dialog seen and closed
// with Esc, accelerator keys typed, a message box left open reported and
// killed, the exit code returned, and a screenshot written as a valid PNG.
#include <windows.h>

#include <gtest/gtest.h>
#include <shellapi.h>

#include <cstdio>
#include <vector>

#include "tests/gui/driver/driver.h"
#include "tests/gui/driver/png.h"
#include "tests/gui/fixtures/fixture_ids.h"

namespace gui {
namespace {

TEST(CommandLine, ArgumentsArriveAsGiven) {
  const std::vector<std::wstring> kArgs = {
      L"plain", L"two words", L"C:\\dir with blank\\", L"a\"quote", L"back\\\"slash",
      L"",      L"ő ű \"Á\"", L"tail\\",                L"\\\\server\\share",
  };
  const std::wstring line = CommandLine(L"C:\\Program Files\\x.exe", kArgs);
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(line.c_str(), &argc);
  ASSERT_NE(argv, nullptr);
  std::vector<std::wstring> got(argv + 1, argv + argc);
  LocalFree(argv);
  EXPECT_EQ(got, kArgs) << Utf8(line);
}

class DriverTest : public GuiTest {
 protected:
  // Starts the fixture and waits for its main window.
  HWND StartFixture(const StartOptions& options = {}) {
    fixture_ = Start(BesideThisProgram(L"tolvane-gui-fixture.exe"), options);
    if (!fixture_) return nullptr;
    HWND window = WaitForWindow(fixture_->id, L"" FIXTURE_CLASS, nullptr);
    EXPECT_NE(window, nullptr) << "the fixture's window did not appear";
    return window;
  }

  std::vector<std::wstring> ListLines(HWND window) { return ListBoxLines(GetDlgItem(window, IDC_FIXTURE_LIST)); }

  // Waits until the fixture's list box ends with line.
  bool WaitForLastLine(HWND window, const std::wstring& line) {
    return WaitUntil([&] {
      const auto lines = ListLines(window);
      return !lines.empty() && lines.back() == line;
    });
  }

  const Program* fixture_ = nullptr;
};

TEST_F(DriverTest, ReadsHungarianTextsOfEveryKindOfControl) {
  HWND window = StartFixture({.env = {L"" FIXTURE_STATUS_VARIABLE L"=TCP : 127.0.0.1 (Présgép ű)"}});
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(WaitForWindow(fixture_->id, nullptr, L"" FIXTURE_TITLE), window) << "found by title too";
  EXPECT_EQ(WindowText(window), L"Próbaablak ő ű Á");
  EXPECT_EQ(ControlText(window, IDC_FIXTURE_EDIT), L"Árvíztűrő tükörfúrógép: ő ű Ő Ű Á");
  EXPECT_EQ(ListLines(window), (std::vector<std::wstring>{L"első sor", L"második: ő ű", L"Ű Ő Á"}));
  HWND combo = GetDlgItem(window, IDC_FIXTURE_COMBO);
  EXPECT_EQ(ComboBoxLines(combo), (std::vector<std::wstring>{L"100 ms", L"1 mp", L"5 mp ő"}));
  EXPECT_EQ(ComboBoxSelection(combo), 1);
  const auto parts = StatusBarParts(GetDlgItem(window, IDC_FIXTURE_STATUS));
  ASSERT_TRUE(parts.has_value());
  EXPECT_EQ(*parts, (std::vector<std::wstring>{L"Első rész ő", L"TCP : 127.0.0.1 (Présgép ű)"}));
}

TEST_F(DriverTest, WaitingForAWindowThatNeverComesEnds) {
  HWND window = StartFixture();
  ASSERT_NE(window, nullptr);
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(WaitForWindow(fixture_->id, L"NoSuchClass", nullptr, 300), nullptr);
  EXPECT_EQ(WaitForDialog(fixture_->id, nullptr, 300), nullptr);
  EXPECT_LT(GetTickCount64() - start, 5000u);
}

TEST_F(DriverTest, PostedCommandOpensADialogThatEscCloses) {
  HWND window = StartFixture();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(PostCommand(window, IDM_FIXTURE_DIALOG));
  HWND dialog = WaitForDialog(fixture_->id, L"" FIXTURE_DIALOG_TITLE);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(OpenDialogs(fixture_->id), std::vector<HWND>{dialog});
  std::wstring error;
  EXPECT_FALSE(Screenshot(dialog, L"fixture-dialog", &error).empty()) << Utf8(error);
  ASSERT_TRUE(PressKeys(dialog, {VK_ESCAPE}));
  EXPECT_TRUE(WaitUntil([&] { return OpenDialogs(fixture_->id).empty(); }));
  EXPECT_TRUE(WaitForLastLine(window, L"dialog " + std::to_wstring(IDCANCEL)));
}

TEST_F(DriverTest, KeysReachTheAcceleratorsAndTheExitCodeComesBack) {
  HWND window = StartFixture({.args = {L"--exit-code", L"42"}});
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(PressKeys(window, {VK_CONTROL, 'R'}));
  EXPECT_TRUE(WaitForLastLine(window, L"Ctrl+R"));
  ASSERT_TRUE(TypeText(window, L"?"));
  EXPECT_TRUE(WaitForLastLine(window, L"?"));
  ASSERT_TRUE(PressKeys(window, {VK_MENU, 'X'}));
  EXPECT_EQ(WaitForExit(*fixture_, kDefaultWaitMs), std::optional<DWORD>(42));
}

TEST_F(DriverTest, ScreenshotShowsAnOpenMenu) {
  HWND window = StartFixture();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(PressKeys(window, {VK_MENU, 'P'}));
  // Popup menus are top-level windows of this class, owned by the program.
  ASSERT_NE(WaitForWindow(fixture_->id, L"#32768", nullptr), nullptr);
  EXPECT_TRUE(InMenuMode(window));
  std::wstring error;
  EXPECT_FALSE(Screenshot(window, L"fixture-menu", &error).empty()) << Utf8(error);
  // The first Esc closes the popup, the second leaves the menu bar.
  ASSERT_TRUE(PressKeys(window, {VK_ESCAPE}));
  EXPECT_TRUE(WaitUntil([&] { return TopLevelWindows(fixture_->id, L"#32768").empty(); }));
  EXPECT_TRUE(InMenuMode(window));
  ASSERT_TRUE(PressKeys(window, {VK_ESCAPE}));
  EXPECT_TRUE(WaitUntil([&] { return !InMenuMode(window); }));
}

TEST_F(DriverTest, AMessageBoxLeftOpenIsReportedAndItsProgramEnded) {
  HWND window = StartFixture();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(PostCommand(window, IDM_FIXTURE_MESSAGE));
  ASSERT_NE(WaitForDialog(fixture_->id, L"" FIXTURE_MESSAGE_TITLE), nullptr);
  std::wstring error;
  EXPECT_FALSE(Screenshot(window, L"fixture-message-box", &error).empty()) << Utf8(error);

  // What the teardown of every test does; here the report is the expected
  // outcome rather than a failure.
  const std::vector<std::wstring> left = programs_.EndAll();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_NE(left[0].find(L"\"" FIXTURE_MESSAGE_TITLE L"\""), std::wstring::npos) << Utf8(left[0]);
  EXPECT_NE(left[0].find(L"\"" FIXTURE_MESSAGE_TEXT L"\""), std::wstring::npos) << Utf8(left[0]);
  EXPECT_EQ(WaitForExit(*fixture_, 0), std::optional<DWORD>(kKilledExitCode));
  EXPECT_TRUE(programs_.EndAll().empty()) << "reported once";
}

std::uint32_t Be32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) << 24 | static_cast<std::uint32_t>(b[at + 1]) << 16 |
         static_cast<std::uint32_t>(b[at + 2]) << 8 | b[at + 3];
}

// Walks the chunks (each CRC checked) and undoes the zlib stream of stored
// blocks: the pixel rows' byte count, or 0 when anything is off.
std::size_t StoredImageBytes(const std::vector<std::uint8_t>& png) {
  std::vector<std::uint8_t> z;
  std::size_t at = 8;
  bool ended = false;
  while (!ended && at + 12 <= png.size()) {
    const std::size_t length = Be32(png, at);
    if (at + 12 + length > png.size()) return 0;
    if (Be32(png, at + 8 + length) != Crc32(std::span(png).subspan(at + 4, length + 4))) return 0;
    const std::string type(png.begin() + static_cast<std::ptrdiff_t>(at + 4),
                           png.begin() + static_cast<std::ptrdiff_t>(at + 8));
    if (type == "IDAT") z.insert(z.end(), png.begin() + static_cast<std::ptrdiff_t>(at + 8),
                                 png.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
    ended = type == "IEND";
    at += 12 + length;
  }
  if (!ended || z.size() < 6 || (z[0] * 256 + z[1]) % 31 != 0) return 0;
  std::vector<std::uint8_t> raw;
  std::size_t p = 2;
  for (bool last = false; !last;) {
    if (p + 5 > z.size() || (z[p] & 6) != 0) return 0;  // stored blocks only
    last = z[p] & 1;
    const std::size_t n = z[p + 1] | z[p + 2] << 8;
    if ((n ^ (z[p + 3] | z[p + 4] << 8)) != 0xFFFF || p + 5 + n > z.size()) return 0;
    raw.insert(raw.end(), z.begin() + static_cast<std::ptrdiff_t>(p + 5),
               z.begin() + static_cast<std::ptrdiff_t>(p + 5 + n));
    p += 5 + n;
  }
  if (p + 4 != z.size() || Be32(z, p) != Adler32(raw)) return 0;
  return raw.size();
}

TEST_F(DriverTest, ScreenshotIsAPngOfTheWholeWindow) {
  HWND window = StartFixture();
  ASSERT_NE(window, nullptr);
  std::wstring error;
  const std::wstring path = Screenshot(window, L"fixture-window", &error);
  ASSERT_FALSE(path.empty()) << Utf8(error);

  std::vector<std::uint8_t> png;
  FILE* f = _wfopen(path.c_str(), L"rb");
  ASSERT_NE(f, nullptr);
  std::uint8_t buf[65536];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) png.insert(png.end(), buf, buf + n);
  std::fclose(f);

  const std::vector<std::uint8_t> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  ASSERT_GT(png.size(), 33u);
  EXPECT_TRUE(std::equal(signature.begin(), signature.end(), png.begin()));
  EXPECT_EQ(Be32(png, 8), 13u);
  EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
  RECT r{};
  GetWindowRect(window, &r);
  EXPECT_EQ(Be32(png, 16), static_cast<std::uint32_t>(r.right - r.left));
  EXPECT_EQ(Be32(png, 20), static_cast<std::uint32_t>(r.bottom - r.top));
  const std::size_t rowBytes = (r.right - r.left) * 3 + 1;  // with the filter byte
  EXPECT_EQ(StoredImageBytes(png), rowBytes * static_cast<std::size_t>(r.bottom - r.top));
}

}  // namespace
}  // namespace gui
