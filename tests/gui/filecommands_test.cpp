// The file commands of tolvane.exe through the system's file dialogs under
// Wine: loading a table (and one the reader refuses), saving it (the bytes
// on disk), saves that fail (a name code page 1250 cannot hold, a file
// another program holds) leaving the title alone, a load that names another
// PLC with the PLC choice, and the program in a folder with Hungarian letters.
#include <windows.h>

#include <gtest/gtest.h>

#include "res/codepage.h"
#include "res/resource.h"
#include "tests/gui/tolvane_fixture.h"

namespace gui {
namespace {

std::string Utf8ToCp1250ForTest(const std::string& utf8) {
  std::string bytes;
  return Cp1250FromUtf8Exact(utf8, &bytes) ? bytes : std::string();
}

using FileCommandsTest = TolvaneTest;

TEST_F(FileCommandsTest, LoadAndSaveThroughTheFileDialogs) {
  const std::wstring demo = WriteVat(L"demo.vat", SimVat());
  ASSERT_TRUE(StartTolvane());

  // Ctrl+S does nothing while the table is empty; Ctrl+L opens the dialog.
  ASSERT_TRUE(PressKeys(main_, {VK_CONTROL, 'S'}));
  Sync();
  ASSERT_TRUE(PressKeys(main_, {VK_CONTROL, 'L'}));
  HWND open = WaitForDialog(program_->id, kLoadTitle);
  ASSERT_NE(open, nullptr);
  // Before there is a file: the program's own name with ".vat".
  EXPECT_EQ(WindowText(FileDialogNameField(open)), L"tolvane.vat");
  // Centred over the main window.
  RECT main{}, box{};
  GetWindowRect(main_, &main);
  GetWindowRect(open, &box);
  EXPECT_NEAR((box.left + box.right) / 2, (main.left + main.right) / 2, 1);
  EXPECT_NEAR((box.top + box.bottom) / 2, (main.top + main.bottom) / 2, 1);
  Shot(open, L"file-open-dialog");
  ASSERT_TRUE(ChooseFile(open, demo));
  ASSERT_TRUE(WaitClosed(open));
  const std::wstring loaded = SimLoadEntries();
  EXPECT_EQ(LogSince(0, loaded), loaded);
  CloseReadWindow();
  EXPECT_EQ(WindowText(main_), L"Tolvane - demo.vat");

  ASSERT_TRUE(PressKeys(main_, {VK_CONTROL, 'S'}));
  HWND save = WaitForDialog(program_->id, kSaveTitle);
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(WindowText(FileDialogNameField(save)), L"demo.vat");
  ASSERT_TRUE(ChooseFile(save, L"másolat ő.vat"));
  ASSERT_TRUE(WaitClosed(save));
  Sync();
  EXPECT_EQ(WindowText(main_), L"Tolvane - másolat ő.vat");
  EXPECT_EQ(ReadBytes(dir_.File(L"másolat ő.vat")).value_or(""), ReadBytes(demo).value_or("-"));
  EXPECT_EQ(Log(), loaded);

  // A file the reader refuses: its one log line, and the table, the title
  // and the current file stay.
  ASSERT_TRUE(WriteCp1250(dir_.File(L"hibás.vat"), "[PLC]\r\nIF = MPI\r\n"));
  open = OpenDialog(IDM_FILE_OPEN, kLoadTitle);
  ASSERT_NE(open, nullptr);
  ASSERT_TRUE(ChooseFile(open, L"hibás.vat"));
  ASSERT_TRUE(WaitClosed(open));
  const std::wstring refused = L"Invalid line in hibás.vat at section PLC\r\nIF = MPI\r\n";
  EXPECT_EQ(LogSince(loaded.size(), refused), refused);
  EXPECT_EQ(WindowText(main_), L"Tolvane - másolat ő.vat");

  // Cancelled: nothing changes; the dialog starts from the current file.
  HWND cancelled = OpenDialog(IDM_FILE_OPEN, kLoadTitle);
  ASSERT_NE(cancelled, nullptr);
  EXPECT_EQ(WindowText(FileDialogNameField(cancelled)), L"másolat ő.vat");
  ASSERT_TRUE(Press(cancelled, IDCANCEL));
  ASSERT_TRUE(WaitClosed(cancelled));
  Sync();
  EXPECT_EQ(WindowText(main_), L"Tolvane - másolat ő.vat");
  EXPECT_EQ(Log(), loaded + refused);
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
  ASSERT_TRUE(StartTolvane({.directory = BesideThisProgram(L"")}, dir_.File(L"tolvane.exe")));

  HWND open = OpenDialog(IDM_FILE_OPEN, kLoadTitle);
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(WindowText(FileDialogNameField(open)), L"tolvane.vat");
  ASSERT_TRUE(ChooseFile(open, L"mpi.vat"));  // relative to the folder the dialog starts in
  ASSERT_TRUE(WaitClosed(open));
  const std::wstring loaded =
      Entry(L"S7_Interface_Init", L"", false) + Entry(L"S7_Connection_Init", L"\tPDU méret : 240\r\n", false);
  EXPECT_EQ(LogSince(0, loaded), loaded);
  CloseReadWindow();
  EXPECT_EQ(WindowText(main_), L"Tolvane - mpi.vat");
}

TEST_F(FileCommandsTest, ASaveThatFailsLeavesTheTitleAndTheFileAlone) {
  ASSERT_TRUE(StartTolvane({.args = {WriteVat(L"demo.vat", SimVat())}}));
  const std::wstring loaded = WaitForSimLoad();

  // A name code page 1250 cannot hold is refused, on loading before
  // anything is read, on saving before anything is written.
  HWND open = OpenDialog(IDM_FILE_OPEN, kLoadTitle);
  ASSERT_NE(open, nullptr);
  ASSERT_TRUE(ChooseFile(open, WriteVat(L"Ŝ.vat", SimVat())));
  ASSERT_TRUE(WaitClosed(open));
  const std::wstring notLoaded =
      L"Változó tábla betöltése : ?.vat - its name has letters that code page 1250 cannot hold. :-(\r\n";
  EXPECT_EQ(LogSince(loaded.size(), notLoaded), notLoaded);
  const std::size_t mark = loaded.size() + notLoaded.size();
  DeleteFileW(dir_.File(L"Ŝ.vat").c_str());
  HWND save = OpenDialog(IDM_FILE_SAVE, kSaveTitle);
  ASSERT_NE(save, nullptr);
  ASSERT_TRUE(ChooseFile(save, L"Ŝ.vat"));
  ASSERT_TRUE(WaitClosed(save));
  const std::wstring refused =
      L"Változó tábla mentése : ?.vat - its name has letters that code page 1250 cannot hold. :-(\r\n";
  EXPECT_EQ(LogSince(mark, refused), refused);
  EXPECT_EQ(WindowText(main_), L"Tolvane - demo.vat");
  EXPECT_EQ(GetFileAttributesW(dir_.File(L"Ŝ.vat").c_str()), INVALID_FILE_ATTRIBUTES);

  // A file another program holds cannot be written: "can't save".
  const std::wstring lockedPath = dir_.File(L"zárolt.vat");
  ASSERT_TRUE(WriteCp1250(lockedPath, "régi"));
  HANDLE lock = CreateFileW(lockedPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  save = OpenDialog(IDM_FILE_SAVE, kSaveTitle);
  ASSERT_NE(save, nullptr);
  ASSERT_TRUE(ChooseFile(save, L"zárolt.vat"));
  // The dialog asks whether to replace the file that exists.
  HWND ask = nullptr;
  EXPECT_TRUE(WaitUntil([&] {
    for (HWND d : OpenDialogs(program_->id)) if (d != save) ask = d;
    return ask != nullptr;
  }));
  if (ask) {
    ASSERT_TRUE(Press(ask, IDYES));
  }
  ASSERT_TRUE(WaitClosed(save));
  const std::wstring failed = L"Változó tábla mentése : zárolt.vat - can't save. :-(\r\n";
  EXPECT_EQ(LogSince(mark + refused.size(), failed), failed);
  CloseHandle(lock);
  EXPECT_EQ(WindowText(main_), L"Tolvane - demo.vat");
  EXPECT_EQ(ReadBytes(lockedPath).value_or(""), Utf8ToCp1250ForTest("régi"));
}

// A path the program cannot keep (260 characters or more) is not taken for
// a cancel: it is refused with a line in the log, and nothing is written.
TEST_F(FileCommandsTest, APathTooLongIsRefusedWithALogLine) {
  ASSERT_TRUE(StartTolvane({.args = {WriteVat(L"demo.vat", SimVat())}}));
  const std::wstring loaded = WaitForSimLoad();
  // Just past the program's limit: far longer names overrun the file
  // dialog's own buffers under Wine.
  const std::size_t folder = dir_.File(L"").size();
  ASSERT_LT(folder, 200u);
  const std::wstring name = std::wstring(262 - folder - 4, L'h') + L".vat";
  ASSERT_EQ(dir_.File(name).size(), 262u);
  HWND save = OpenDialog(IDM_FILE_SAVE, kSaveTitle);
  ASSERT_NE(save, nullptr);
  ASSERT_TRUE(ChooseFile(save, name));
  ASSERT_TRUE(WaitClosed(save));
  const std::wstring refused = L"Változó tábla mentése : " + name + L" - az útvonala hosszabb 259 karakternél. :-(\r\n";
  EXPECT_EQ(LogSince(loaded.size(), refused), refused);
  EXPECT_EQ(WindowText(main_), L"Tolvane - demo.vat");
  EXPECT_EQ(GetFileAttributesW((L"\\\\?\\" + dir_.File(name)).c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileCommandsTest, ALoadThatNamesAnotherPlcAsksWhichToUse) {
  plcsim::Simulator other;
  ASSERT_TRUE(other.Start(plcsim::Config{}));
  VatSpec otherSpec;  // without a name
  otherSpec.address = other.AddressText();
  const std::wstring otherVat = WriteVat(L"másik.vat", otherSpec);
  ASSERT_TRUE(StartTolvane({.args = {WriteVat(L"demo.vat", SimVat())}}));
  const std::wstring loaded = WaitForSimLoad();
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
      {L"másik.vat", IDC_CHOICE_CURRENT, IDCANCEL, L"", L"Tolvane - demo.vat"},
      {L"másik.vat", IDC_CHOICE_CURRENT, IDC_CHOICE_SAVED, switched, L"Tolvane - másik.vat"},
      // Back to the first file, keeping the connection: only the variables change.
      {L"demo.vat", IDC_CHOICE_SAVED, IDC_CHOICE_CURRENT, L"", L"Tolvane - demo.vat"},
  };
  std::size_t mark = loaded.size();
  for (const Step& step : kSteps) {
    SCOPED_TRACE(Utf8(step.file));
    HWND open = OpenDialog(IDM_FILE_OPEN, kLoadTitle);
    ASSERT_NE(open, nullptr);
    ASSERT_TRUE(ChooseFile(open, dir_.File(step.file)));
    HWND choice = WaitForDialog(program_->id, kPlcChoiceTitle);
    ASSERT_NE(choice, nullptr);
    EXPECT_EQ(Send(GetDlgItem(choice, step.preselected), BM_GETCHECK, 0, 0), std::optional<LRESULT>(BST_CHECKED));
    if (&step == &kSteps[0]) {
      EXPECT_EQ(ControlText(choice, IDC_CHOICE_CURRENT),
                L"Jelenlegi PLC használata : TCP - " + SimAddress() + L" (" + kSimNameW + L")");
      // The blank before the name's place stays.
      EXPECT_EQ(ControlText(choice, IDC_CHOICE_SAVED), L"Mentett PLC használata : TCP - " + otherAddress + L" ");
      Shot(choice, L"plc-choice");
    }
    if (step.choice != IDCANCEL) {
      ASSERT_TRUE(Press(choice, step.choice));
    }
    ASSERT_TRUE(Press(choice, step.choice == IDCANCEL ? IDCANCEL : IDOK));
    ASSERT_TRUE(WaitClosed(choice));
    if (step.choice != IDCANCEL) CloseReadWindow();  // a load that leaves a connection opens it
    Sync();
    EXPECT_EQ(Log().substr(mark), step.entries);
    EXPECT_EQ(WindowText(main_), step.title);
    mark = Log().size();
  }
  EXPECT_EQ(StatusPlc(), L" TCP : " + otherAddress + L", Rack : 0, Slot : 2");
}

}  // namespace
}  // namespace gui
