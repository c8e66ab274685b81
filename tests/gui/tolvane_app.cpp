// Starting and reading tolvane.exe for the GUI tests.
#include "tests/gui/tolvane_app.h"

#include <gtest/gtest.h>

namespace gui {

void TolvaneTest::SetUp() {
  int wsa = 0;
  ASSERT_TRUE(sim_.Start(plcsim::Config{}, &wsa)) << "simulator could not listen: " << wsa;
}

App TolvaneTest::StartTolvane(const std::vector<std::wstring>& args, const std::vector<std::wstring>& env) {
  App app;
  app.program = Start(BesideThisProgram(L"tolvane.exe"), {.args = args, .env = env, .directory = dir_.Path()});
  if (!app.program) return app;
  app.main = WaitForWindow(app.program->id, L"TOLVANE", nullptr);
  EXPECT_NE(app.main, nullptr) << "the main window did not appear";
  if (!app.main) return app;
  app.log = GetDlgItem(app.main, 150);
  app.status = GetDlgItem(app.main, 102);
  EXPECT_NE(app.log, nullptr);
  EXPECT_NE(app.status, nullptr);
  return app;
}

VatSpec TolvaneTest::SimVat() const {
  VatSpec spec;
  spec.name = kSimName;
  spec.address = sim_.AddressText();
  return spec;
}

std::wstring TolvaneTest::SimAddress() const {
  const std::string text = sim_.AddressText();
  return std::wstring(text.begin(), text.end());
}

std::wstring TolvaneTest::WriteVat(const std::wstring& name, const VatSpec& spec) {
  const std::wstring path = dir_.File(name);
  EXPECT_TRUE(WriteCp1250(path, VatText(spec))) << Utf8(path);
  return path;
}

std::wstring TolvaneTest::LogSince(const App& app, std::size_t mark, std::size_t n) {
  std::wstring log;
  WaitUntil([&] {
    log = Log(app);
    return log.size() >= mark + n;
  });
  return log.size() > mark ? log.substr(mark) : std::wstring();
}

std::wstring TolvaneTest::WaitForSimLoad(const App& app) {
  const std::wstring log = LogSince(app, 0, SimLoadEntries().size());
  CloseReadWindow(app);
  return log;
}

void TolvaneTest::CloseReadWindow(const App& app) {
  HWND window = WaitForWindow(app.program->id, nullptr, L"Változók olvasása");
  ASSERT_NE(window, nullptr) << "the load opened no read window";
  ASSERT_TRUE(PostMessageW(window, WM_CLOSE, 0, 0));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(window) && IsWindowEnabled(app.main); }));
}

std::wstring TolvaneTest::Run(const App& app, int id, const std::wstring& expected) {
  const std::size_t mark = Log(app).size();
  EXPECT_TRUE(PostCommand(app.main, id));
  return LogSince(app, mark, expected.size());
}

std::vector<std::wstring> TolvaneTest::Status(const App& app) const {
  const auto parts = StatusBarParts(app.status);
  return parts ? *parts : std::vector<std::wstring>{};
}

void TolvaneTest::Sync(const App& app, DWORD timeoutMs) {
  ASSERT_TRUE(TypeText(app.main, L"?"));
  HWND about = WaitForDialog(app.program->id, L"Tolvane névjegy", timeoutMs);
  ASSERT_NE(about, nullptr) << "the about box did not open";
  ASSERT_TRUE(PressKeys(about, {VK_ESCAPE}));
  ASSERT_TRUE(WaitUntil([&] { return OpenDialogs(app.program->id).empty(); }));
}

int TolvaneTest::LogLineHeight(const App& app) const {
  const auto second = Send(app.log, EM_LINEINDEX, 1, 0);
  if (!second || *second < 0) return 0;
  const auto first = Send(app.log, EM_POSFROMCHAR, 0, 0);
  const auto next = Send(app.log, EM_POSFROMCHAR, static_cast<WPARAM>(*second), 0);
  if (!first || !next) return 0;
  return static_cast<short>(HIWORD(*next)) - static_cast<short>(HIWORD(*first));
}

std::wstring Entry(const std::wstring& operation, const std::wstring& detail, bool named) {
  return (named ? std::wstring(kSimNameW) + L" - " : std::wstring()) + operation + L" : OK.\r\n" + detail;
}

std::wstring SimLoadEntries() {
  return Entry(L"S7_Interface_Init", L"", false) + Entry(L"S7_Connection_Init", L"\tPDU méret : 240\r\n");
}

}  // namespace gui
