// Temporary directories and variable table files for the GUI tests, through
// the program's own code page converter.
#include "tests/gui/support/tempfiles.h"

#include <cstdio>
#include <filesystem>

#include "res/codepage.h"

namespace gui {

namespace {

std::wstring TempBase() {
  wchar_t temp[MAX_PATH];
  const DWORD n = GetTempPathW(MAX_PATH, temp);
  std::wstring base(temp, n < MAX_PATH ? n : 0);
  if (!base.empty() && base.back() == L'\\') base.pop_back();
  return base;
}

int g_counter = 0;

}  // namespace

TempDir::TempDir() {
  path_ = TempBase() + L"\\tolvane gui ő " + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++g_counter);
  std::error_code ec;
  std::filesystem::create_directories(path_, ec);
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

TempFile::TempFile(const std::wstring& name, const std::string& utf8)
    : path_(TempBase() + L'\\' + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++g_counter) + L"-" +
            name),
      written_(WriteCp1250(path_, utf8)) {}

TempFile::~TempFile() { DeleteFileW(path_.c_str()); }

std::string VatText(const VatSpec& spec) {
  std::string text = "[PLC]\r\nIF = " + spec.kind + "\r\n";
  if (!spec.name.empty()) text += "Name = " + spec.name + "\r\n";
  text += "Address = " + spec.address + "\r\nTimeOut = " + std::to_string(spec.timeoutMs) +
          "\r\nRack = 0\r\nSlot = 2\r\nVarCount = " + std::to_string(spec.vars.size()) + "\r\n";
  for (std::size_t i = 0; i < spec.vars.size(); ++i) {
    text += "[Var" + std::to_string(i) + "]\r\nVar = " + spec.vars[i].definition + "\r\n";
    for (const std::string& line : spec.vars[i].lines) text += line + "\r\n";
  }
  return text;
}

bool WriteCp1250(const std::wstring& path, const std::string& utf8) {
  std::string bytes;
  if (!Cp1250FromUtf8Exact(utf8, &bytes)) return false;
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && written;
}

std::optional<std::string> ReadBytes(const std::wstring& path) {
  FILE* f = _wfopen(path.c_str(), L"rb");
  if (!f) return std::nullopt;
  std::string bytes;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
  std::fclose(f);
  return bytes;
}

std::string Utf8OfCp1250(const std::string& bytes) { return Utf8FromCp1250(bytes); }

}  // namespace gui
