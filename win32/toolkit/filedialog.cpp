// The open and save dialogs: a hook centres the dialog over its owner and
// switches the shell view to details once; the path comes back as UTF-16
// and is taken in the program's code page only when every letter has a
// place there.
#include "win32/toolkit/filedialog.h"

#include <commdlg.h>

#include "app/logpane.h"
#include "app/maintexts.h"
#include "res/strings.h"
#include "vars/vars.h"
#include "win32/toolkit/winutil.h"
#include "win32/toolkit/wintext.h"

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

// The filter: its name and pattern, each ending with a zero, and a zero
// after the last.
std::wstring Filter(int nameId, int patternId) {
  std::wstring filter = WideText(nameId);
  filter.push_back(L'\0');
  filter += WideText(patternId);
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  return filter;
}

}  // namespace

std::wstring FileDialog_Ask(const FileDialogArgs& args) {
  const bool save = args.kind == FileDialogKind::Save;
  std::wstring path(kDialogPathSize, L'\0');
  lstrcpynW(path.data(), Wide(args.startPath).c_str(), static_cast<int>(kDialogPathSize));
  const std::wstring filter = Filter(args.filterNameId, args.filterPatternId);
  const std::wstring title = WideText(args.titleId);
  const std::wstring extension = WideText(args.extensionId);
  DialogState state{args.owner, false};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = args.owner;
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

bool FileDialog_TakePath(const std::wstring& chosen, int titleId, char* path) {
  std::string narrow;
  if (!Narrow(chosen.c_str(), chosen.size(), &narrow)) {
    FileDialog_LogUnusablePath(titleId, chosen, IDS_LOG_NAME_NOT_CP1250);
    return false;
  }
  if (narrow.size() >= kPathSize) {
    FileDialog_LogUnusablePath(titleId, chosen, IDS_LOG_PATH_TOO_LONG);
    return false;
  }
  lstrcpynA(path, narrow.c_str(), static_cast<int>(kPathSize));
  return true;
}

void FileDialog_LogUnusablePath(int titleId, const std::wstring& path, int reasonId) {
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
