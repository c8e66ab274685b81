// The system's open and save dialogs as the program shows them (centred over
// their owner, in the details view), and taking the chosen path into the
// program's code page: a file whose name would turn into question marks, or
// a path longer than the program keeps, is refused with a log line rather
// than opened or written under another name.
//
// Threads: the thread that owns the owner window (the main window's, or the
// read window's for its value log).
#pragma once

#include <windows.h>

#include <string>

enum class FileDialogKind { Open, Save };

// The texts are string ids: the title, the filter's name ("Változó tábla
// (*.vat)") and pattern ("*.vat"), the extension a name without one gets.
struct FileDialogArgs {
  HWND owner;
  FileDialogKind kind;
  int titleId, filterNameId, filterPatternId, extensionId;
  const char* startPath;  // code page 1250; empty starts in the current folder
};

// The chosen path in UTF-16, or empty when cancelled. A save asks before
// overwriting a file.
std::wstring FileDialog_Ask(const FileDialogArgs& args);

// The chosen path in code page 1250 into path (kPathSize bytes); false, after
// a log line naming the command by titleId, when it cannot be held there.
bool FileDialog_TakePath(const std::wstring& chosen, int titleId, char* path);

// Logs that the file named by path is not loaded or saved for the reason
// reasonId names; titleId names the command.
void FileDialog_LogUnusablePath(int titleId, const std::wstring& path, int reasonId);
