// The base of the tests that drive the real tolvane.exe from outside: a PLC
// simulator in this process, a temporary directory for variable table files,
// and the program's main window with its log and status bar, read through
// the W messages.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/gui/driver/driver.h"
#include "tests/gui/support/tempfiles.h"
#include "tools/plcsim/plcsim.h"

namespace gui {

// One running tolvane.exe and the windows a test reads.
struct App {
  const Program* program = nullptr;
  HWND main = nullptr;
  HWND log = nullptr;     // the Edit control, id 150
  HWND status = nullptr;  // the status bar, id 102
};

// The PLC name the simulator's files carry.
inline constexpr char kSimName[] = "Présgép ő ű Á";
inline constexpr wchar_t kSimNameW[] = L"Présgép ő ű Á";

class TolvaneTest : public GuiTest {
 protected:
  void SetUp() override;

  // Starts tolvane.exe with args and waits for its main window (class
  // "TOLVANE"); a failed start fails the test and leaves main null.
  App StartTolvane(const std::vector<std::wstring>& args = {}, const std::vector<std::wstring>& env = {});

  // A variable table file in the temporary directory for the simulator.
  VatSpec SimVat() const;
  std::wstring SimAddress() const;
  std::wstring WriteVat(const std::wstring& name, const VatSpec& spec);

  std::wstring Log(const App& app) const { return WindowText(app.log); }
  // Posts command id and returns what the log gained once it holds at least
  // `expected` more characters (or the wait ran out).
  std::wstring Run(const App& app, int id, const std::wstring& expected);
  // Waits until the log holds the entries of loading SimVat(), and closes
  // the read window the load opens; the log.
  std::wstring WaitForSimLoad(const App& app);
  // A load that leaves a connection opens the read window over the disabled
  // main window: closes it and waits for the main window to take commands.
  void CloseReadWindow(const App& app);
  // Waits until the log has grown past mark by at least n characters.
  std::wstring LogSince(const App& app, std::size_t mark, std::size_t n);
  std::vector<std::wstring> Status(const App& app) const;

  // Proves that everything posted or typed before it was handled: opens the
  // about box with the "?" key and closes it with Esc.
  // timeoutMs bounds the wait for what is queued before it.
  void Sync(const App& app, DWORD timeoutMs = kDefaultWaitMs);

  // The height of a log line in pixels (the log must hold two lines).
  int LogLineHeight(const App& app) const;

  plcsim::Simulator sim_;
  TempDir dir_;
};

// The entries expected in the log for the named simulator PLC.
std::wstring SimLoadEntries();
std::wstring Entry(const std::wstring& operation, const std::wstring& detail = L"", bool named = true);

}  // namespace gui
