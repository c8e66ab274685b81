// Files the GUI tests give the program: a temporary directory whose path has
// blanks and a Hungarian letter (as users' folders do), variable table files
// for the simulator or the stand-in bus written in code page 1250, and the
// bytes of a file the program saved.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace gui {

// A fresh directory under the temporary directory, removed with everything
// in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::wstring& Path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return path_ + L'\\' + name; }

 private:
  std::wstring path_;
};

// A file of plain ASCII name directly in the temporary directory, for
// programs that take paths in the ANSI code page; removed when it goes.
class TempFile {
 public:
  TempFile(const std::wstring& name, const std::string& utf8);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const std::wstring& Path() const { return path_; }
  bool Written() const { return written_; }

 private:
  std::wstring path_;
  bool written_;
};

// One variable of a table file: its definition and the further lines of its
// section (UTF-8), such as element names and display modes.
struct VatVar {
  std::string definition;          // "DB1.DBW0:2 (Int)"
  std::vector<std::string> lines;  // "Name0 = Hőfok", "View0 = Hex"
};

// What a variable table file names: the PLC and the variables.
struct VatSpec {
  std::string kind = "TCP";
  std::string name;     // UTF-8; empty: no "Name" line
  std::string address;  // "127.0.0.5" for TCP, the station address otherwise
  int timeoutMs = 1000;
  std::vector<VatVar> vars = {{"DB1.DBW0:2 (Int)"}};
};

// The file's text (UTF-8, CR LF), as the program writes it.
std::string VatText(const VatSpec& spec);

// Writes a UTF-8 text as code page 1250 bytes; false when it cannot.
bool WriteCp1250(const std::wstring& path, const std::string& utf8);
// The file's bytes, or nothing when it cannot be read.
std::optional<std::string> ReadBytes(const std::wstring& path);
// The UTF-8 form of code page 1250 bytes.
std::string Utf8OfCp1250(const std::string& bytes);

}  // namespace gui
