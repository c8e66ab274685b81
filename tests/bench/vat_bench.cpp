// Saving and loading the largest variable table (20 variables of 512 named
// elements with views, several hundred kilobytes) next to writing and
// reading the same bytes with plain file calls, in one run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/appstate.h"
#include "runtime/runtime.h"

namespace {

const std::string& Path() {
  static const std::string p = (std::filesystem::temp_directory_path() / "tolvane-bench.vat").string();
  return p;
}

AppState* LargeTable() {
  static AppState* app = [] {
    Rt_Init();
    auto* a = static_cast<AppState*>(Rt_Alloc(kRtZero, sizeof(AppState)));
    AppState_Reset(a);
    for (int i = 0; i < 20; ++i) {
      char definition[32];
      std::snprintf(definition, sizeof definition, "DB1.DBW%d:512 (Word)", i * 1024);
      Var_ParseDefinition(definition, &a->table.vars[i]);
      for (int j = 0; j < 512; ++j) {
        char name[24];
        std::snprintf(name, sizeof name, "v%d_element_%d", i, j);
        Var_SetElementName(&a->table.vars[i], j, name);
        a->table.vars[i].views[j] = static_cast<std::uint8_t>(j % 2 ? 4 : 2);
      }
    }
    a->table.count = 20;
    return a;
  }();
  return app;
}

void BM_VatSave(benchmark::State& state) {
  AppState* app = LargeTable();
  for (auto _ : state)
    if (!Vat_Write(Path().c_str(), &app->plc, &app->table)) state.SkipWithError("cannot write");
}
BENCHMARK(BM_VatSave)->Unit(benchmark::kMillisecond);

void BM_VatLoad(benchmark::State& state) {
  Vat_Write(Path().c_str(), &LargeTable()->plc, &LargeTable()->table);
  for (auto _ : state) {
    std::size_t length = 0;
    char* text = File_LoadText(Path().c_str(), kLoadEnsureLineEnd | kLoadSpare, kLoadTextCap, &length);
    PlcSettings plc{};
    VariableTable table{};
    if (!Vat_Read(text, &plc, &table, "bench.vat")) state.SkipWithError("cannot read");
    VarTable_Clear(&table);
    Rt_Free(text);
  }
}
BENCHMARK(BM_VatLoad)->Unit(benchmark::kMillisecond);

std::string FileBytes() {
  std::ptrdiff_t length = 0;
  char* text = Vat_BuildText(&LargeTable()->plc, &LargeTable()->table, &length);
  std::string bytes(text, static_cast<std::size_t>(length));
  Rt_Free(text);
  return bytes;
}

void BM_PlainWrite(benchmark::State& state) {
  const std::string bytes = FileBytes();
  for (auto _ : state) {
    std::FILE* f = std::fopen(Path().c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond);

void BM_PlainRead(benchmark::State& state) {
  const std::string bytes = FileBytes();
  std::string in(bytes.size(), '\0');
  for (auto _ : state) {
    std::FILE* f = std::fopen(Path().c_str(), "rb");
    benchmark::DoNotOptimize(std::fread(in.data(), 1, in.size(), f));
    std::fclose(f);
  }
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
