// The display-mode menu, drawn by the program (the popup of winutil.h) so
// that its items take the list's look.
#include "win32/dialogs/modemenu.h"

#include <cstdint>

#include "win32/toolkit/winutil.h"

void ModeMenu_Track(HWND owner, POINT at, const PlcVariable* var, int element) {
  int views[8] = {};
  int count = 0;
  const int current = Var_ListViews(VarViewList::WithDefaultAndGap, element, var, &count, views);
  std::uint32_t words[8] = {};
  if (count > 8) count = 8;
  for (int i = 0; i < count; ++i) {
    UINT flags = MF_OWNERDRAW;
    if (views[i] == 0)
      flags |= MF_SEPARATOR;
    else if (i == current)
      flags |= MF_CHECKED;
    words[i] = (static_cast<std::uint32_t>(flags) << 16) | static_cast<std::uint16_t>(views[i]);
  }
  TrackDrawnPopup(owner, at.x, at.y, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, count, 0, words);
}
