// The file commands of tolvane.exe through the system's file dialogs under
// Wine: loading a table (and one the reader refuses), saving it (the bytes
// on disk), saves that fail (a name code page 1250 cannot hold, a file
// another program holds) leaving the title alone, a load that names another
// PLC with the PLC choice, and the program in a folder with Hungarian letters.
#include <windows.h>

#include <gtest/gtest.h>

#include "res/codepage.h"
#include "tests/gui/tolvane_app.h"

namespace gui {
namespace {

constexpr wchar_t kLoadTitle[] = L"Változó tábla betöltése";
constexpr wchar_t kSaveTitle[] = L"Változó tábla mentése";

bool Click(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  return button && PostMessageW(button, BM_CLICK, 0, 0);
}

std::string Utf8ToCp1250ForTest(const std::string& utf8) {
  std::string bytes;
  return Cp1250FromUtf8Exact(utf8, &bytes) ? bytes : std::string();
}

class FileCommandsTest : public TolvaneTest {
 protected:
  // Runs command id, waits for its file dialog and returns it.
  HWND OpenFileDialog(const App& app, int id, const wchar_t* title) {
    EXPECT_TRUE(PostCommand(app.main, id));
    HWND dialog = WaitForDialog(app.program->id, title);
    EXPECT_NE(dialog, nullptr) << Utf8(title) << " did not open";
    return dialog;
  }

  // Types name into the dialog's name field and presses OK.
  void Choose(HWND dialog, const std::wstring& name) {
    HWND field = FileDialogNameField(dialog);
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(Send(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str())).has_value());
    ASSERT_TRUE(Click(dialog, IDOK));
  }

  static bool Closed(HWND dialog) {
    return WaitUntil([&] { return !IsWindow(dialog); });
  }
};

TEST_F(FileCommandsTest, LoadAndSaveThroughTheFileDialogs) {
  const std::wstring demo = WriteVat(L"demo.vat", SimVat());
  App app = StartTolvane();
  ASSERT_NE(app.main, nullptr);

  // Ctrl+S does nothing while the table is empty; Ctrl+L opens the dialog.
  ASSERT_TRUE(PressKeys(app.main, {VK_CONTROL, 'S'}));
  Sync(app);
  ASSERT_TRUE(PressKeys(app.main, {VK_CONTROL, 'L'}));
  HWND open = WaitForDialog(app.program->id, kLoadTitle);
  ASSERT_NE(open, nullptr);
  // Before there is a file: the program's own name with ".vat".
  EXPECT_EQ(WindowText(FileDialogNameField(open)), L"tolvane.vat");
  // Centred over the main window.
  RECT main{}, box{};
  GetWindowRect(app.main, &main);
  GetWindowRect(open, &box);
  EXPECT_NEAR((box.left + box.right) / 2, (main.left + main.right) / 2, 1);
  EXPECT_NEAR((box.top + box.bottom) / 2, (main.top + main.bottom) / 2, 1);
  std::wstring error;
  EXPECT_FALSE(Screenshot(open, L"file-open-dialog", &error).empty()) << Utf8(error);
  Choose(open, demo);
  ASSERT_TRUE(Closed(open));
  const std::wstring loaded = SimLoadEntries();
  EXPECT_EQ(LogSince(app, 0, loaded.size()), loaded);
  CloseReadWindow(app);
  EXPECT_EQ(WindowText(app.main), L"Tolvane - demo.vat");

  ASSERT_TRUE(PressKeys(app.main, {VK_CONTROL, 'S'}));
  HWND save = WaitForDialog(app.program->id, kSaveTitle);
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(WindowText(FileDialogNameField(save)), L"demo.vat");
  Choose(save, L"másolat ő.vat");
  ASSERT_TRUE(Closed(save));
  Sync(app);
  EXPECT_EQ(WindowText(app.main), L"Tolvane - másolat ő.vat");
  EXPECT_EQ(ReadBytes(dir_.File(L"másolat ő.vat")).value_or(""), ReadBytes(demo).value_or("-"));
  EXPECT_EQ(Log(app), loaded);

  // A file the reader refuses: its one log line, and the table, the title
  // and the current file stay.
  ASSERT_TRUE(WriteCp1250(dir_.File(L"hibás.vat"), "[PLC]\r\nIF = MPI\r\n"));
  open = OpenFileDialog(app, 500, kLoadTitle);
  ASSERT_NE(open, nullptr);
  Choose(open, L"hibás.vat");
  ASSERT_TRUE(Closed(open));
  const std::wstring refused = L"Invalid line in hibás.vat at section PLC\r\nIF = MPI\r\n";
  EXPECT_EQ(LogSince(app, loaded.size(), refused.size()), refused);
  EXPECT_EQ(WindowText(app.main), L"Tolvane - másolat ő.vat");

  // Cancelled: nothing changes; the dialog starts from the current file.
  HWND cancelled = OpenFileDialog(app, 500, kLoadTitle);
  ASSERT_NE(cancelled, nullptr);
  EXPECT_EQ(WindowText(FileDialogNameField(cancelled)), L"másolat ő.vat");
  ASSERT_TRUE(Click(cancelled, IDCANCEL));
  ASSERT_TRUE(Closed(cancelled));
  Sync(app);
  EXPECT_EQ(WindowText(app.main), L"Tolvane - másolat ő.vat");
  EXPECT_EQ(Log(app), loaded + refused);
}

// The program in a folder whose name the system's ANSI code page cannot
// hold (ő): its own path gives the file dialog's start, and the access
// point library is found beside it.
TEST_F(FileCommandsTest, AProgramInAFolderWithHungarianLettersStartsItsDialogsThere) {
  for (const wchar_t* file : {L"tolvane.exe", L"S7onlinx.dll"}) {
    ASSERT_TRUE(CopyFileW(BesideThisProgram(file).c_str(), dir_.File(file).c_str(), FALSE)) << Utf8(file);
  }
  VatSpec spec;
  spec.kind = "S7ONLINE";
  spec.address = "2";
  WriteVat(L"mpi.vat", spec);
  App app;
  app.program = Start(dir_.File(L"tolvane.exe"), {.directory = BesideThisProgram(L"")});
  ASSERT_NE(app.program, nullptr);
  app.main = WaitForWindow(app.program->id, L"TOLVANE", nullptr);
  ASSERT_NE(app.main, nullptr);
  app.log = GetDlgItem(app.main, 150);

  HWND open = OpenFileDialog(app, 500, kLoadTitle);
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(WindowText(FileDialogNameField(open)), L"tolvane.vat");
  Choose(open, L"mpi.vat");  // relative to the folder the dialog starts in
  ASSERT_TRUE(Closed(open));
  const std::wstring loaded =
      Entry(L"S7_Interface_Init", L"", false) + Entry(L"S7_Connection_Init", L"\tPDU méret : 240\r\n", false);
  EXPECT_EQ(LogSince(app, 0, loaded.size()), loaded);
  CloseReadWindow(app);
  EXPECT_EQ(WindowText(app.main), L"Tolvane - mpi.vat");
}

TEST_F(FileCommandsTest, ASaveThatFailsLeavesTheTitleAndTheFileAlone) {
  App app = StartTolvane({WriteVat(L"demo.vat", SimVat())});
  ASSERT_NE(app.main, nullptr);
  const std::wstring loaded = WaitForSimLoad(app);

  // A name code page 1250 cannot hold is refused, on loading before
  // anything is read, on saving before anything is written.
  HWND open = OpenFileDialog(app, 500, kLoadTitle);
  ASSERT_NE(open, nullptr);
  Choose(open, WriteVat(L"Ŝ.vat", SimVat()));
  ASSERT_TRUE(Closed(open));
  const std::wstring notLoaded =
      L"Változó tábla betöltése : ?.vat - its name has letters that code page 1250 cannot hold. :-(\r\n";
  EXPECT_EQ(LogSince(app, loaded.size(), notLoaded.size()), notLoaded);
  const std::size_t mark = loaded.size() + notLoaded.size();
  DeleteFileW(dir_.File(L"Ŝ.vat").c_str());
  HWND save = OpenFileDialog(app, 501, kSaveTitle);
  ASSERT_NE(save, nullptr);
  Choose(save, L"Ŝ.vat");
  ASSERT_TRUE(Closed(save));
  const std::wstring refused =
      L"Változó tábla mentése : ?.vat - its name has letters that code page 1250 cannot hold. :-(\r\n";
  EXPECT_EQ(LogSince(app, mark, refused.size()), refused);
  EXPECT_EQ(WindowText(app.main), L"Tolvane - demo.vat");
  EXPECT_EQ(GetFileAttributesW(dir_.File(L"Ŝ.vat").c_str()), INVALID_FILE_ATTRIBUTES);

  // A file another program holds cannot be written: "can't save".
  const std::wstring lockedPath = dir_.File(L"zárolt.vat");
  ASSERT_TRUE(WriteCp1250(lockedPath, "régi"));
  HANDLE lock = CreateFileW(lockedPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  save = OpenFileDialog(app, 501, kSaveTitle);
  ASSERT_NE(save, nullptr);
  Choose(save, L"zárolt.vat");
  // The dialog asks whether to replace the file that exists.
  HWND ask = nullptr;
  EXPECT_TRUE(WaitUntil([&] {
    for (HWND d : OpenDialogs(app.program->id)) if (d != save) ask = d;
    return ask != nullptr;
  }));
  if (ask) {
    ASSERT_TRUE(Click(ask, IDYES));
  }
  ASSERT_TRUE(Closed(save));
  const std::wstring failed = L"Változó tábla mentése : zárolt.vat - can't save. :-(\r\n";
  EXPECT_EQ(LogSince(app, mark + refused.size(), failed.size()), failed);
  CloseHandle(lock);
  EXPECT_EQ(WindowText(app.main), L"Tolvane - demo.vat");
  EXPECT_EQ(ReadBytes(lockedPath).value_or(""), Utf8ToCp1250ForTest("régi"));
}

// A path the program cannot keep (260 characters or more) is not taken for
// a cancel: it is refused with a line in the log, and nothing is written.
TEST_F(FileCommandsTest, APathTooLongIsRefusedWithALogLine) {
  App app = StartTolvane({WriteVat(L"demo.vat", SimVat())});
  ASSERT_NE(app.main, nullptr);
  const std::wstring loaded = WaitForSimLoad(app);
  // Just past the program's limit: far longer names overrun the file
  // dialog's own buffers under Wine.
  const std::size_t folder = dir_.File(L"").size();
  ASSERT_LT(folder, 200u);
  const std::wstring name = std::wstring(262 - folder - 4, L'h') + L".vat";
  ASSERT_EQ(dir_.File(name).size(), 262u);
  HWND save = OpenFileDialog(app, 501, kSaveTitle);
  ASSERT_NE(save, nullptr);
  Choose(save, name);
  ASSERT_TRUE(Closed(save));
  const std::wstring refused = L"Változó tábla mentése : " + name + L" - az útvonala hosszabb 259 karakternél. :-(\r\n";
  EXPECT_EQ(LogSince(app, loaded.size(), refused.size()), refused);
  EXPECT_EQ(WindowText(app.main), L"Tolvane - demo.vat");
  EXPECT_EQ(GetFileAttributesW((L"\\\\?\\" + dir_.File(name)).c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileCommandsTest, ALoadThatNamesAnotherPlcAsksWhichToUse) {
  plcsim::Simulator other;
  ASSERT_TRUE(other.Start(plcsim::Config{}));
  VatSpec otherSpec;  // without a name
  otherSpec.address = other.AddressText();
  const std::wstring otherVat = WriteVat(L"másik.vat", otherSpec);
  App app = StartTolvane({WriteVat(L"demo.vat", SimVat())});
  ASSERT_NE(app.main, nullptr);
  const std::wstring loaded = WaitForSimLoad(app);
  const std::wstring otherAddress(otherSpec.address.begin(), otherSpec.address.end());

  struct Step {
    const wchar_t* file;
    int preselected;  // the radio button checked when the dialog opens
    int choice;       // the radio button clicked, or IDCANCEL
    std::wstring entries;
    const wchar_t* title;
  };
  const std::wstring switched =
      Entry(L"S7_Connection_Done", L"", false) + Entry(L"S7_Connection_Init", L"\tPDU méret : 240\r\n", false);
  const Step kSteps[] = {
      {L"másik.vat", 1010, IDCANCEL, L"", L"Tolvane - demo.vat"},
      {L"másik.vat", 1010, 1011, switched, L"Tolvane - másik.vat"},
      // Back to the first file, keeping the connection: only the variables change.
      {L"demo.vat", 1011, 1010, L"", L"Tolvane - demo.vat"},
  };
  std::size_t mark = loaded.size();
  for (const Step& step : kSteps) {
    SCOPED_TRACE(Utf8(step.file));
    HWND open = OpenFileDialog(app, 500, kLoadTitle);
    ASSERT_NE(open, nullptr);
    Choose(open, dir_.File(step.file));
    HWND choice = WaitForDialog(app.program->id, L"Plc kiválasztása");
    ASSERT_NE(choice, nullptr);
    EXPECT_EQ(Send(GetDlgItem(choice, step.preselected), BM_GETCHECK, 0, 0), std::optional<LRESULT>(BST_CHECKED));
    if (&step == &kSteps[0]) {
      EXPECT_EQ(ControlText(choice, 1010), L"Jelenlegi PLC használata : TCP - " + SimAddress() + L" (" + kSimNameW + L")");
      // The blank before the name's place stays.
      EXPECT_EQ(ControlText(choice, 1011), L"Mentett PLC használata : TCP - " + otherAddress + L" ");
      std::wstring error;
      EXPECT_FALSE(Screenshot(choice, L"plc-choice", &error).empty()) << Utf8(error);
    }
    if (step.choice != IDCANCEL) {
      ASSERT_TRUE(Click(choice, step.choice));
    }
    ASSERT_TRUE(Click(choice, step.choice == IDCANCEL ? IDCANCEL : IDOK));
    ASSERT_TRUE(Closed(choice));
    if (step.choice != IDCANCEL) CloseReadWindow(app);  // a load that leaves a connection opens it
    Sync(app);
    EXPECT_EQ(Log(app).substr(mark), step.entries);
    EXPECT_EQ(WindowText(app.main), step.title);
    mark = Log(app).size();
  }
  EXPECT_EQ(Status(app).at(1), L" TCP : " + otherAddress + L", Rack : 0, Slot : 2");
}

}  // namespace
}  // namespace gui
