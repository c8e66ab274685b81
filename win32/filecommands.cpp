// The file dialogs of the variable table, over the toolkit's dialogs: the
// current file name to start from, the load or save it leads to.
#include "win32/filecommands.h"

#include "app/maintexts.h"
#include "app/vatload.h"
#include "win32/shell.h"
#include "win32/toolkit/filedialog.h"
#include "res/strings.h"

namespace {

std::wstring AskForFile(bool save, const char* startPath) {
  return FileDialog_Ask({TheShell()->main, save ? FileDialogKind::Save : FileDialogKind::Open,
                         save ? IDS_FILE_SAVE_TITLE : IDS_FILE_LOAD_TITLE, IDS_FILE_FILTER_NAME,
                         IDS_FILE_FILTER_PATTERN, IDS_FILE_DEFAULT_EXTENSION, startPath});
}

}  // namespace


bool Vat_Open() {
  Shell* shell = TheShell();
  if (!shell->fileName[0]) Path_DefaultTableFile(shell->modulePath, shell->fileName, sizeof shell->fileName);
  const std::wstring chosen = AskForFile(false, shell->fileName);
  char path[kPathSize];
  if (chosen.empty() || !FileDialog_TakePath(chosen, IDS_FILE_LOAD_TITLE, path)) return false;
  if (!Vat_Load(path, TheAppState())) return false;
  lstrcpynA(shell->fileName, path, sizeof shell->fileName);
  return true;
}

VatSaveResult Vat_Save() {
  Shell* shell = TheShell();
  const std::wstring chosen = AskForFile(true, shell->fileName);
  if (chosen.empty()) return VatSaveResult::Cancelled;
  char path[kPathSize];
  if (!FileDialog_TakePath(chosen, IDS_FILE_SAVE_TITLE, path)) return VatSaveResult::Failed;
  const AppState* app = TheAppState();
  if (!Vat_Write(path, &app->plc, &app->table)) return VatSaveResult::Failed;
  lstrcpynA(shell->fileName, path, sizeof shell->fileName);
  return VatSaveResult::Saved;
}
