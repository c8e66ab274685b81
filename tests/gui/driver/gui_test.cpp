// The GUI test base: start through a ProgramSet, check and clean up at the end.
#include "tests/gui/driver/gui_test.h"

#include "tests/gui/driver/texts.h"

namespace gui {

const Program* GuiTest::Start(const std::wstring& path, const StartOptions& options) {
  std::wstring error;
  const Program* program = programs_.Start(path, options, &error);
  if (!program) ADD_FAILURE() << Utf8(error);
  return program;
}

void GuiTest::TearDown() {
  for (const std::wstring& dialog : programs_.EndAll()) {
    ADD_FAILURE() << "left open: " << Utf8(dialog);
  }
}

}  // namespace gui
