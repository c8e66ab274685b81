// Loading and saving a variable table file through the system's file
// dialogs, starting from the current file name (or, before there is one, the
// program's own name with ".vat"); and the file dialog itself, for whatever
// else the program saves.
//
// Threads: the user-interface thread.
#pragma once

#include <windows.h>

#include <string>

// What a file dialog asks for: its title, and the filter's name and pattern
// and the default extension, as string ids.
struct FileKind {
  int title;
  int filterName;
  int filterPattern;
  int extension;
};
enum class FileDialog { Open, Save };
enum class FileChoice { Cancelled, Chosen, Unusable };
// Runs the open or save dialog over owner, starting from startPath. A chosen
// path goes into path (kPathSize bytes) in the program's code page; a name
// the code page cannot hold, or a path too long for the program, is logged
// under the title and Unusable.
FileChoice Shell_AskForFile(HWND owner, FileDialog mode, const FileKind& kind, const char* startPath, char* path);

// true when a file was chosen and loaded; it is then the current file.
bool Vat_Open();

enum class VatSaveResult { Cancelled, Saved, Failed };
// Saved makes the chosen file the current one; Failed (logged) changes
// nothing but the log.
VatSaveResult Vat_Save();

// Logs that the file named by path (chosen, or given on the command line) is
// not loaded or saved, for the reason reasonId names (a name with letters
// the program's code page cannot hold, a path too long); titleId names the
// command.
void Shell_LogUnusablePath(int titleId, const std::wstring& path, int reasonId);
