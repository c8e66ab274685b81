// The fixture of the GUI tests of tolvane.exe: the real program started beside
// the test program against a PLC simulator that runs inside it, worked from
// outside through its main window, log, status bar, dialogs and read window.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/gui/driver/driver.h"
#include "tests/gui/support/tempfiles.h"
#include "tools/plcsim/plcsim.h"

namespace gui {

// Window titles as the program shows them.
inline constexpr wchar_t kInterfaceTitle[] = L"Illesztő kiválasztása";
inline constexpr wchar_t kConnectionTitle[] = L"PLC kapcsolat";
inline constexpr wchar_t kStartTitle[] = L"Start CPU";
inline constexpr wchar_t kClockTitle[] = L"Óra beállítása";
inline constexpr wchar_t kLoginTitle[] = L"Login";
inline constexpr wchar_t kAboutTitle[] = L"Tolvane névjegy";
inline constexpr wchar_t kLoadTitle[] = L"Változó tábla betöltése";
inline constexpr wchar_t kSaveTitle[] = L"Változó tábla mentése";
inline constexpr wchar_t kPlcChoiceTitle[] = L"Plc kiválasztása";
// The read window; the list dialog of "Olvasás" carries the same title.
inline constexpr wchar_t kReadTitle[] = L"Változók olvasása";

// The PLC name that SimVat() gives the simulator.
inline constexpr char kSimName[] = "Présgép ő ű Á";
inline constexpr wchar_t kSimNameW[] = L"Présgép ő ű Á";

// One tolvane.exe at a time in the members (a test that starts a second one
// keeps the first's handles itself), the simulator for the whole test, and a
// temporary folder whose path has blanks and Hungarian letters for the
// variable table files. Everything runs on the test's thread.
class TolvaneTest : public GuiTest {
 protected:
  // The simulator starts with simConfig_ (a test's constructor may change
  // it) and stops after every program has ended.
  void SetUp() override;
  void TearDown() override;

  // Starts tolvane.exe (the copy beside the tests unless exe names another)
  // with the test's folder as its working directory unless options name one,
  // and waits for its main window; false after failing the test.
  bool StartTolvane(const StartOptions& options = {}, const std::wstring& exe = L"");

  // A variable table file for the simulator (named kSimName), and one written
  // into the test's folder (its path).
  VatSpec SimVat() const;
  std::wstring WriteVat(const std::wstring& name, const VatSpec& spec);
  // The simulator's address as text, and as the IPv4 field takes it (the
  // first part in the high byte).
  std::wstring SimAddress() const;
  DWORD SimIpAddress() const;

  // The main window's log (an Edit) and status bar.
  HWND LogEdit() const;
  HWND StatusBar() const;
  // The log's whole text, its length as a mark, and what it gained after a
  // mark once the gain holds expected (empty: as it is now); a gain that
  // never holds it fails the test, and what came is returned all the same.
  std::wstring Log() const;
  std::size_t LogMark() const { return Log().size(); }
  std::wstring LogSince(std::size_t mark, const std::wstring& expected = L"", DWORD timeoutMs = kDefaultWaitMs);
  // Posts a menu command and returns what the log gained once it holds
  // expected.
  std::wstring Run(int command, const std::wstring& expected);
  // The status bar's parts, and its PLC part (its absence fails the test).
  std::vector<std::wstring> Status() const;
  std::wstring StatusPlc() const;
  // The height of a log line in pixels (the log must hold two lines).
  int LogLineHeight() const;
  // Proves that everything posted or typed before it was handled: opens the
  // about box with the "?" key and closes it with Esc. timeoutMs bounds the
  // wait for what is queued before it.
  void Sync(DWORD timeoutMs = kDefaultWaitMs);

  // Waits until the log holds the entries of loading SimVat() and closes the
  // read window the load opens; the log.
  std::wstring WaitForSimLoad();
  // Opens a TCP interface and a connection named name to the simulator
  // through the two dialogs.
  bool ConnectToSimulator(const std::wstring& name = L"");

  // The read window once it is open (null after failing the test).
  HWND WaitForReadWindow();
  // A load or a transfer that leaves a connection opens the read window over
  // the disabled main window: waited for (its absence fails the test) and
  // closed, then the main window takes commands again.
  void CloseReadWindow();

  // Posts a menu command and waits for the dialog it opens (null after
  // failing the test).
  HWND OpenDialog(int command, const wchar_t* title);
  // Waits until the dialog has closed; false after failing the test.
  bool WaitClosed(HWND dialog);
  // Presses OK or Cancel (enabled) and waits for the dialog to close.
  bool Close(HWND dialog, int button);
  // A button pressed by a posted click, for a button that opens a dialog or
  // a message box: a sent click would wait for that to close.
  static bool Press(HWND dialog, int id);

  // Puts a name or path into a file dialog's name field; ChooseFile then
  // presses its OK.
  static bool SetFileDialogName(HWND fileDialog, const std::wstring& name);
  static bool ChooseFile(HWND fileDialog, const std::wstring& name);
  // Saves the table through "Ment" (a posted command, or its accelerator
  // Ctrl+S) into path; the file's bytes, or nothing after failing the test.
  std::optional<std::string> SaveTable(const std::wstring& path, bool accelerator = false);

  // A control's text, set as another program would (WM_SETTEXT; the control
  // tells its dialog of the change as if the user had typed).
  static bool SetText(HWND dialog, int id, const std::wstring& text);
  // Types into a control with real keys after selecting its whole text.
  static bool TypeInto(HWND dialog, int id, const std::wstring& text);
  static bool OkEnabled(HWND dialog) { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE; }
  // Whether the control is drawn black on red, as an invalid field.
  static bool DrawnRed(HWND dialog, int id);

  // One text set into a number field and whether the dialog must take it.
  struct FieldCase {
    int field;
    std::wstring text;
    bool valid;
  };
  // Sets each text in turn; after each, OK and the red background follow
  // the text's validity. An invalid case is put right again with restore,
  // which must clear it.
  static void CheckFieldCases(HWND dialog, const std::vector<FieldCase>& cases, const std::wstring& restore);

  // Holds the upper arrow of a spinner for ms; the positions it took, the
  // first being where it started. HasStep: whether one move was step.
  static std::vector<int> HoldArrow(HWND spinner, DWORD ms);
  static bool HasStep(const std::vector<int>& positions, int step);

  // A screenshot of the window and the program's others beside it, for a
  // look by eye; one that cannot be taken fails the test.
  static void Shot(HWND window, const std::wstring& name);

  plcsim::Config simConfig_;
  plcsim::Simulator sim_;
  TempDir dir_;
  const Program* program_ = nullptr;
  HWND main_ = nullptr;
};

// A log entry of the simulator's PLC (named kSimName unless named is false),
// and the entries of loading SimVat().
std::wstring Entry(const std::wstring& operation, const std::wstring& detail = L"", bool named = true);
std::wstring SimLoadEntries();

}  // namespace gui
