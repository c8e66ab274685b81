// The formatting engine next to the C library's snprintf in the same run: the
// command log's entry format (string ids resolved by the engine, ready texts
// for snprintf) and the single directives "%d", "%#d", "%.3f", "%e" and "%s"
// against their nearest printf equivalents. The engine does less than printf
// and should not be slower. Values cycle through a small table so that no
// call can be folded away.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "runtime/runtime.h"
#include "vars/vars.h"

namespace {

constexpr int kInts[8] = {0, 7, -42, 1234567, -2147483647, 65535, 100000, 987654321};
constexpr double kReals[8] = {0.0, 3.14159274, -2.5, 12345.678, 1.0e-7, 6.02214076e23, -0.001, 299792.458};
const char* const kTexts[4] = {"Press 1", "DB1.DBW2:3 (Int)", "", "S7_MultiRead"};

struct Runtime {
  Runtime() { Rt_Init(); }
};
const Runtime runtime;

// ---------------------------------------------------------------- the log entry

void BM_LogEntry_FormatTextN(benchmark::State& state) {
  const char* entry = LoadText(IDS_LOG_ENTRY);
  char out[2048];
  unsigned i = 0;
  for (auto _ : state) {
    int x = (i & 1) ? 10061 : 0;
    benchmark::DoNotOptimize(FormatTextN(out, sizeof out, entry, "Press 1", 1,
                                         TextId(IDS_OP_CONNECT + (i & 7)), TextId(IDS_ERR_SOCKET), x, x, x,
                                         "\tPDU m\xE9ret : 240\r\n"));
    ++i;
  }
}
BENCHMARK(BM_LogEntry_FormatTextN);

void BM_LogEntry_snprintf(benchmark::State& state) {
  // printf has no optional sections: the full form, with the texts looked up
  // beforehand.
  const char* names[8];
  for (int k = 0; k < 8; ++k) names[k] = LoadText(IDS_OP_CONNECT + k);
  const char* error = LoadText(IDS_ERR_SOCKET);
  char out[2048];
  unsigned i = 0;
  for (auto _ : state) {
    int x = (i & 1) ? 10061 : 0;
    benchmark::DoNotOptimize(std::snprintf(out, sizeof out,
                                           "%s - %s : %s. Kieg\xE9sz\xEDt\xF5 hibak\xF3" "d : %d(0x%04x).\r\n%s",
                                           "Press 1", names[i & 7], error, x, x, "\tPDU m\xE9ret : 240\r\n"));
    ++i;
  }
}
BENCHMARK(BM_LogEntry_snprintf);

// ---------------------------------------------------------------- single directives

template <class F>
void RunInts(benchmark::State& state, F format) {
  char out[64];
  unsigned i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(format(out, kInts[i++ & 7]));
}

template <class F>
void RunReals(benchmark::State& state, F format) {
  char out[64];
  unsigned i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(format(out, kReals[i++ & 7]));
}

void BM_d_FormatText(benchmark::State& s) { RunInts(s, [](char* o, int v) { return FormatText(o, "%d", v); }); }
void BM_d_snprintf(benchmark::State& s) { RunInts(s, [](char* o, int v) { return std::snprintf(o, 64, "%d", v); }); }
BENCHMARK(BM_d_FormatText);
BENCHMARK(BM_d_snprintf);

// "%'d" is printf's grouping flag (it groups only in a locale that defines
// groups; the C locale does not, so printf has less to do here).
void BM_grouped_d_FormatText(benchmark::State& s) { RunInts(s, [](char* o, int v) { return FormatText(o, "%#d", v); }); }
void BM_grouped_d_snprintf(benchmark::State& s) { RunInts(s, [](char* o, int v) { return std::snprintf(o, 64, "%'d", v); }); }
BENCHMARK(BM_grouped_d_FormatText);
BENCHMARK(BM_grouped_d_snprintf);

void BM_3f_FormatText(benchmark::State& s) { RunReals(s, [](char* o, double v) { return FormatText(o, "%.3f", v); }); }
void BM_3f_snprintf(benchmark::State& s) { RunReals(s, [](char* o, double v) { return std::snprintf(o, 64, "%.3f", v); }); }
BENCHMARK(BM_3f_FormatText);
BENCHMARK(BM_3f_snprintf);

void BM_e_FormatText(benchmark::State& s) { RunReals(s, [](char* o, double v) { return FormatText(o, "%e", v); }); }
void BM_e_snprintf(benchmark::State& s) { RunReals(s, [](char* o, double v) { return std::snprintf(o, 64, "%e", v); }); }
BENCHMARK(BM_e_FormatText);
BENCHMARK(BM_e_snprintf);

void BM_s_FormatText(benchmark::State& state) {
  char out[64];
  unsigned i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(FormatText(out, "%s", kTexts[i++ & 3]));
}
void BM_s_snprintf(benchmark::State& state) {
  char out[64];
  unsigned i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(std::snprintf(out, sizeof out, "%s", kTexts[i++ & 3]));
}
BENCHMARK(BM_s_FormatText);
BENCHMARK(BM_s_snprintf);

// ---------------------------------------------------------------- 64-bit value texts

// An LReal's shortest round-trip text and an LInt's grouped decimal, as the
// read window shows them (element lookup included), beside the printf forms
// that round-trip a double and print a 64-bit integer.
constexpr long long kLongs[8] = {0, 7, -42, 1234567890123LL, INT64_MIN, INT64_MAX, 100000, -987654321987LL};

struct LongVars {
  PlcVariable real{}, integer{};
  LongVars() {
    Var_Init(1, S7_TYPE_LREAL, S7_AREA_DB, 8, &real);
    Var_Init(1, S7_TYPE_LINT, S7_AREA_DB, 8, &integer);
    Var_AllocBlock(&real);
    Var_AllocBlock(&integer);
    for (int i = 0; i < 8; ++i) {
      std::memcpy(real.values + 8 * i, &kReals[i], 8);
      std::memcpy(integer.values + 8 * i, &kLongs[i], 8);
    }
  }
};

void BM_LReal_ValueText(benchmark::State& state) {
  static LongVars vars;
  char out[kVarValueTextMax];
  unsigned i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(Var_FormatValue({}, static_cast<int>(i++ & 7), &vars.real, out));
}
void BM_LReal_snprintf_17g(benchmark::State& s) {
  RunReals(s, [](char* o, double v) { return std::snprintf(o, 64, "%.17g", v); });
}
BENCHMARK(BM_LReal_ValueText);
BENCHMARK(BM_LReal_snprintf_17g);

void BM_LInt_ValueText(benchmark::State& state) {
  static LongVars vars;
  char out[kVarValueTextMax];
  unsigned i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(Var_FormatValue({}, static_cast<int>(i++ & 7), &vars.integer, out));
}
void BM_LInt_snprintf_lld(benchmark::State& state) {
  char out[64];
  unsigned i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(std::snprintf(out, sizeof out, "%lld", kLongs[i++ & 7]));
}
BENCHMARK(BM_LInt_ValueText);
BENCHMARK(BM_LInt_snprintf_lld);

}  // namespace

BENCHMARK_MAIN();
