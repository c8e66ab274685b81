// The tolvane.exe session of the dialog tests: the program, its dialogs, its
// log, and the simulator it talks to.
#include "tests/gui/tolvane_session.h"

#include <commctrl.h>

#include "res/resource.h"
#include "tests/gui/support/tempfiles.h"

namespace gui {

namespace {
constexpr int kLogEditId = 150;
constexpr int kStatusBarId = 102;
}  // namespace

void TolvaneSession::SetUp() {
  int wsa = 0;
  ASSERT_TRUE(sim_.Start(simConfig_, &wsa)) << "simulator could not listen: " << wsa;
}

void TolvaneSession::TearDown() {
  GuiTest::TearDown();
  sim_.Stop();
}

bool TolvaneSession::StartTolvane(const StartOptions& options) {
  program_ = Start(BesideThisProgram(L"tolvane.exe"), options);
  if (!program_) return false;
  main_ = WaitForWindow(program_->id, L"TOLVANE", nullptr);
  EXPECT_NE(main_, nullptr) << "tolvane.exe's main window did not appear";
  return main_ != nullptr;
}

HWND TolvaneSession::OpenDialog(int command, const wchar_t* title) {
  EXPECT_TRUE(PostCommand(main_, command));
  HWND dialog = WaitForDialog(program_->id, title);
  EXPECT_NE(dialog, nullptr) << "no dialog \"" << Utf8(title) << "\" after command " << command;
  return dialog;
}

bool TolvaneSession::WaitClosed(HWND dialog) {
  const bool closed = WaitUntil([&] { return !IsWindow(dialog); });
  EXPECT_TRUE(closed) << "the dialog stayed open";
  return closed;
}

bool TolvaneSession::Close(HWND dialog, int button) {
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, button))) << "button " << button << " is disabled";
  return Click(GetDlgItem(dialog, button)) && WaitClosed(dialog);
}

void TolvaneSession::CloseReadWindow() {
  HWND window = WaitForWindow(program_->id, nullptr, L"Változók olvasása");
  ASSERT_NE(window, nullptr) << "the load opened no read window";
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(window) && IsWindowEnabled(main_); }));
}

bool TolvaneSession::SetFileDialogName(HWND fileDialog, const std::wstring& path) {
  HWND field = FileDialogNameField(fileDialog);
  return field && Send(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str())).has_value();
}

std::optional<std::string> TolvaneSession::SaveTable(const std::wstring& path, bool accelerator) {
  const bool asked = accelerator ? PressKeys(main_, {VK_CONTROL, 'S'}) : PostCommand(main_, IDM_FILE_SAVE);
  HWND save = asked ? WaitForDialog(program_->id, L"Változó tábla mentése") : nullptr;
  EXPECT_NE(save, nullptr) << "no save dialog";
  if (!save || !SetFileDialogName(save, path) || !Click(GetDlgItem(save, IDOK)) || !WaitClosed(save))
    return std::nullopt;
  std::optional<std::string> bytes;
  EXPECT_TRUE(WaitUntil([&] { return (bytes = ReadBytes(path)).has_value(); })) << "nothing saved";
  return bytes;
}

std::wstring TolvaneSession::Log() { return ControlText(main_, kLogEditId); }

std::wstring TolvaneSession::LogSince(std::size_t mark, const std::wstring& expected, DWORD timeoutMs) {
  std::wstring added;
  const bool found = WaitUntil(
      [&] {
        const std::wstring log = Log();
        added = log.size() > mark ? log.substr(mark) : std::wstring();
        return added.find(expected) != std::wstring::npos;
      },
      timeoutMs);
  EXPECT_TRUE(found) << "the log did not get \"" << Utf8(expected) << "\"; it got:\n" << Utf8(added);
  return added;
}

std::wstring TolvaneSession::StatusPlc() {
  const auto parts = StatusBarParts(GetDlgItem(main_, kStatusBarId));
  return parts && parts->size() > 1 ? (*parts)[1] : std::wstring();
}

bool TolvaneSession::SetText(HWND dialog, int id, const std::wstring& text) {
  return Send(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())).has_value();
}

bool TolvaneSession::TypeInto(HWND dialog, int id, const std::wstring& text) {
  HWND control = GetDlgItem(dialog, id);
  if (!FocusControl(dialog, control)) return false;
  Send(control, EM_SETSEL, 0, -1);
  return TypeText(dialog, text) && WaitUntil([&] { return WindowText(control) == text; });
}

bool TolvaneSession::DrawnRed(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  RECT client{};
  GetClientRect(control, &client);
  // Inside the frame, right of any text.
  const POINT inside{client.right - 3, client.bottom / 2};
  return ScreenPixel(control, inside) == RGB(255, 0, 0);
}

void TolvaneSession::CheckFieldCases(HWND dialog, const std::vector<FieldCase>& cases, const std::wstring& restore) {
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "field " << c.field << " \"" << Utf8(c.text.substr(0, 40)) << "\"");
    ASSERT_TRUE(SetText(dialog, c.field, c.text));
    EXPECT_EQ(OkEnabled(dialog), c.valid);
    EXPECT_EQ(DrawnRed(dialog, c.field), !c.valid);
    if (!c.valid) {
      ASSERT_TRUE(SetText(dialog, c.field, restore));
      EXPECT_TRUE(OkEnabled(dialog));
      EXPECT_FALSE(DrawnRed(dialog, c.field));
    }
  }
}

std::vector<int> TolvaneSession::HoldArrow(HWND spinner, DWORD ms) {
  RECT r{};
  GetClientRect(spinner, &r);
  std::vector<int> positions;
  if (auto p = SpinnerPosition(spinner)) positions.push_back(*p);
  HoldMouse(spinner, {r.right / 2, r.bottom / 4}, ms, [&] {
    if (auto p = SpinnerPosition(spinner); p && (positions.empty() || positions.back() != *p)) positions.push_back(*p);
  });
  return positions;
}

bool TolvaneSession::HasStep(const std::vector<int>& positions, int step) {
  for (std::size_t i = 1; i < positions.size(); ++i) {
    if (positions[i] - positions[i - 1] == step) return true;
  }
  return false;
}

void TolvaneSession::Shot(HWND window, const wchar_t* name) {
  std::wstring error;
  EXPECT_FALSE(Screenshot(window, name, &error).empty()) << Utf8(error);
}

DWORD TolvaneSession::SimulatorAddress() const {
  const std::uint32_t a = sim_.Address();  // network byte order: the first part in the first byte
  const auto* b = reinterpret_cast<const BYTE*>(&a);
  return MAKEIPADDRESS(b[0], b[1], b[2], b[3]);
}

bool TolvaneSession::ConnectToSimulator(const std::wstring& name) {
  std::size_t mark = LogMark();
  HWND dialog = OpenDialog(IDM_INTERFACE_OPEN, kInterfaceTitle);
  if (!dialog || !Click(GetDlgItem(dialog, IDC_IF_TCP)) || !Close(dialog, IDOK)) return false;
  if (LogSince(mark, L"S7_Interface_Init : OK.").empty()) return false;
  mark = LogMark();
  dialog = OpenDialog(IDM_CONNECTION_OPEN, kConnectionTitle);
  if (!dialog) return false;
  Send(GetDlgItem(dialog, IDC_CONN_IP), IPM_SETADDRESS, 0, static_cast<LPARAM>(SimulatorAddress()));
  if (!name.empty()) SetText(dialog, IDC_CONN_NAME, name);
  if (!Close(dialog, IDOK)) return false;
  return !LogSince(mark, L"S7_Connection_Init : OK.").empty();
}

}  // namespace gui
