// The file dialogs of the variable table. Paths come back as UTF-16 and are
// taken in the program's code page only when every letter has a place there:
// a file whose name would turn into question marks is not opened or written
// under a garbled name.
#include "win32/filecommands.h"

#include <windows.h>
#include <commdlg.h>

#include "app/maintexts.h"
#include "app/vatload.h"
#include "win32/shell.h"
#include "win32/toolkit/winutil.h"
#include "win32/toolkit/wintext.h"
#include "res/strings.h"

namespace {

constexpr UINT kDetailsView = 0x702C;  // the shell view's "Details" command
// The dialogs take paths of any length the system has; the program keeps
// kPathSize, so a longer one is refused with a log line after the choice
// rather than taken for a cancel.
constexpr DWORD kDialogPathSize = 32768;

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

constexpr FileKind kTableFile = {IDS_FILE_SAVE_TITLE, IDS_FILE_FILTER_NAME, IDS_FILE_FILTER_PATTERN,
                                  IDS_FILE_DEFAULT_EXTENSION};

// The filter: "Változó tábla (*.vat)", "*.vat", each ending with a zero, and
// a zero after the last.
std::wstring Filter(const FileKind& kind) {
  std::wstring filter = WideText(kind.filterName);
  filter.push_back(L'\0');
  filter += WideText(kind.filterPattern);
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  return filter;
}

// Runs the open or save dialog from startPath; the chosen path in UTF-16, or
// empty when cancelled.
std::wstring AskForFile(HWND owner, FileDialog mode, const FileKind& kind, const char* startPath) {
  const bool save = mode == FileDialog::Save;
  std::wstring path(kDialogPathSize, L'\0');
  lstrcpynW(path.data(), Wide(startPath).c_str(), static_cast<int>(kDialogPathSize));
  const std::wstring filter = Filter(kind);
  const std::wstring title = WideText(kind.title);
  const std::wstring extension = WideText(kind.extension);
  DialogState state{owner, false};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = path.data();
  ofn.nMaxFile = kDialogPathSize;
  ofn.lpstrTitle = title.c_str();
  ofn.lpstrDefExt = extension.c_str();
  ofn.lpfnHook = FileDialogHook;
  ofn.lCustData = reinterpret_cast<LPARAM>(&state);
  ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_ENABLEHOOK |
              (save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN : OFN_FILEMUSTEXIST);
  const BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (!chosen) return std::wstring();
  path.resize(lstrlenW(path.c_str()));
  return path;
}

// The chosen path in the program's code page; false, after a log line, when
// its name cannot be held there or the path is too long for the program.
bool TakePath(const std::wstring& chosen, int titleId, char* path) {
  std::string narrow;
  if (!Narrow(chosen.c_str(), chosen.size(), &narrow)) {
    Shell_LogUnusablePath(titleId, chosen, IDS_LOG_NAME_NOT_CP1250);
    return false;
  }
  if (narrow.size() >= kPathSize) {
    Shell_LogUnusablePath(titleId, chosen, IDS_LOG_PATH_TOO_LONG);
    return false;
  }
  lstrcpynA(path, narrow.c_str(), static_cast<int>(kPathSize));
  return true;
}

}  // namespace

void Shell_LogUnusablePath(int titleId, const std::wstring& path, int reasonId) {
  // Shown with "?" for what cannot be held: the log is in the code page too.
  std::string shown;
  for (wchar_t c : path) {
    std::string one;
    shown += Narrow(&c, 1, &one) ? one : "?";
  }
  char line[512];
  const int n = FormatTextN(line, sizeof line, LoadText(IDS_LOG_FILE_FAILED), TextId(titleId),
                            Path_NamePart(shown.c_str()), TextId(reasonId));
  LogWrite(MainLogPane(), line, static_cast<std::size_t>(n), LogOwnership::CallerKeeps);
}

FileChoice Shell_AskForFile(HWND owner, FileDialog mode, const FileKind& kind, const char* startPath, char* path) {
  const std::wstring chosen = AskForFile(owner, mode, kind, startPath);
  if (chosen.empty()) return FileChoice::Cancelled;
  return TakePath(chosen, kind.title, path) ? FileChoice::Chosen : FileChoice::Unusable;
}

bool Vat_Open() {
  Shell* shell = TheShell();
  if (!shell->fileName[0]) Path_DefaultTableFile(shell->modulePath, shell->fileName, sizeof shell->fileName);
  FileKind kind = kTableFile;
  kind.title = IDS_FILE_LOAD_TITLE;
  char path[kPathSize];
  if (Shell_AskForFile(shell->main, FileDialog::Open, kind, shell->fileName, path) != FileChoice::Chosen) return false;
  if (!Vat_Load(path, TheAppState())) return false;
  lstrcpynA(shell->fileName, path, sizeof shell->fileName);
  return true;
}

VatSaveResult Vat_Save() {
  Shell* shell = TheShell();
  char path[kPathSize];
  switch (Shell_AskForFile(shell->main, FileDialog::Save, kTableFile, shell->fileName, path)) {
    case FileChoice::Cancelled: return VatSaveResult::Cancelled;
    case FileChoice::Unusable: return VatSaveResult::Failed;
    case FileChoice::Chosen: break;
  }
  const AppState* app = TheAppState();
  if (!Vat_Write(path, &app->plc, &app->table)) return VatSaveResult::Failed;
  lstrcpynA(shell->fileName, path, sizeof shell->fileName);
  return VatSaveResult::Saved;
}
