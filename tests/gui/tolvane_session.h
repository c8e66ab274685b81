// tolvane.exe driven from outside against the PLC simulator that runs inside
// the test program: the program is started, its dialogs are found by title
// and worked control by control, and its log (the main window's Edit) is
// read back. One program per test; the simulator lives as long as the test.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/gui/driver/driver.h"
#include "tools/plcsim/plcsim.h"

namespace gui {

// Dialog titles as the program shows them.
inline constexpr wchar_t kInterfaceTitle[] = L"Illesztő kiválasztása";
inline constexpr wchar_t kConnectionTitle[] = L"PLC kapcsolat";
inline constexpr wchar_t kStartTitle[] = L"Start CPU";
inline constexpr wchar_t kClockTitle[] = L"Óra beállítása";
inline constexpr wchar_t kLoginTitle[] = L"Login";

class TolvaneSession : public GuiTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts tolvane.exe and waits for its main window; false after failing
  // the test.
  bool StartTolvane(const StartOptions& options = {});
  // Posts a menu command and waits for the dialog it opens (null after
  // failing the test).
  HWND OpenDialog(int command, const wchar_t* title);
  // Waits until the dialog has closed.
  bool WaitClosed(HWND dialog);
  // Presses OK or Cancel and waits for the dialog to close.
  bool Close(HWND dialog, int button);

  // A table file that leaves a connection opens the read window: waited
  // for (its absence fails the test) and closed, so that the main window
  // takes commands again.
  void CloseReadWindow();
  // Puts a path into a file dialog's name field.
  bool SetFileDialogName(HWND fileDialog, const std::wstring& path);
  // Saves the table through "Ment" (a posted command, or its accelerator
  // Ctrl+S) into path; the file's bytes, or nothing after failing the test.
  std::optional<std::string> SaveTable(const std::wstring& path, bool accelerator = false);

  // The log pane's whole text, and what was added after a mark (its length
  // then), once it contains expected (empty: as it is now).
  std::wstring Log();
  std::size_t LogMark() { return Log().size(); }
  std::wstring LogSince(std::size_t mark, const std::wstring& expected = L"", DWORD timeoutMs = kDefaultWaitMs);

  // The status bar's PLC part.
  std::wstring StatusPlc();

  // A control's text, set as another program would (WM_SETTEXT; the control
  // tells its dialog of the change as if the user had typed).
  bool SetText(HWND dialog, int id, const std::wstring& text);
  // Types into a control with real keys after selecting its whole text.
  bool TypeInto(HWND dialog, int id, const std::wstring& text);
  bool OkEnabled(HWND dialog) { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE; }
  // Whether the control is drawn black on red, as an invalid field.
  bool DrawnRed(HWND dialog, int id);

  // One text set into a number field and whether the dialog must take it.
  struct FieldCase {
    int field;
    std::wstring text;
    bool valid;
  };
  // Sets each text in turn; after each, OK and the red background follow
  // the text's validity. An invalid case is put right again with restore,
  // which must clear it.
  void CheckFieldCases(HWND dialog, const std::vector<FieldCase>& cases, const std::wstring& restore);

  // Holds the upper arrow of a spinner for ms; the positions it took, the
  // first being where it started. HasStep: whether one move was step.
  static std::vector<int> HoldArrow(HWND spinner, DWORD ms);
  static bool HasStep(const std::vector<int>& positions, int step);

  // A screenshot of the dialog over the main window, for a look by eye.
  static void Shot(HWND window, const wchar_t* name);

  // The simulator's address as the IPv4 field takes it (first part high).
  DWORD SimulatorAddress() const;
  // Opens a TCP interface and a connection named name to the simulator
  // through the two dialogs.
  bool ConnectToSimulator(const std::wstring& name = L"");

  plcsim::Simulator sim_;
  plcsim::Config simConfig_;
  const Program* program_ = nullptr;
  HWND main_ = nullptr;
};

}  // namespace gui
