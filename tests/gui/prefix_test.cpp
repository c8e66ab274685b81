// The Wine prefix the GUI tests run in draws Tolvane's fonts with the
// Hungarian letters: "Courier New" (log pane and lists; Wine has none of its
// own, the prefix maps it to a metric twin) and "MS Shell Dlg" (dialogs).
#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(GuiPrefix, ProgramFontsHaveTheHungarianLetters) {
  const struct {
    const wchar_t* face;
    bool fixedPitch;
  } kFonts[] = {{L"Courier New", true}, {L"MS Shell Dlg", false}};
  const wchar_t kLetters[] = L"őűŐŰÁáé";
  HDC dc = GetDC(nullptr);
  for (const auto& f : kFonts) {
    SCOPED_TRACE(testing::Message() << (f.fixedPitch ? "Courier New" : "MS Shell Dlg"));
    HFONT font = CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, f.face);
    ASSERT_NE(font, nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    WORD glyphs[std::size(kLetters) - 1] = {};
    ASSERT_EQ(GetGlyphIndicesW(dc, kLetters, std::size(glyphs), glyphs, GGI_MARK_NONEXISTING_GLYPHS),
              std::size(glyphs));
    for (std::size_t i = 0; i < std::size(glyphs); ++i) {
      EXPECT_NE(glyphs[i], 0xFFFF) << "no glyph for letter " << i;
    }
    TEXTMETRICW tm{};
    ASSERT_TRUE(GetTextMetricsW(dc, &tm));
    // The flag's name says the opposite of its meaning: set for variable pitch.
    EXPECT_EQ((tm.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0, f.fixedPitch);
    SelectObject(dc, old);
    DeleteObject(font);
  }
  ReleaseDC(nullptr, dc);
}

}  // namespace
