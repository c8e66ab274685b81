// Starting tolvane.exe for a GUI test and working it from outside: its log and
// status bar read through the W messages, its dialogs found by title and
// worked control by control, its read window closed.
#include "tests/gui/tolvane_fixture.h"

#include <commctrl.h>

#include "res/resource.h"

namespace gui {

namespace {
constexpr int kLogEditId = 150;
constexpr int kStatusBarId = 102;
}  // namespace

void TolvaneTest::SetUp() {
  int wsa = 0;
  ASSERT_TRUE(sim_.Start(simConfig_, &wsa)) << "simulator could not listen: " << wsa;
}

void TolvaneTest::TearDown() {
  GuiTest::TearDown();
  sim_.Stop();
}

bool TolvaneTest::StartTolvane(const StartOptions& options, const std::wstring& exe) {
  StartOptions start = options;
  if (start.directory.empty()) start.directory = dir_.Path();
  main_ = nullptr;
  program_ = Start(exe.empty() ? BesideThisProgram(L"tolvane.exe") : exe, start);
  if (!program_) return false;
  main_ = WaitForWindow(program_->id, L"TOLVANE", nullptr);
  EXPECT_NE(main_, nullptr) << "tolvane.exe's main window did not appear";
  if (!main_) return false;
  EXPECT_NE(LogEdit(), nullptr);
  EXPECT_NE(StatusBar(), nullptr);
  return LogEdit() && StatusBar();
}

VatSpec TolvaneTest::SimVat() const {
  VatSpec spec;
  spec.name = kSimName;
  spec.address = sim_.AddressText();
  return spec;
}

std::wstring TolvaneTest::WriteVat(const std::wstring& name, const VatSpec& spec) {
  const std::wstring path = dir_.File(name);
  EXPECT_TRUE(WriteCp1250(path, VatText(spec))) << Utf8(path);
  return path;
}

std::wstring TolvaneTest::SimAddress() const {
  const std::string text = sim_.AddressText();
  return std::wstring(text.begin(), text.end());
}

DWORD TolvaneTest::SimIpAddress() const {
  const std::uint32_t a = sim_.Address();  // network byte order: the first part in the first byte
  const auto* b = reinterpret_cast<const BYTE*>(&a);
  return MAKEIPADDRESS(b[0], b[1], b[2], b[3]);
}

HWND TolvaneTest::LogEdit() const { return GetDlgItem(main_, kLogEditId); }
HWND TolvaneTest::StatusBar() const { return GetDlgItem(main_, kStatusBarId); }

std::wstring TolvaneTest::Log() const { return WindowText(LogEdit()); }

std::wstring TolvaneTest::LogSince(std::size_t mark, const std::wstring& expected, DWORD timeoutMs) {
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

std::wstring TolvaneTest::Run(int command, const std::wstring& expected) {
  const std::size_t mark = LogMark();
  EXPECT_TRUE(PostCommand(main_, command));
  return LogSince(mark, expected);
}

std::vector<std::wstring> TolvaneTest::Status() const {
  const auto parts = StatusBarParts(StatusBar());
  return parts ? *parts : std::vector<std::wstring>{};
}

std::wstring TolvaneTest::StatusPlc() const {
  const std::vector<std::wstring> parts = Status();
  EXPECT_GT(parts.size(), 1u) << "the status bar has no PLC part";
  return parts.size() > 1 ? parts[1] : std::wstring();
}

int TolvaneTest::LogLineHeight() const {
  HWND log = LogEdit();
  const auto second = Send(log, EM_LINEINDEX, 1, 0);
  if (!second || *second < 0) return 0;
  const auto first = Send(log, EM_POSFROMCHAR, 0, 0);
  const auto next = Send(log, EM_POSFROMCHAR, static_cast<WPARAM>(*second), 0);
  if (!first || !next) return 0;
  return static_cast<short>(HIWORD(*next)) - static_cast<short>(HIWORD(*first));
}

void TolvaneTest::Sync(DWORD timeoutMs) {
  ASSERT_TRUE(TypeText(main_, L"?"));
  HWND about = WaitForDialog(program_->id, kAboutTitle, timeoutMs);
  ASSERT_NE(about, nullptr) << "the about box did not open";
  ASSERT_TRUE(PressKeys(about, {VK_ESCAPE}));
  ASSERT_TRUE(WaitUntil([&] { return OpenDialogs(program_->id).empty(); }));
}

std::wstring TolvaneTest::WaitForSimLoad() {
  const std::wstring log = LogSince(0, SimLoadEntries());
  CloseReadWindow();
  return log;
}

bool TolvaneTest::ConnectToSimulator(const std::wstring& name) {
  std::size_t mark = LogMark();
  HWND dialog = OpenDialog(IDM_INTERFACE_OPEN, kInterfaceTitle);
  if (!dialog || !Click(GetDlgItem(dialog, IDC_IF_TCP)) || !Close(dialog, IDOK)) return false;
  if (LogSince(mark, L"S7_Interface_Init : OK.").empty()) return false;
  mark = LogMark();
  dialog = OpenDialog(IDM_CONNECTION_OPEN, kConnectionTitle);
  if (!dialog) return false;
  Send(GetDlgItem(dialog, IDC_CONN_IP), IPM_SETADDRESS, 0, static_cast<LPARAM>(SimIpAddress()));
  if (!name.empty()) SetText(dialog, IDC_CONN_NAME, name);
  if (!Close(dialog, IDOK)) return false;
  return !LogSince(mark, L"S7_Connection_Init : OK.").empty();
}

HWND TolvaneTest::WaitForReadWindow() {
  HWND window = WaitForDialog(program_->id, kReadTitle);
  EXPECT_NE(window, nullptr) << "no read window";
  return window;
}

void TolvaneTest::CloseReadWindow() {
  HWND window = WaitForReadWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(PostMessageW(window, WM_CLOSE, 0, 0));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(window) && IsWindowEnabled(main_); }));
}

HWND TolvaneTest::OpenDialog(int command, const wchar_t* title) {
  EXPECT_TRUE(PostCommand(main_, command));
  HWND dialog = WaitForDialog(program_->id, title);
  EXPECT_NE(dialog, nullptr) << "no dialog \"" << Utf8(title) << "\" after command " << command;
  return dialog;
}

bool TolvaneTest::WaitClosed(HWND dialog) {
  const bool closed = WaitUntil([&] { return !IsWindow(dialog); });
  EXPECT_TRUE(closed) << "the dialog stayed open";
  return closed;
}

bool TolvaneTest::Close(HWND dialog, int button) {
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, button))) << "button " << button << " is disabled";
  return Click(GetDlgItem(dialog, button)) && WaitClosed(dialog);
}

bool TolvaneTest::Press(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  return button && PostMessageW(button, BM_CLICK, 0, 0);
}

bool TolvaneTest::SetFileDialogName(HWND fileDialog, const std::wstring& name) {
  HWND field = FileDialogNameField(fileDialog);
  return field && Send(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str())).has_value();
}

bool TolvaneTest::ChooseFile(HWND fileDialog, const std::wstring& name) {
  return SetFileDialogName(fileDialog, name) && Press(fileDialog, IDOK);
}

std::optional<std::string> TolvaneTest::SaveTable(const std::wstring& path, bool accelerator) {
  const bool asked = accelerator ? PressKeys(main_, {VK_CONTROL, 'S'}) : PostCommand(main_, IDM_FILE_SAVE);
  HWND save = asked ? WaitForDialog(program_->id, kSaveTitle) : nullptr;
  EXPECT_NE(save, nullptr) << "no save dialog";
  if (!save || !SetFileDialogName(save, path) || !Click(GetDlgItem(save, IDOK)) || !WaitClosed(save))
    return std::nullopt;
  std::optional<std::string> bytes;
  EXPECT_TRUE(WaitUntil([&] { return (bytes = ReadBytes(path)).has_value(); })) << "nothing saved";
  return bytes;
}

bool TolvaneTest::SetText(HWND dialog, int id, const std::wstring& text) {
  return Send(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())).has_value();
}

bool TolvaneTest::TypeInto(HWND dialog, int id, const std::wstring& text) {
  HWND control = GetDlgItem(dialog, id);
  if (!FocusControl(dialog, control)) return false;
  Send(control, EM_SETSEL, 0, -1);
  return TypeText(dialog, text) && WaitUntil([&] { return WindowText(control) == text; });
}

bool TolvaneTest::DrawnRed(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  RECT client{};
  GetClientRect(control, &client);
  // Inside the frame, right of any text.
  const POINT inside{client.right - 3, client.bottom / 2};
  return ScreenPixel(control, inside) == RGB(255, 0, 0);
}

void TolvaneTest::CheckFieldCases(HWND dialog, const std::vector<FieldCase>& cases, const std::wstring& restore) {
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

std::vector<int> TolvaneTest::HoldArrow(HWND spinner, DWORD ms) {
  RECT r{};
  GetClientRect(spinner, &r);
  std::vector<int> positions;
  if (auto p = SpinnerPosition(spinner)) positions.push_back(*p);
  HoldMouse(spinner, {r.right / 2, r.bottom / 4}, ms, [&] {
    if (auto p = SpinnerPosition(spinner); p && (positions.empty() || positions.back() != *p)) positions.push_back(*p);
  });
  return positions;
}

bool TolvaneTest::HasStep(const std::vector<int>& positions, int step) {
  for (std::size_t i = 1; i < positions.size(); ++i) {
    if (positions[i] - positions[i - 1] == step) return true;
  }
  return false;
}

void TolvaneTest::Shot(HWND window, const std::wstring& name) {
  std::wstring error;
  EXPECT_FALSE(Screenshot(window, name, &error).empty()) << Utf8(error);
}

std::wstring Entry(const std::wstring& operation, const std::wstring& detail, bool named) {
  return (named ? std::wstring(kSimNameW) + L" - " : std::wstring()) + operation + L" : OK.\r\n" + detail;
}

std::wstring SimLoadEntries() {
  return Entry(L"S7_Interface_Init", L"", false) + Entry(L"S7_Connection_Init", L"\tPDU méret : 240\r\n");
}

}  // namespace gui
