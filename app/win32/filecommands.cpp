// The file dialogs of the variable table. Paths come back as UTF-16 and are
// taken in the program's code page only when every letter has a place there:
// a file whose name would turn into question marks is not opened or written
// under a garbled name.
#include "app/win32/filecommands.h"

#include <windows.h>
#include <commdlg.h>

#include "app/shelltext.h"
#include "app/vatload.h"
#include "app/win32/shell.h"
#include "app/win32/winutil.h"
#include "app/win32/wintext.h"
#include "res/strings.h"

namespace {

constexpr UINT kDetailsView = 0x702C;  // the shell view's "Details" command

struct DialogState {
  HWND owner;
  bool detailsShown;
};

UINT_PTR CALLBACK FileDialogHook(HWND hook, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(hook, GWLP_USERDATA, reinterpret_cast<const OPENFILENAMEW*>(lParam)->lCustData);
    return 0;
  }
  if (message != WM_NOTIFY) return 0;
  auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(hook, GWLP_USERDATA));
  const auto* note = reinterpret_cast<const OFNOTIFYW*>(lParam);
  HWND dialog = GetParent(hook);
  if (!state) return 0;
  if (note->hdr.code == CDN_INITDONE) CentreWindow(dialog, state->owner);
  if (note->hdr.code == CDN_FOLDERCHANGE && !state->detailsShown) {
    if (HWND view = FindWindowExW(dialog, nullptr, L"SHELLDLL_DefView", nullptr)) {
      SendMessageW(view, WM_COMMAND, kDetailsView, 0);
      state->detailsShown = true;
    }
  }
  return 0;
}

// The filter: "Változó tábla (*.vat)", "*.vat", each ending with a zero, and
// a zero after the last.
std::wstring Filter() {
  std::wstring filter = WideText(IDS_FILE_FILTER_NAME);
  filter.push_back(L'\0');
  filter += WideText(IDS_FILE_FILTER_PATTERN);
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  return filter;
}

// Runs the open or save dialog from the current file; the chosen path in
// UTF-16, or empty when cancelled.
std::wstring AskForFile(bool save, const char* startPath) {
  Shell* shell = TheShell();
  wchar_t path[kShellPathSize] = L"";
  lstrcpynW(path, Wide(startPath).c_str(), kShellPathSize);
  const std::wstring filter = Filter();
  const std::wstring title = WideText(save ? IDS_FILE_SAVE_TITLE : IDS_FILE_LOAD_TITLE);
  const std::wstring extension = WideText(IDS_FILE_DEFAULT_EXTENSION);
  DialogState state{shell->main, false};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = shell->main;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = path;
  ofn.nMaxFile = kShellPathSize;
  ofn.lpstrTitle = title.c_str();
  ofn.lpstrDefExt = extension.c_str();
  ofn.lpfnHook = FileDialogHook;
  ofn.lCustData = reinterpret_cast<LPARAM>(&state);
  ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_ENABLEHOOK |
              (save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN : OFN_FILEMUSTEXIST);
  const BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  return chosen ? std::wstring(path) : std::wstring();
}

// The chosen path in the program's code page; false, after a log line, when
// its name cannot be held there.
bool TakePath(const std::wstring& chosen, int titleId, char* path) {
  std::string narrow;
  if (Narrow(chosen.c_str(), chosen.size(), &narrow) && narrow.size() < kShellPathSize) {
    lstrcpynA(path, narrow.c_str(), static_cast<int>(kShellPathSize));
    return true;
  }
  Shell_LogUnholdableName(titleId, chosen);
  return false;
}

}  // namespace

void Shell_LogUnholdableName(int titleId, const std::wstring& path) {
  // Shown with "?" for what cannot be held: the log is in the code page too.
  std::string shown;
  for (wchar_t c : path) {
    std::string one;
    shown += Narrow(&c, 1, &one) ? one : "?";
  }
  char line[512];
  const int n = FormatTextN(line, sizeof line, LoadText(IDS_LOG_FILE_FAILED), TextId(titleId),
                            Shell_NamePart(shown.c_str()), TextId(IDS_LOG_NAME_NOT_CP1250));
  LogWrite(MainLogPane(), line, static_cast<std::size_t>(n), LogOwnership::CallerKeeps);
}

bool Vat_Open() {
  Shell* shell = TheShell();
  if (!shell->fileName[0]) Shell_DefaultFileName(shell->modulePath, shell->fileName, sizeof shell->fileName);
  const std::wstring chosen = AskForFile(false, shell->fileName);
  char path[kShellPathSize];
  if (chosen.empty() || !TakePath(chosen, IDS_FILE_LOAD_TITLE, path)) return false;
  if (!Vat_Load(path, TheAppState())) return false;
  lstrcpynA(shell->fileName, path, sizeof shell->fileName);
  return true;
}

VatSaveResult Vat_Save() {
  Shell* shell = TheShell();
  const std::wstring chosen = AskForFile(true, shell->fileName);
  if (chosen.empty()) return VatSaveResult::Cancelled;
  char path[kShellPathSize];
  if (!TakePath(chosen, IDS_FILE_SAVE_TITLE, path)) return VatSaveResult::Failed;
  const AppState* app = TheAppState();
  if (!Vat_Write(path, &app->plc, &app->table)) return VatSaveResult::Failed;
  lstrcpynA(shell->fileName, path, sizeof shell->fileName);
  return VatSaveResult::Saved;
}
