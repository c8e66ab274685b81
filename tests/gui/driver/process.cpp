// Program start with its own arguments and environment (CreateProcessW), exit
// codes, and the end of a test: open dialogs reported, processes killed.
#include "tests/gui/driver/process.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "tests/gui/driver/texts.h"
#include "tests/gui/driver/windowfind.h"

namespace gui {
namespace {

// The quoting that CommandLineToArgvW and the C runtime undo: backslashes
// count only before a double quote.
void AppendQuoted(std::wstring& line, const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    line += arg;
    return;
  }
  line += L'"';
  for (auto it = arg.begin();; ++it) {
    std::size_t backslashes = 0;
    while (it != arg.end() && *it == L'\\') {
      ++it;
      ++backslashes;
    }
    if (it == arg.end()) {
      line.append(backslashes * 2, L'\\');
      break;
    }
    if (*it == L'"') {
      line.append(backslashes * 2 + 1, L'\\');
    } else {
      line.append(backslashes, L'\\');
    }
    line += *it;
  }
  line += L'"';
}

// This process's environment with the given entries added or replaced, as a
// block sorted by name the way Windows keeps it.
std::wstring EnvironmentBlock(const std::vector<std::wstring>& extra) {
  struct NoCase {
    bool operator()(const std::wstring& a, const std::wstring& b) const {
      return _wcsicmp(a.c_str(), b.c_str()) < 0;
    }
  };
  std::map<std::wstring, std::wstring, NoCase> vars;
  auto add = [&](const std::wstring& entry) {
    // Names such as "=C:" (a drive's directory) start with '='.
    const std::size_t eq = entry.find(L'=', 1);
    if (eq != std::wstring::npos) vars[entry.substr(0, eq)] = entry.substr(eq + 1);
  };
  if (wchar_t* block = GetEnvironmentStringsW()) {
    for (const wchar_t* p = block; *p; p += wcslen(p) + 1) add(p);
    FreeEnvironmentStringsW(block);
  }
  for (const std::wstring& entry : extra) add(entry);
  std::wstring out;
  for (const auto& [name, value] : vars) {
    out += name + L'=' + value;
    out += L'\0';
  }
  out += L'\0';
  return out;
}

std::wstring DirectoryOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// Under Wine, CreateProcessW fails with ERROR_INTERNAL_ERROR in one case
// only: the new process ended while Wine was still starting it, before the
// program's first instruction. (Wine 8's NtCreateUserProcess waits until the
// child reports its start-up done, and returns STATUS_INTERNAL_ERROR when the
// child died first without an exit code of its own.) Nothing of the program
// has run then, so the fault is Wine's or the system's: it came once in
// some two hundred starts (five runs of the GUI tier on a loaded machine),
// the starts around it succeeding. Wine's error line named the cause when it
// came again: "failed to map the shared user data: c0000018", its start-up
// finding the fixed address of that page taken in the new process, which
// depends on where the system laid it out. That error alone is tried again,
// a bounded number of times, each failure written to stderr; Wine's error
// lines (the GUI tier keeps them) say what ended the child.
constexpr DWORD kDiedWhileWineStartedIt = ERROR_INTERNAL_ERROR;
constexpr int kStartAttempts = 3;
constexpr DWORD kStartRetryPauseMs = 500;

}  // namespace

std::wstring CommandLine(const std::wstring& path, const std::vector<std::wstring>& args) {
  std::wstring line;
  AppendQuoted(line, path);
  for (const std::wstring& arg : args) {
    line += L' ';
    AppendQuoted(line, arg);
  }
  return line;
}

std::optional<DWORD> WaitForExit(const Program& program, DWORD timeoutMs) {
  if (WaitForSingleObject(program.process, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  if (!GetExitCodeProcess(program.process, &code)) return std::nullopt;
  return code;
}

bool IsRunning(const Program& program) { return WaitForSingleObject(program.process, 0) == WAIT_TIMEOUT; }

std::wstring BesideThisProgram(const std::wstring& fileName) {
  wchar_t self[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
  return DirectoryOf(std::wstring(self, n)) + L'\\' + fileName;
}

const Program* ProgramSet::Start(const std::wstring& path, const StartOptions& options, std::wstring* error) {
  std::wstring line = CommandLine(path, options.args);
  std::wstring env = EnvironmentBlock(options.env);
  const std::wstring dir = options.directory.empty() ? DirectoryOf(path) : options.directory;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  for (int attempt = 1;; ++attempt) {
    if (CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT, env.data(),
                       dir.empty() ? nullptr : dir.c_str(), &si, &pi))
      break;
    const DWORD code = GetLastError();
    const std::wstring why = L"cannot start " + path + L": error " + std::to_wstring(code);
    if (code != kDiedWhileWineStartedIt || attempt == kStartAttempts) {
      if (error) *error = why + (code == kDiedWhileWineStartedIt ? L" (it died while Wine started it)" : L"");
      return nullptr;
    }
    std::fprintf(stderr, "%s (it died while Wine started it); starting it again, attempt %d of %d\n",
                 Utf8(why).c_str(), attempt + 1, kStartAttempts);
    std::fflush(stderr);
    Sleep(kStartRetryPauseMs);
  }
  CloseHandle(pi.hThread);
  auto program = std::make_unique<Program>();
  program->process = pi.hProcess;
  program->id = pi.dwProcessId;
  program->path = path;
  programs_.push_back(std::move(program));
  return programs_.back().get();
}

std::vector<std::wstring> ProgramSet::EndAll() {
  std::vector<std::wstring> open;
  for (const auto& program : programs_) {
    if (!IsRunning(*program)) continue;
    for (HWND dialog : OpenDialogs(program->id)) open.push_back(DescribeDialog(dialog));
  }
  KillAll();
  return open;
}

void ProgramSet::KillAll() {
  for (const auto& program : programs_) {
    if (IsRunning(*program)) {
      TerminateProcess(program->process, kKilledExitCode);
      WaitForSingleObject(program->process, 5000);
    }
  }
}

ProgramSet::~ProgramSet() {
  KillAll();
  for (const auto& program : programs_) CloseHandle(program->process);
}

}  // namespace gui
