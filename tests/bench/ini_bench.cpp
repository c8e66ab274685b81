// Saving and loading the largest variable table (the PLC section and 20
// variables of 512 named elements with views, some 370 KB) through the INI
// layer and the file layer, next to writing and reading the same bytes with
// the C library's plain file calls in the same run. The quadratic way (one
// Ini_SetString or Ini_GetString per key, each scanning the whole text) runs
// once each for comparison. Key names and values are made beforehand: they
// are the caller's work, not the INI layer's.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/runtime.h"
#include "vars/vars.h"

namespace {

struct Runtime {
  Runtime() { Rt_Init(); }
};
const Runtime runtime;

struct Key {
  std::string section, key, value;
  std::size_t size;  // of the buffer a reader would read it into
};

std::vector<Key> MakeTable() {
  std::vector<Key> keys = {
      {"PLC", "IF", "TCP", 256},         {"PLC", "Name", "Press 1", 24},  {"PLC", "Address", "192.168.0.10", 64},
      {"PLC", "TimeOut", "2000", 64},    {"PLC", "Rack", "0", 64},        {"PLC", "Slot", "2", 64},
      {"PLC", "VarCount", "20", 64},
  };
  for (int i = 0; i < 20; ++i) {
    std::string section = "Var" + std::to_string(i);
    keys.push_back({section, "Var", "DB" + std::to_string(i + 1) + ".DBW0:512 (Int)", 256});
    for (int j = 0; j < 512; ++j) {
      keys.push_back({section, "Name" + std::to_string(j), "Element " + std::to_string(j), 24});
      keys.push_back({section, "View" + std::to_string(j), j % 3 ? "Hex" : "Dec+/-", 32});
    }
  }
  return keys;
}

const std::vector<Key>& Table() {
  static const std::vector<Key> table = MakeTable();
  return table;
}

std::string PathOf(const char* name) {
  return (std::filesystem::temp_directory_path() /
          (std::string("tolvane-ini-bench-") + std::to_string(Plat_ProcessId()) + "-" + name))
      .string();
}

// The table's text, as the builder makes it.
const std::string& TableText() {
  static const std::string text = [] {
    IniBuilder b;
    Ini_BuildBegin(&b);
    for (const Key& k : Table()) Ini_BuildString(&b, k.section.c_str(), k.key.c_str(), k.value.c_str());
    char* t = Ini_BuildEnd(&b, nullptr);
    std::string s = t;
    Rt_Free(t);
    return s;
  }();
  return text;
}

void Report(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(TableText().size()));
}

// ---------------------------------------------------------------- saving

void BM_Save_Builder(benchmark::State& state) {
  const std::string path = PathOf("save.vat");
  for (auto _ : state) {
    IniBuilder b;
    Ini_BuildBegin(&b);
    for (const Key& k : Table()) Ini_BuildString(&b, k.section.c_str(), k.key.c_str(), k.value.c_str());
    std::ptrdiff_t length = 0;
    char* text = Ini_BuildEnd(&b, &length);
    FileHandle* f = File_Open(path.c_str(), kFileOpenCreate);
    benchmark::DoNotOptimize(File_Write(f, text, static_cast<std::size_t>(length)));
    File_Close(f);
    Rt_Free(text);
  }
  Report(state);
  std::remove(path.c_str());
}
BENCHMARK(BM_Save_Builder)->Unit(benchmark::kMicrosecond);

// The two halves of saving on their own: building the text, and writing it
// through the file layer.
void BM_Build_Only(benchmark::State& state) {
  for (auto _ : state) {
    IniBuilder b;
    Ini_BuildBegin(&b);
    for (const Key& k : Table()) Ini_BuildString(&b, k.section.c_str(), k.key.c_str(), k.value.c_str());
    char* text = Ini_BuildEnd(&b, nullptr);
    benchmark::DoNotOptimize(text);
    Rt_Free(text);
  }
  Report(state);
}
BENCHMARK(BM_Build_Only)->Unit(benchmark::kMicrosecond);

void BM_Save_FileLayerWrite(benchmark::State& state) {
  const std::string path = PathOf("layer.vat");
  const std::string& text = TableText();
  for (auto _ : state) {
    FileHandle* f = File_Open(path.c_str(), kFileOpenCreate);
    benchmark::DoNotOptimize(File_Write(f, text.data(), text.size()));
    File_Close(f);
  }
  Report(state);
  std::remove(path.c_str());
}
BENCHMARK(BM_Save_FileLayerWrite)->Unit(benchmark::kMicrosecond);

void BM_Save_PlainWrite(benchmark::State& state) {
  const std::string path = PathOf("plain.vat");
  const std::string& text = TableText();
  for (auto _ : state) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    benchmark::DoNotOptimize(std::fwrite(text.data(), 1, text.size(), f));
    std::fclose(f);
  }
  Report(state);
  std::remove(path.c_str());
}
BENCHMARK(BM_Save_PlainWrite)->Unit(benchmark::kMicrosecond);

void BM_Save_SetStringPerKey(benchmark::State& state) {
  const std::string path = PathOf("slow.vat");
  for (auto _ : state) {
    char* text = static_cast<char*>(Rt_Alloc(kRtZero, 65536));
    std::ptrdiff_t length = 0;
    for (const Key& k : Table())
      length = Ini_SetString(&text, k.section.c_str(), k.key.c_str(), k.value.c_str());
    FileHandle* f = File_Open(path.c_str(), kFileOpenCreate);
    benchmark::DoNotOptimize(File_Write(f, text, static_cast<std::size_t>(length)));
    File_Close(f);
    Rt_Free(text);
  }
  Report(state);
  std::remove(path.c_str());
}
BENCHMARK(BM_Save_SetStringPerKey)->Unit(benchmark::kMillisecond)->Iterations(1);

// ---------------------------------------------------------------- loading

struct SavedFile {
  std::string path = PathOf("load.vat");
  SavedFile() {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(TableText().data(), 1, TableText().size(), f);
    std::fclose(f);
  }
  ~SavedFile() { std::remove(path.c_str()); }
};

void BM_Load_Index(benchmark::State& state) {
  SavedFile file;
  char value[256];
  for (auto _ : state) {
    char* text = File_LoadText(file.path.c_str(), kLoadEnsureLineEnd | kLoadSpare, kLoadTextCap, nullptr);
    IniIndex index;
    Ini_IndexBuild(&index, text);
    std::ptrdiff_t total = 0;
    for (const Key& k : Table())
      total += Ini_IndexGetString(&index, k.section.c_str(), k.key.c_str(), value, k.size, nullptr);
    benchmark::DoNotOptimize(total);
    Ini_IndexFree(&index);
    Rt_Free(text);
  }
  Report(state);
}
BENCHMARK(BM_Load_Index)->Unit(benchmark::kMicrosecond);

// Loading without the lookups: the file read and the one walk over the text.
void BM_Load_TextAndIndexOnly(benchmark::State& state) {
  SavedFile file;
  for (auto _ : state) {
    char* text = File_LoadText(file.path.c_str(), kLoadEnsureLineEnd | kLoadSpare, kLoadTextCap, nullptr);
    IniIndex index;
    Ini_IndexBuild(&index, text);
    benchmark::DoNotOptimize(index.entryCount);
    Ini_IndexFree(&index);
    Rt_Free(text);
  }
  Report(state);
}
BENCHMARK(BM_Load_TextAndIndexOnly)->Unit(benchmark::kMicrosecond);

void BM_Load_PlainRead(benchmark::State& state) {
  SavedFile file;
  std::vector<char> buffer(TableText().size() + 1024);
  for (auto _ : state) {
    std::FILE* f = std::fopen(file.path.c_str(), "rb");
    benchmark::DoNotOptimize(std::fread(buffer.data(), 1, buffer.size(), f));
    std::fclose(f);
  }
  Report(state);
}
BENCHMARK(BM_Load_PlainRead)->Unit(benchmark::kMicrosecond);

void BM_Load_GetStringPerKey(benchmark::State& state) {
  SavedFile file;
  char value[256];
  for (auto _ : state) {
    char* text = File_LoadText(file.path.c_str(), kLoadEnsureLineEnd | kLoadSpare, kLoadTextCap, nullptr);
    std::ptrdiff_t total = 0;
    for (const Key& k : Table())
      total += Ini_GetString(text, k.section.c_str(), k.key.c_str(), value, k.size, nullptr);
    benchmark::DoNotOptimize(total);
    Rt_Free(text);
  }
  Report(state);
}
BENCHMARK(BM_Load_GetStringPerKey)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
