// tolvane.exe's recordings, driven from outside: the read window's value log
// switched on through its save dialog and off again, the trend of a value
// that the PLC changes (its line seen on the screen moving, and a picture of
// it kept), and "Nyomkövetés" in the main menu around a command, its file
// read back as a capture of that command's frames.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/gui/tolvane_fixture.h"
#include "tests/support/pcap_reader.h"

namespace gui {
namespace {

constexpr wchar_t kLogTitle[] = L"Értékek naplózása";
constexpr wchar_t kTraceTitle[] = L"Nyomkövetés mentése";
constexpr wchar_t kTrendTitle[] = L"Trend";

class RecordingTest : public TolvaneTest {
 protected:
  // Starts tolvane.exe on a table of the simulator; its read window.
  HWND OpenReadWindow(const std::vector<VatVar>& vars) {
    VatSpec spec = SimVat();
    spec.vars = vars;
    if (!StartTolvane({.args = {WriteVat(L"rec.vat", spec)}})) return nullptr;
    return WaitForReadWindow();
  }
  // The PLC's Int at DB1.DBW0.
  void SetValue(int value) {
    const auto word = static_cast<std::uint16_t>(value);
    ASSERT_TRUE(sim_.Model().WriteMemory(plcsim::kAreaDataBlock, 1, 0,
                                         {static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word)}));
  }
  // Rows of the line's blue in the picture: the lowest and the highest, and
  // the picture's pixels to compare (empty when it could not be read).
  struct Line {
    int top = -1, bottom = -1;
    std::vector<std::uint8_t> pixels;
  };
  static Line LineOf(HWND graph) {
    Line line;
    int width = 0, height = 0;
    if (!ClientPixels(graph, &line.pixels, &width, &height)) return line;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const std::uint8_t* p = &line.pixels[(static_cast<std::size_t>(y) * width + x) * 3];
        if (p[0] != 0 || p[1] != 70 || p[2] != 200) continue;
        if (line.top < 0) line.top = y;
        line.bottom = y;
      }
    return line;
  }
};

TEST_F(RecordingTest, TheValueLogAndTheTrendOfAChangingValue) {
  SetValue(0);
  HWND read = OpenReadWindow({{"DB1.DBW0:1 (Int)", {"Name0 = Fordulatszám"}}, {"MD4:1 (Real)"}});
  ASSERT_NE(read, nullptr);
  HWND interval = GetDlgItem(read, IDC_READ_INTERVAL);
  Send(interval, CB_SETCURSEL, 0, 0);  // 100 ms
  PostMessageW(read, WM_COMMAND, MAKEWPARAM(IDC_READ_INTERVAL, CBN_SELCHANGE), reinterpret_cast<LPARAM>(interval));

  // The value log: its file chosen, the box ticked, the changed-only choice
  // held while it runs.
  const std::size_t mark = LogMark();
  ASSERT_TRUE(Press(read, IDC_READ_LOG));
  HWND save = WaitForDialog(program_->id, kLogTitle);
  ASSERT_NE(save, nullptr) << "no save dialog for the log";
  const std::wstring csv = dir_.File(L"napló ő.csv");
  ASSERT_TRUE(ChooseFile(save, csv));
  ASSERT_TRUE(WaitUntil([&] { return IsChecked(GetDlgItem(read, IDC_READ_LOG)); }));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(read, IDC_READ_LOG_CHANGED)));
  LogSince(mark, L"Naplózás indul : " + csv + L"\r\n");

  // The trend of the first element (nothing selected), fed while the PLC's
  // value swings.
  ASSERT_TRUE(Click(GetDlgItem(read, IDC_READ_TREND)));
  HWND trend = WaitForWindow(program_->id, nullptr, kTrendTitle);
  ASSERT_NE(trend, nullptr) << "no trend window";
  EXPECT_EQ(ComboBoxSelection(GetDlgItem(trend, IDC_TREND_ELEMENT)), 0);
  HWND graph = GetDlgItem(trend, IDC_TREND_GRAPH);
  for (int i = 0; i < 60; ++i) {
    SetValue(static_cast<int>(std::lround(1000 * std::sin(i / 6.0))));
    Sleep(100);
  }
  const Line first = LineOf(graph);
  ASSERT_GE(first.top, 0) << "no line drawn";
  EXPECT_GT(first.bottom - first.top, 40) << "the swing fills the scale";
  Shot(trend, L"trend-changing-value");
  SetValue(3000);
  EXPECT_TRUE(WaitUntil([&] { return LineOf(graph).pixels != first.pixels; })) << "the picture follows the reads";

  // Off again: the log's end, and its rows.
  ASSERT_TRUE(Click(GetDlgItem(read, IDC_READ_LOG)));
  EXPECT_FALSE(IsChecked(GetDlgItem(read, IDC_READ_LOG)));
  LogSince(mark, L"Naplózás vége : " + csv + L"\r\n");
  const auto bytes = ReadBytes(csv);
  ASSERT_TRUE(bytes.has_value());
  const std::string header = "\xEF\xBB\xBFId\xC5\x91;DB1.DBW0 : Fordulatsz\xC3\xA1m;MD4;Hiba\r\n";
  ASSERT_EQ(bytes->substr(0, header.size()), header);
  int rows = 0;
  for (char c : bytes->substr(header.size())) rows += c == '\n' ? 1 : 0;
  EXPECT_GE(rows, 30) << "a row for each read at 100 ms";

  PostMessageW(trend, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(trend); }));
  CloseReadWindow();
}

TEST_F(RecordingTest, NyomkovetesRecordsTheFramesOfTheCommandsInBetween) {
  ASSERT_TRUE(StartTolvane({.args = {WriteVat(L"rec.vat", SimVat())}}));
  WaitForSimLoad();
  const std::wstring pcap = dir_.File(L"nyom ő.pcap");
  const std::size_t mark = LogMark();
  HWND save = OpenDialog(IDM_TRACE, kTraceTitle);
  ASSERT_NE(save, nullptr);
  ASSERT_TRUE(ChooseFile(save, pcap));
  LogSince(mark, L"Nyomkövetés indul : " + pcap + L"\r\n");
  const int before = sim_.RequestCount();
  Run(IDM_CPU_STATE, Entry(L"S7_GetCpuState", L"\tCPU : Run\r\n"));
  Run(IDM_GET_CLOCK, L"S7_GetCpuClock : OK.");
  Run(IDM_TRACE, L"Nyomkövetés vége : " + pcap + L"\r\n");
  EXPECT_EQ(sim_.RequestCount() - before, 2);

  const auto bytes = ReadBytes(pcap);
  ASSERT_TRUE(bytes.has_value());
  const PcapFile trace = ParsePcap(std::vector<std::uint8_t>(bytes->begin(), bytes->end()));
  ASSERT_TRUE(trace.ok) << trace.why;
  EXPECT_EQ(trace.linkType, 1u);
  ASSERT_EQ(trace.packets.size(), 4u) << "two requests and their replies, no handshake: the connection was open";
  for (const PcapPacket& p : trace.packets) {
    EXPECT_TRUE(p.checksumsOk);
    ASSERT_GE(p.payload.size(), 8u);
    EXPECT_EQ(p.payload[7], 0x32) << "an S7 PDU behind TPKT and COTP";
  }
  EXPECT_EQ(trace.packets[0].destinationPort, 102);
  EXPECT_EQ(trace.packets[1].sourcePort, 102);
}

}  // namespace
}  // namespace gui
